// A whole harvest in the real window under the offscreen platform, timed from the "&Extract"
// click to the summary box, with the program's peak memory.
//
// Usage: harvest_window_bench INPUT [--sort] [--domain] [--split N] [--keep]
// Prints one line: seconds, peak resident memory in MiB, and the boxes shown. The list and the
// piece files go into a fresh directory under $TMPDIR, removed at the end unless --keep is given.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "hosting/corvell_control_factory.h"
#include "platform/common_dialog.h"
#include "platform/message_boxes.h"
#include "window/form1.h"

using namespace rosterly;

namespace {

// Notes when the first box shows: the end of the run as the user sees it.
class TimingBoxes final : public MessageBoxes {
public:
    explicit TimingBoxes(const QElapsedTimer& clock) : m_clock(clock) {}
    void show(const QString& text, MessageIcon, const QString& caption, const QString&) override {
        if (m_firstAtNs < 0) m_firstAtNs = m_clock.nsecsElapsed();
        m_texts << (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
    }
    qint64 firstAtNs() const { return m_firstAtNs; }
    QString texts() const {
        return m_texts.join(QStringLiteral(" | "))
            .replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    }

private:
    const QElapsedTimer& m_clock;
    qint64 m_firstAtNs = -1;
    QStringList m_texts;
};

class NoDialog final : public CommonDialog {
public:
    void setFilter(const QString& filter) override { m_filter = filter; }
    QString filter() const override { return m_filter; }
    void showOpen() override {}
    void showSave() override {}
    QString fileName() const override { return {}; }

private:
    QString m_filter;
};

double peakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s INPUT|URL [--sort] [--domain] [--split N] [--keep]\n",
                     argv[0]);
        return 2;
    }
    QTemporaryDir work;
    work.setAutoRemove(!args.contains(QStringLiteral("--keep")));
    QElapsedTimer clock;
    TimingBoxes boxes(clock);
    NoDialog dialog;
    CorvellControlFactory controls;
    Form1::Creation creation = Form1::create({boxes, dialog, controls, nullptr, work.path()});
    if (!creation.form) {
        std::fprintf(stderr, "%s\n", qPrintable(creation.failure));
        return 1;
    }
    Form1& form = *creation.form;
    form.show();
    // A web address goes into the URL field, anything else is an input file.
    if (args[1].startsWith(QStringLiteral("http://")) ||
        args[1].startsWith(QStringLiteral("https://")))
        form.txtURL->setText(args[1]);
    else
        form.Text1->setText(args[1]);
    form.Text2->setText(work.filePath(QStringLiteral("list.doc")));
    if (args.contains(QStringLiteral("--domain"))) form.Check2->setChecked(true);
    if (args.contains(QStringLiteral("--sort"))) form.chkSort->setChecked(true);
    if (const qsizetype at = args.indexOf(QStringLiteral("--split"));
        at > 0 && at + 1 < args.size()) {
        form.Check1->setChecked(true);
        form.Text3->setText(args[at + 1]);
    }
    form.SSTab1->setCurrentIndex(2);
    QApplication::processEvents();

    clock.start();
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    const qint64 endNs = boxes.firstAtNs() < 0 ? clock.nsecsElapsed() : boxes.firstAtNs();
    std::printf("harvest %.3f s, peak RSS %.1f MiB, boxes: %s\n", double(endNs) / 1e9,
                peakResidentMiB(), qPrintable(boxes.texts()));
    return 0;
}

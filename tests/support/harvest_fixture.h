// Form1 hosting the real harvesting control under the offscreen platform, with recording fakes
// for the boxes, a program directory of the test's own, and helper verbs for whole runs.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "../fakes/fake_transfer.h"
#include "form1_fixture.h"
#include "hosting/corvell_control_factory.h"
#include "window/form1.h"

namespace rosterly {

// The summary boxes' texts as a run shows them.
inline QString shortSummary(qint64 accepted, qint64 duplicates) {
    return QStringLiteral("%1 Addresses extracted, \r\n%2 Duplicates removed.")
        .arg(accepted)
        .arg(duplicates);
}

inline QString splitSummary(qint64 accepted, qint64 duplicates) {
    return QStringLiteral(
               "%1 Addresses extracted,\r\n%2 Duplicates removed.\r\nThese files are saved in "
               "the\r\nQuillan's directory as File#.doc")
        .arg(accepted)
        .arg(duplicates);
}

// The text of an RTF file as an independent reader sees it, line ends as LF.
inline QString rtfText(const QString& path) {
    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--text"), path});
    if (!unrtf.waitForFinished(10000)) return QStringLiteral("(unrtf did not finish)");
    const QString out = QString::fromUtf8(unrtf.readAllStandardOutput());
    const QString rule = QStringLiteral("-----------------\n");
    const qsizetype at = out.indexOf(rule);
    return at < 0 ? QStringLiteral("(no text)") : out.mid(at + rule.size());
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class HarvestTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication();
        ASSERT_TRUE(work.isValid() && programDir.isValid());
        Form1::Creation creation =
            Form1::create({messageBoxes, dialog, controls, transfer(), programDirectory()});
        ASSERT_TRUE(creation.form) << creation.failure.toStdString();
        form = std::move(creation.form);
        form->show();
    }

    // The transfer the window gets; the fake unless a test says otherwise.
    virtual InternetTransfer* transfer() { return &fakeTransfer; }
    virtual QString programDirectory() { return programDir.path(); }

    QString workPath(const QString& name) const { return work.filePath(name); }
    QString inputPath() const { return workPath(QStringLiteral("input.txt")); }
    QString outputPath() const { return workPath(QStringLiteral("list.doc")); }
    QString piecePath(int n) const {
        return programDir.filePath(QStringLiteral("file%1.doc").arg(n));
    }

    // Names the input and output files, ticks the given boxes as a user does, and presses
    // "&Extract"; returns when the run is over.
    void harvest(const QByteArray& input, std::initializer_list<QCheckBox*> ticked = {}) {
        writeFile(inputPath(), input);
        form->Text1->setText(inputPath());
        harvestNamed(ticked);
    }
    void harvestNamed(std::initializer_list<QCheckBox*> ticked = {}) {
        if (form->Text2->text() == QStringLiteral("C:\\")) form->Text2->setText(outputPath());
        for (QCheckBox* box : ticked) {
            if (!box->isChecked()) QTest::mouseClick(box, Qt::LeftButton);
        }
        form->SSTab1->setCurrentIndex(2);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    }

    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& box : messageBoxes.shown) texts << box.text;
        return texts;
    }
    QByteArray output() const { return fileBytes(outputPath()); }

    RecordingMessageBoxes messageBoxes;
    RecordingCommonDialog dialog;
    CorvellControlFactory controls;
    FakeTransfer fakeTransfer;
    QTemporaryDir work;
    QTemporaryDir programDir;
    std::unique_ptr<Form1> form;
};

}  // namespace rosterly

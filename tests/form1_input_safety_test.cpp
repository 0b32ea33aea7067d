// Whole runs in the offscreen window with inputs and outputs that must never cost the user data
// or hang the window: outputs that name the input under another name, inputs that are not
// regular files, and the reasons the failure box gives.
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include "support/harvest_fixture.h"

namespace rosterly {
namespace {

const QByteArray kInput = "a@b.cc\r\nsee c@d.cc\r\n";

class Form1InputSafetyTest : public HarvestTest {
protected:
    QString failureDetails() const {
        for (const auto& box : messageBoxes.shown)
            if (box.text == QStringLiteral("File not found.")) return box.details;
        return QStringLiteral("(no failure box)");
    }
    // The input is read as usual, but no list is written: only the failure box shows.
    void expectInputKeptAndRefused() {
        EXPECT_EQ(fileBytes(inputPath()), kInput);
        EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("File not found.")});
        EXPECT_TRUE(failureDetails().contains(u"is an input of this run"))
            << failureDetails().toStdString();
        EXPECT_TRUE(form->SSTab1->isEnabled());
    }
};

TEST_F(Form1InputSafetyTest, OutputNamingTheInputBySamePathLeavesItWhole) {
    form->Text2->setText(inputPath());
    harvest(kInput);
    expectInputKeptAndRefused();
}

TEST_F(Form1InputSafetyTest, OutputReachingTheInputThroughSymbolicLinksLeavesItWhole) {
    const QString link = workPath(QStringLiteral("link.doc"));
    const QString linkToLink = workPath(QStringLiteral("link2.doc"));
    ASSERT_TRUE(QFile::link(inputPath(), link));
    ASSERT_TRUE(QFile::link(link, linkToLink));
    form->Text2->setText(linkToLink);
    harvest(kInput);
    expectInputKeptAndRefused();
    EXPECT_EQ(QFileInfo(linkToLink).symLinkTarget(), link);
}

TEST_F(Form1InputSafetyTest, OutputThatIsAnotherHardLinkToTheInputLeavesItWhole) {
    writeFile(inputPath(), kInput);
    const QString hardLink = workPath(QStringLiteral("hard.doc"));
    ASSERT_EQ(
        ::link(QFile::encodeName(inputPath()).constData(), QFile::encodeName(hardLink).constData()),
        0);
    form->Text2->setText(hardLink);
    harvest(kInput);
    expectInputKeptAndRefused();
    EXPECT_EQ(fileBytes(hardLink), kInput);
}

TEST_F(Form1InputSafetyTest, ListStillReachesAnOrdinaryOutputBesideTheInput) {
    harvest(kInput);
    EXPECT_EQ(output(), "a@b.cc\r\nc@d.cc\r\n<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(2, 0)});
}

// Each of these is refused at once: the run neither blocks on it nor reads it, and says why.
TEST_F(Form1InputSafetyTest, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
    const QString fifo = workPath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        const char* why;
    } cases[] = {{fifo, "it is a FIFO"},
                 {work.path(), "it is a directory"},
                 {QStringLiteral("/dev/zero"), "it is a device"},
                 {workPath(QStringLiteral("absent.txt")), "No such file or directory"}};
    for (const auto& input : cases) {
        SCOPED_TRACE(input.path.toStdString());
        messageBoxes.shown.clear();
        form->Text1->setText(input.path);
        harvestNamed();
        EXPECT_EQ(output(), "<END>");
        EXPECT_EQ(boxTexts(), (QStringList{shortSummary(0, 0), QStringLiteral("File not found.")}));
        EXPECT_TRUE(failureDetails().contains(input.path)) << failureDetails().toStdString();
        EXPECT_TRUE(failureDetails().contains(QLatin1String(input.why)))
            << failureDetails().toStdString();
    }
}

// Opening a FIFO for writing would wait for a reader, and replacing a device would destroy it.
TEST_F(Form1InputSafetyTest, OutputsThatAreNotRegularFilesAreRefusedAndLeftAlone) {
    const QString fifo = workPath(QStringLiteral("fifo.doc"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/null"), work.path()}) {
        SCOPED_TRACE(path.toStdString());
        messageBoxes.shown.clear();
        form->Text2->setText(path);
        harvest(kInput);
        EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("File not found.")});
        EXPECT_TRUE(
            failureDetails().contains(QStringLiteral("\"%1\" cannot be written: it is").arg(path)))
            << failureDetails().toStdString();
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(Form1InputSafetyTest, FailureBoxKeepsItsTextAndListsEveryReasonOnce) {
    form->Text2->setText(workPath(QStringLiteral("no-such-dir/list.doc")));
    form->Text1->setText(workPath(QStringLiteral("absent.txt")));
    harvestNamed();
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    const auto& box = messageBoxes.shown.front();
    EXPECT_EQ(box.text, "File not found.");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    const QStringList reasons = box.details.split(u'\n');
    ASSERT_EQ(reasons.size(), 3) << box.details.toStdString();
    EXPECT_TRUE(reasons[0].startsWith(QStringLiteral("Input file \"") + workPath("absent.txt")));
    EXPECT_TRUE(
        reasons[1].startsWith(QStringLiteral("Output file \"") + workPath("no-such-dir/list.doc")));
    EXPECT_TRUE(reasons[2].contains(workPath("no-such-dir/list.doc")));
}

}  // namespace
}  // namespace rosterly

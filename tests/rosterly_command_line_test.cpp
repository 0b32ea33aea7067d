// The program run from the command line, as a script runs it, against the window on the same
// inputs: the same list and piece files byte for byte, the same counts, and the command line's
// own exit statuses and messages.
#include <QCoreApplication>
#include <QProcess>

#include <sys/stat.h>

#include "support/harvest_fixture.h"

namespace rosterly {
namespace {

// Mixed line ends, case, repeats, unacceptable entries, several domains, a non-ASCII address.
const QByteArray kInput =
    "From: Ann <Ann@Example.COM>\r\n"
    "to bob@mail.example.com; cc: carl@example.com\n"
    "duplicate ann@example.com\r\n"
    "1digit@example.com and _under@b.cc\r"
    "zoe@z.org\n"
    "Écrivez à josé@exemple.fr.\r\n"
    "no address here\r\n"
    "(mia@b.cc)!\n"
    "x@mail.example.com\r\n"
    "ben@z.org\r\n"
    "<END>\r\n";

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

class RosterlyCommandLineTest : public HarvestTest {
protected:
    void SetUp() override {
        HarvestTest::SetUp();
        // A copy of the program with its control library: its own directory takes the pieces.
        ASSERT_TRUE(installed.isValid());
        const QDir built(QCoreApplication::applicationDirPath());
        for (const char* file : {"Rosterly", "libCorvell.so"})
            ASSERT_TRUE(QFile::copy(built.filePath(QLatin1String(file)),
                                    installed.filePath(QLatin1String(file))))
                << file;
    }

    Finished rosterly(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(installed.filePath(QStringLiteral("Rosterly")), arguments);
        Finished finished;
        if (!process.waitForFinished(60000)) return finished;
        finished.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        finished.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        finished.err = QString::fromLocal8Bit(process.readAllStandardError());
        return finished;
    }

    // Every piece file in `directory`, in number order.
    static QList<QByteArray> pieces(const QString& directory) {
        QList<QByteArray> found;
        for (int n = 1;
             QFile::exists(QDir(directory).filePath(QStringLiteral("file%1.doc").arg(n))); ++n)
            found << fileBytes(QDir(directory).filePath(QStringLiteral("file%1.doc").arg(n)));
        return found;
    }

    QTemporaryDir installed;
};

struct OptionSet {
    const char* name;
    QStringList arguments;
    bool split, domain, sort, ignore;
};

class CommandLineAgainstWindowTest : public RosterlyCommandLineTest,
                                     public ::testing::WithParamInterface<OptionSet> {};

TEST_P(CommandLineAgainstWindowTest, WritesTheSameFilesAndCounts) {
    const OptionSet& set = GetParam();
    if (set.split) {
        QTest::mouseClick(form->Check1, Qt::LeftButton);
        form->Text3->setText(QStringLiteral("3"));
    }
    if (set.domain) QTest::mouseClick(form->Check2, Qt::LeftButton);
    if (set.ignore) {
        QTest::mouseClick(form->Check3, Qt::LeftButton);
        form->Text4->setText(QStringLiteral("Example.com"));
    }
    if (set.sort) QTest::mouseClick(form->chkSort, Qt::LeftButton);
    harvest(kInput);
    ASSERT_EQ(messageBoxes.shown.size(), 1u) << boxTexts().join(" | ").toStdString();
    const QString windowSummary = messageBoxes.shown.front().text;
    const QByteArray windowList = output();
    const QList<QByteArray> windowPieces = pieces(programDir.path());

    const QString commandOutput = workPath(QStringLiteral("command.doc"));
    const Finished finished =
        rosterly(QStringList{"-i", inputPath(), "-o", commandOutput} + set.arguments);
    EXPECT_EQ(finished.status, 0) << finished.err.toStdString();
    EXPECT_EQ(finished.err, "");
    EXPECT_EQ(fileBytes(commandOutput), windowList);
    EXPECT_EQ(pieces(installed.path()), windowPieces);
    QString expectedOut = windowSummary;
    expectedOut.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    expectedOut += u'\n';
    if (set.split)
        expectedOut += QStringLiteral("The piece files are in %1\n").arg(installed.path());
    EXPECT_EQ(finished.out, expectedOut);
}

INSTANTIATE_TEST_SUITE_P(
    OptionSets, CommandLineAgainstWindowTest,
    ::testing::Values(
        OptionSet{"plain", {}, false, false, false, false},
        OptionSet{"alpha", {"-a"}, false, false, true, false},
        OptionSet{"domain", {"-d"}, false, true, false, false},
        OptionSet{"domainAlpha", {"--domain", "--alpha"}, false, true, true, false},
        OptionSet{"domainIgnore", {"-d", "--ignore", "Example.com"}, false, true, false, true},
        OptionSet{
            "domainIgnoreAlpha", {"-d", "-a", "--ignore", "Example.com"}, false, true, true, true},
        OptionSet{"split", {"-s", "3"}, true, false, false, false},
        OptionSet{"splitAlpha", {"--split", "3", "-a"}, true, false, true, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(RosterlyCommandLineTest, FailedStepsGiveStatusOneWithTheirReasons) {
    const QString missing = workPath(QStringLiteral("missing.txt"));
    const QString list = workPath(QStringLiteral("list.doc"));
    const Finished finished = rosterly({"-i", missing, "-o", list});
    EXPECT_EQ(finished.status, 1);
    EXPECT_EQ(finished.out, "0 Addresses extracted, \n0 Duplicates removed.\n");
    EXPECT_EQ(finished.err, QStringLiteral("rosterly: Input file \"%1\" cannot be read: No such "
                                           "file or directory.\n")
                                .arg(missing));
    EXPECT_EQ(fileBytes(list), "<END>");
}

TEST_F(RosterlyCommandLineTest, OutputNamingTheInputIsRefusedAndTheInputKept) {
    writeFile(inputPath(), kInput);
    const Finished finished = rosterly({"-i", inputPath(), "-o", inputPath()});
    EXPECT_EQ(finished.status, 1);
    EXPECT_EQ(finished.out, "");
    EXPECT_TRUE(finished.err.contains(u"is an input of this run")) << finished.err.toStdString();
    EXPECT_EQ(fileBytes(inputPath()), kInput);
}

TEST_F(RosterlyCommandLineTest, UsageErrorsGiveStatusTwoWithTheUsage) {
    for (const QStringList& arguments :
         {QStringList{"-i", "abc", "-o", "list.doc"}, QStringList{"--frobnicate"},
          QStringList{"-i", "in.txt", "-o", "list.doc", "-s", "2", "-d"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Finished finished = rosterly(arguments);
        EXPECT_EQ(finished.status, 2);
        EXPECT_EQ(finished.out, "");
        EXPECT_TRUE(finished.err.startsWith(u"rosterly: ")) << finished.err.toStdString();
        EXPECT_TRUE(finished.err.contains(u"Usage: rosterly [options]"));
    }
}

TEST_F(RosterlyCommandLineTest, HelpAndVersionNeedNoDisplayAndSucceed) {
    const Finished help = rosterly({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(u"Usage: rosterly [options]"));
    const Finished version = rosterly({"-v"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(u"rosterly 3.")) << version.out.toStdString();
}

TEST_F(RosterlyCommandLineTest, ReadsSeveralFilesAndDirectoriesAsOneInput) {
    const QString tree = workPath(QStringLiteral("tree"));
    QDir().mkpath(tree + "/b/c");
    QDir().mkpath(tree + "/a");
    writeFile(tree + "/b/c/z.txt", "z@z.org");  // no line end at the end
    writeFile(tree + "/b/a.txt", "a@b.cc\r\nsecond@b.cc");
    writeFile(tree + "/a/x.txt", "x@a.cc\n");
    writeFile(tree + "/B.txt", "upper@b.cc\r\n");
    ASSERT_TRUE(QFile::link(tree + "/a/x.txt", tree + "/link.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree + "/b/fifo").constData(), 0600), 0);
    writeFile(inputPath(), "first@f.cc");
    const QString list = workPath(QStringLiteral("list.doc"));
    const Finished finished = rosterly({"-i", inputPath(), "-i", tree, "-o", list});
    EXPECT_EQ(finished.status, 0) << finished.err.toStdString();
    // B.txt before a/ (byte order), a/x.txt before b/a.txt before b/c/z.txt; the link and the
    // FIFO are skipped.
    EXPECT_EQ(fileBytes(list),
              "first@f.cc\r\nupper@b.cc\r\nx@a.cc\r\na@b.cc\r\nsecond@b.cc\r\nz@z.org\r\n<END>");
}

TEST_F(RosterlyCommandLineTest, EveryTakesEveryAddressOfALine) {
    writeFile(inputPath(),
              "To: A@x.io, b@y.io;c@z.io\r\nabc@@b.c d@e.f\nx@y.z!a@b.c\ra@b.c d@e\r\n");
    const QString list = workPath(QStringLiteral("list.doc"));
    Finished finished = rosterly({"-i", inputPath(), "-o", list, "--every"});
    EXPECT_EQ(finished.status, 0) << finished.err.toStdString();
    EXPECT_EQ(fileBytes(list),
              "a@x.io\r\nb@y.io\r\nc@z.io\r\nabc@@b.c\r\nd@e.f\r\nx@y.z\r\na@b.c\r\n<END>");
    EXPECT_EQ(finished.out, "7 Addresses extracted, \n0 Duplicates removed.\n");

    finished = rosterly({"-i", inputPath(), "-o", list});
    EXPECT_EQ(finished.status, 0) << finished.err.toStdString();
    EXPECT_EQ(fileBytes(list), "c@z.io\r\nd@e.f\r\nx@y.z\r\n<END>");
}

TEST_F(RosterlyCommandLineTest, UnreadableInputAmongOthersIsReportedAndTheOthersAreRead) {
    const QString fifo = workPath(QStringLiteral("fifo.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString second = workPath(QStringLiteral("second.txt"));
    writeFile(inputPath(), "one@a.cc\r\n");
    writeFile(second, "two@b.cc\r\n");
    const QString list = workPath(QStringLiteral("list.doc"));
    const Finished finished = rosterly({"-i", inputPath(), "-i", fifo, "-i", second, "-o", list});
    EXPECT_EQ(finished.status, 1);
    EXPECT_EQ(finished.out, "2 Addresses extracted, \n0 Duplicates removed.\n");
    EXPECT_EQ(
        finished.err,
        QStringLiteral("rosterly: Input file \"%1\" cannot be read: it is a FIFO.\n").arg(fifo));
    EXPECT_EQ(fileBytes(list), "one@a.cc\r\ntwo@b.cc\r\n<END>");
}

}  // namespace
}  // namespace rosterly

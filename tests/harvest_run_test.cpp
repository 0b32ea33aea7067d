// The run's procedures without a window: a recording stand-in for the window and a scripted
// control show the order of what the user sees and the failure rule.
#include "harvest_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

#include "fakes/fake_sievan.h"
#include "fakes/fake_transfer.h"
#include "fakes/recording_message_boxes.h"
#include "platform/rich_text_buffer.h"
#include "support/qt_print.h"

namespace rosterly {
namespace {

// Records what the user would see, in order: status texts as painted at yields, unlocking,
// and boxes (through `boxes`).
class RecordingWindow final : public HarvestWindow {
public:
    HarvestOptions options() const override {
        ++optionReads;
        return {url, {input}, output, pieceSize, split, domain, sort, ignored};
    }

    void setStatus(const QString& text) override { status = text; }
    void yield() override {
        events << QStringLiteral("paint ") + status;
        if (++yields == closeAtYield) closed = true;
        if (yields == 1 && atFirstYield) atFirstYield();
    }
    bool closing() const override { return closed; }
    void enableSSTab1() override { events << QStringLiteral("unlock"); }

    QString url = QStringLiteral("http://"), input, output, pieceSize = QStringLiteral("1000");
    bool split = false, domain = false, sort = false;
    IgnoredDomain ignored;
    QString status;
    QStringList events;
    mutable int optionReads = 0;
    int yields = 0;
    int closeAtYield = -1;
    bool closed = false;
    std::function<void()> atFirstYield;
};

class HarvestRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.input = dir.filePath(QStringLiteral("in.txt"));
        window.output = dir.filePath(QStringLiteral("out.doc"));
    }
    void run(const QByteArray& input) {
        QFile file(window.input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(input);
        file.close();
        harvest.Extract();
    }
    QByteArray output() const {
        QFile file(window.output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    QStringList boxes() const {
        QStringList texts;
        for (const auto& box : messageBoxes.shown) texts << box.text;
        return texts;
    }

    QTemporaryDir dir;
    RecordingWindow window;
    RecordingMessageBoxes messageBoxes;
    RichTextBuffer rchFile;
    FakeTransfer transfer;
    FakeSievan control;
    HarvestRun harvest{{window, messageBoxes, rchFile, transfer, &control, dir.path()}};
};

// The control is handed each line's bounded stand-in: here the address itself.
TEST_F(HarvestRunTest, OnlyLinesHoldingAtReachTheControlLowerCased) {
    run("no address\r\nMail A@B.CC now\r\n\r\nsee x@y.zz");
    EXPECT_EQ(control.calls,
              (QStringList{"put a@b.cc", "extract", "get", "put x@y.zz", "extract", "get"}));
}

TEST_F(HarvestRunTest, UnacceptableAddressesAreNeitherKeptNorCounted) {
    run("see @ there\r\n1a@b.cc\r\n1a@b.cc\r\n-x@y.cc\r\n_u@v.cc\r\n");
    EXPECT_EQ(output(), "_u@v.cc\r\n<END>");
    EXPECT_EQ(boxes(), QStringList{"1 Addresses extracted, \r\n0 Duplicates removed."});
}

// A line repeating the address before it is a duplicate whether that address was new or a
// duplicate itself, also across lines without one; the next run starts from an empty record.
TEST_F(HarvestRunTest, RepeatedAddressesAreDuplicatesEveryTime) {
    run("a@b.cc\r\na@b.cc\r\nno address\r\na@b.cc\r\nc@d.cc\r\nc@d.cc\r\na@b.cc\r\n"
        "a@b.cc\r\n");
    EXPECT_EQ(output(), "a@b.cc\r\nc@d.cc\r\n<END>");
    run("a@b.cc\r\na@b.cc\r\n");
    EXPECT_EQ(output(), "a@b.cc\r\n<END>");
    EXPECT_EQ(boxes(), (QStringList{"2 Addresses extracted, \r\n5 Duplicates removed.",
                                    "1 Addresses extracted, \r\n1 Duplicates removed."}));
}

TEST_F(HarvestRunTest, FailedExtractKeepsCleanedTextAndReportsAtEnd) {
    control.failOn = QStringLiteral("bad");
    run("a@bad.cc\r\nc@d.cc\r\n");
    EXPECT_EQ(output(), "a@bad.cc\r\nc@d.cc\r\n<END>");
    EXPECT_EQ(boxes(),
              (QStringList{"2 Addresses extracted, \r\n0 Duplicates removed.", "File not found."}));
    EXPECT_EQ(messageBoxes.shown.back().details,
              "The harvesting control failed in Extract (0x80004005).");
    EXPECT_EQ(window.events.last(), "unlock");
}

TEST_F(HarvestRunTest, OptionsAreReadOnceWhenTheRunStarts) {
    window.split = true;
    window.pieceSize = QStringLiteral("1");
    run("a@x.cc\r\nb@x.cc\r\nc@x.cc\r\n");
    EXPECT_EQ(window.optionReads, 1);
}

TEST_F(HarvestRunTest, WindowUnlocksAfterListIsWrittenAndBeforeSummary) {
    window.sort = true;
    run("b@x.cc\r\na@x.cc\r\n");
    EXPECT_EQ(window.events, (QStringList{"paint b@x.cc", "paint Sorting...", "unlock"}));
    EXPECT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(window.status, "");
}

TEST_F(HarvestRunTest, FirstAcceptedAddressIsPaintedAtOnce) {
    run("1st@x.cc\r\nfirst@x.cc\r\n");
    ASSERT_FALSE(window.events.isEmpty());
    EXPECT_EQ(window.events.first(), "paint first@x.cc");
}

TEST_F(HarvestRunTest, RunStateIsEmptiedAfterEveryRun) {
    window.domain = true;
    run("a@b.cc\r\n");
    EXPECT_EQ(harvest.CurrentAddress, "");
    EXPECT_EQ(harvest.PieceFill, 0);
    EXPECT_EQ(harvest.AcceptedCount, 0);
    EXPECT_TRUE(harvest.AddressTable.isEmpty());
}

TEST_F(HarvestRunTest, ClosingStopsReadingAndShowsNothing) {
    window.closeAtYield = 1;
    run("a@b.cc\r\nc@d.cc\r\ne@f.cc\r\n");
    // The first address is kept (and painted, when the window closes) once the control has had
    // the second line; nothing is read after that.
    EXPECT_EQ(control.calls.count(QStringLiteral("extract")), 2);
    EXPECT_TRUE(messageBoxes.shown.empty());
    EXPECT_EQ(window.events.last(), "unlock");
    EXPECT_EQ(output(), "");
}

// An input cut short while it is read (here when the first address is painted, long before its
// reading ends) fails by its name, after the addresses read before: the run neither ends the
// program nor passes the missing part off as the input.
TEST_F(HarvestRunTest, AnInputCutShortWhileReadFailsByItsName) {
    QByteArray input;
    for (int i = 0; input.size() < 8 << 20; ++i)
        input += "user" + QByteArray::number(i) + "@x.cc\n";
    window.atFirstYield = [this] { ASSERT_TRUE(QFile(window.input).resize(0)); };
    run(input);
    ASSERT_EQ(messageBoxes.shown.size(), 2u);
    EXPECT_EQ(messageBoxes.shown.back().details,
              QStringLiteral("Input file \"%1\" could not be read: The file was cut short while "
                             "it was being read.")
                  .arg(window.input));
    EXPECT_TRUE(output().startsWith("user0@x.cc\r\nuser1@x.cc\r\n"));
}

// A plain list in input order is written while the input is read: the output holds nothing of
// it until the list is whole, and a run that stops leaves no trace of it.
class GrowingListTest : public HarvestRunTest {
protected:
    static constexpr int kAddresses = 150000;  // about 3.5 MB of list, written in blocks of 1 MiB
    static constexpr int kMidway = 100000;
    static QByteArray input() {
        QByteArray text;
        for (int i = 0; i < kAddresses; ++i)
            text += "From: user" + QByteArray::number(i) + "@x.cc\n";
        return text;
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    // Calls `midway` at the Extract of address kMidway.
    void atMidway(std::function<void()> midway) {
        control.onExtract = [midway, extracts = 0]() mutable {
            if (++extracts == kMidway) midway();
        };
    }
};

TEST_F(GrowingListTest, ListIsWholeAndReachesTheOutputOnlyAtTheEnd) {
    qint64 outputMidway = -1;
    atMidway([&] { outputMidway = QFileInfo(window.output).size(); });
    run(input());
    EXPECT_EQ(outputMidway, 0);
    QByteArray expected;
    for (int i = 0; i < kAddresses; ++i) expected += "user" + QByteArray::number(i) + "@x.cc\r\n";
    EXPECT_TRUE(output() == expected + "<END>");
    EXPECT_EQ(files(), (QStringList{"in.txt", "out.doc"}));
}

TEST_F(GrowingListTest, ClosingAfterPartOfTheListWasWrittenLeavesNoTrace) {
    atMidway([&] {
        window.closed = true;
        // The run looks at the window at least this often while it accepts addresses.
        QThread::msleep(20);
    });
    run(input());
    EXPECT_TRUE(messageBoxes.shown.empty());
    EXPECT_EQ(output(), "");
    EXPECT_EQ(files(), (QStringList{"in.txt", "out.doc"}));
    EXPECT_LT(control.calls.count(QStringLiteral("extract")), kAddresses);
}

TEST_F(HarvestRunTest, UrlModeSavesFetchedTextAsTemporaryFileAndReadsIt) {
    window.url = QStringLiteral("http://example.test/");
    transfer.document = "one@a.cc\ntwo@b.cc\r\n";
    run("");
    EXPECT_EQ(transfer.fetched, QStringList{"http://example.test/"});
    QFile temp(harvest.temporaryFilePath());
    ASSERT_TRUE(temp.open(QIODevice::ReadOnly));
    EXPECT_EQ(temp.readAll(), "one@a.cc\r\ntwo@b.cc\r\n");
    EXPECT_EQ(output(), "one@a.cc\r\ntwo@b.cc\r\n<END>");
    EXPECT_EQ(harvest.temporaryFilePath(), QDir(dir.path()).filePath("temp.doc"));
}

TEST_F(HarvestRunTest, FailedPieceIsRetriedOneAddressLongerAndLastPieceOnceMore) {
    window.split = true;
    window.pieceSize = QStringLiteral("2");
    HarvestRun elsewhere{{window, messageBoxes, rchFile, transfer, &control,
                          dir.filePath(QStringLiteral("out.doc/none"))}};
    QFile file(window.input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("a@x.cc\r\nb@x.cc\r\nc@x.cc\r\n");
    file.close();
    elsewhere.Extract();
    EXPECT_EQ(elsewhere.PieceNumber, 1);
    EXPECT_EQ(boxes().last(), "File not found.");
}

}  // namespace
}  // namespace rosterly

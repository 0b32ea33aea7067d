// Lines prepared on the reading thread: the same lines, in the same order, as reading on the
// run's own thread gives, however the batches fall; failures after the lines before them; and a
// reader that can always be stopped.
#include "read_ahead.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <limits>
#include <random>

#include "input_lines.h"
#include "line_pieces.h"
#include "support/lower_cased.h"
#include "support/qt_print.h"
#include "support/test_devices.h"

namespace rosterly {
namespace {

using namespace std::chrono_literals;

// The lines as the run's thread prepared them before: InputLines, LinePieces, lower-casing.
QStringList preparedDirectly(const QByteArray& input, bool everyAddress, qsizetype limit) {
    QBuffer buffer;
    buffer.setData(input);
    buffer.open(QIODevice::ReadOnly);
    QStringList lines;
    LinePieces pieces(
        everyAddress,
        [&](const BoundedLine& line, BoundedLine::Outcome outcome) {
            const QByteArrayView standIn = line.standIn(outcome);
            if (standIn.isEmpty()) return;
            lines << lowerCased(standIn);
        },
        limit);
    InputLines reader(buffer);
    InputLines::Part part;
    while (reader.nextHolding('@', part) == InputLines::Step::Part) {
        pieces.append(part.bytes);
        if (part.lineEnds) pieces.endLine();
    }
    return lines;
}

struct ReadOutcome {
    QStringList lines;
    ReadAhead::Step end = ReadAhead::Step::Batch;
    qint64 lastBytesConsumed = -1;
    bool bytesNeverFell = true;
};

// Threads: whether the lines are prepared on threads of their own, or within next().
ReadOutcome readAhead(QIODevice& source, bool everyAddress, qsizetype limit, std::size_t batchUnits,
                      bool threads) {
    ReadAhead reader(source, everyAddress, limit, batchUnits,
                     threads ? 0 : std::numeric_limits<qint64>::max());
    ReadOutcome outcome;
    const ReadAhead::Batch* batch = nullptr;
    ReadAhead::Step step;
    while ((step = reader.next(batch, 1000ms)) == ReadAhead::Step::Batch ||
           step == ReadAhead::Step::Waiting) {
        if (step == ReadAhead::Step::Waiting) continue;
        for (std::size_t i = 0; i < batch->count(); ++i) outcome.lines << batch->line(i).toString();
        if (batch->bytesConsumed < outcome.lastBytesConsumed) outcome.bytesNeverFell = false;
        outcome.lastBytesConsumed = batch->bytesConsumed;
    }
    outcome.end = step;
    // Once ended, it stays ended.
    EXPECT_EQ(reader.next(batch, 0ms), step);
    return outcome;
}

// Random lines of every kind a real input mixes: line ends of three kinds, lines without "@",
// several addresses in one line, capitals and bytes that are not ASCII, and long lines.
QByteArray randomInput(std::mt19937& random, int lines) {
    static const char* const words[] = {"Mail",
                                        "a.B@Example.ORG",
                                        "x@y",
                                        "@",
                                        "text",
                                        " ",
                                        "\xC3\x89T\xC3\x89@caf\xC3\xA9.fr",
                                        "\xE9l\xE8ve@\xE9"
                                        "cole.fr",
                                        "<Some.One@Host.COM>,",
                                        "\t",
                                        "\0",
                                        "@@",
                                        "q@w.e;r@t.y"};
    static const char* const ends[] = {"\n", "\r\n", "\r", "\n\n"};
    QByteArray input;
    for (int i = 0; i < lines; ++i) {
        const int wordsInLine = int(random() % 12);
        const bool longLine = random() % 40 == 0;
        for (int w = 0; w < wordsInLine || (longLine && w < 400); ++w) {
            const char* word = words[random() % std::size(words)];
            input += *word == '\0' ? QByteArray(1, '\0') : QByteArray(word);
        }
        if (i + 1 < lines || random() % 2 == 0) input += ends[random() % std::size(ends)];
    }
    return input;
}

TEST(ReadAheadTest, GivesTheLinesOfDirectReadingWhateverTheBatchSize) {
    std::mt19937 random(7);
    for (int round = 0; round < 24; ++round) {
        const QByteArray input = randomInput(random, 1 + int(random() % 600));
        const bool everyAddress = round % 2 == 1;
        const qsizetype limit = round % 3 == 0 ? 64 : BoundedLine::kDefaultLimit;
        const QStringList expected = preparedDirectly(input, everyAddress, limit);
        for (std::size_t batchUnits : {std::size_t(1), std::size_t(37), std::size_t(1) << 16}) {
            for (bool threads : {true, false}) {
                QBuffer buffer;
                buffer.setData(input);
                buffer.open(QIODevice::ReadOnly);
                const ReadOutcome outcome =
                    readAhead(buffer, everyAddress, limit, batchUnits, threads);
                ASSERT_EQ(outcome.lines, expected)
                    << "round " << round << ", batch " << batchUnits << ", threads " << threads;
                EXPECT_EQ(outcome.end, ReadAhead::Step::End);
                EXPECT_EQ(outcome.lastBytesConsumed, input.size());
                EXPECT_TRUE(outcome.bytesNeverFell);
            }
        }
    }
}

TEST(ReadAheadTest, EmptyInputEndsWithNoLines) {
    for (bool threads : {true, false}) {
        QBuffer buffer;
        buffer.open(QIODevice::ReadOnly);
        const ReadOutcome outcome =
            readAhead(buffer, false, BoundedLine::kDefaultLimit, 16, threads);
        EXPECT_TRUE(outcome.lines.isEmpty());
        EXPECT_EQ(outcome.end, ReadAhead::Step::End);
    }
}

TEST(ReadAheadTest, ReadErrorComesAfterEveryLineReadBeforeIt) {
    for (bool threads : {true, false}) {
        for (std::size_t batchUnits : {std::size_t(1), std::size_t(1) << 16}) {
            FailingDevice device("A@bb.cc\r\nb@dd.ee\nno address\r\npartial@ff.gg");
            const ReadOutcome outcome =
                readAhead(device, false, BoundedLine::kDefaultLimit, batchUnits, threads);
            EXPECT_EQ(outcome.lines, (QStringList{"a@bb.cc", "b@dd.ee"}));
            EXPECT_EQ(outcome.end, ReadAhead::Step::Error);
        }
        FailingDevice device("");
        ReadAhead reader(device, false, BoundedLine::kDefaultLimit, ReadAhead::kDefaultBatchUnits,
                         threads ? 0 : std::numeric_limits<qint64>::max());
        const ReadAhead::Batch* batch = nullptr;
        ReadAhead::Step step;
        while ((step = reader.next(batch, 1000ms)) == ReadAhead::Step::Batch) {
            EXPECT_EQ(batch->count(), 0u);
        }
        EXPECT_EQ(step, ReadAhead::Step::Error);
        EXPECT_EQ(reader.status().message(), "disk on fire");
    }
}

TEST(ReadAheadTest, StopsAnEndlessInputWhenLetGo) {
    EndlessDevice device;
    {
        ReadAhead reader(device, false, BoundedLine::kDefaultLimit, 64);
        const ReadAhead::Batch* batch = nullptr;
        ASSERT_EQ(reader.next(batch, 10s), ReadAhead::Step::Batch);
        EXPECT_EQ(batch->line(0).toString(), "x@yy.zz");
        // The reader has filled every batch it may and waits for the run: letting go ends it.
    }
    {
        ReadAhead reader(device, false);  // let go before its first batch is taken
    }
}

TEST(ReadAheadTest, AStalledInputLeavesTheRunFreeToWait) {
    StalledDevice device("a@bb.cc\n");
    ReadAhead reader(device, false);
    const ReadAhead::Batch* batch = nullptr;
    EXPECT_EQ(reader.next(batch, 20ms), ReadAhead::Step::Waiting);
    EXPECT_EQ(reader.next(batch, 0ms), ReadAhead::Step::Waiting);
    device.release();
    QStringList lines;
    ReadAhead::Step step;
    while ((step = reader.next(batch, 10s)) == ReadAhead::Step::Batch) {
        for (std::size_t i = 0; i < batch->count(); ++i) lines << batch->line(i).toString();
    }
    EXPECT_EQ(lines, QStringList{"a@bb.cc"});
    EXPECT_EQ(step, ReadAhead::Step::End);
}

}  // namespace
}  // namespace rosterly

#include "input_lines.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryFile>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/test_devices.h"

namespace rosterly {
namespace {

using Lines = std::vector<std::string>;

// How the lines get their bytes: read into a block of their own, or scanned in the read-ahead's
// blocks (of half the size, with as much room in front for a line's unfinished start).
enum class Blocks { Own, Lent };

// Every line of `source`, read in blocks of `blockBytes`, its parts joined; "<error>" marks a
// read error. Checks what every caller relies on: parts never exceed the block nor hold a line
// end, and a line of up to half a block comes as one part.
Lines readAll(QIODevice& source, qsizetype blockBytes, char holding = 0,
              Blocks blocks = Blocks::Own) {
    std::optional<PrefetchedInput> prefetched;
    std::optional<InputLines> lent;
    if (blocks == Blocks::Lent) {
        prefetched.emplace(source, blockBytes / 2);
        EXPECT_TRUE(prefetched->lendsBlocks());
        lent.emplace(*prefetched);
    }
    InputLines own(source, blockBytes);
    InputLines& input = lent ? *lent : own;
    Lines lines;
    std::string line;
    int parts = 0;
    InputLines::Part part;
    for (;;) {
        const auto step = holding ? input.nextHolding(holding, part) : input.next(part);
        if (step == InputLines::Step::End) {
            EXPECT_EQ(parts, 0) << "a line without its last part";
            return lines;
        }
        if (step == InputLines::Step::Error) {
            lines.push_back("<error>");
            return lines;
        }
        EXPECT_LE(part.bytes.size(), std::max<qsizetype>(blockBytes, 2));
        EXPECT_EQ(part.bytes.indexOf('\r'), -1);
        EXPECT_EQ(part.bytes.indexOf('\n'), -1);
        line.append(part.bytes.data(), size_t(part.bytes.size()));
        ++parts;
        if (part.lineEnds) {
            if (qsizetype(line.size()) <= blockBytes / 2) {
                EXPECT_EQ(parts, 1) << line;
            }
            lines.push_back(line);
            line.clear();
            parts = 0;
        }
    }
}

Lines readBytes(const std::string& bytes, qsizetype blockBytes, char holding = 0,
                Blocks blocks = Blocks::Own) {
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return readAll(buffer, blockBytes, holding, blocks);
}

struct SplitCase {
    const char* name;
    std::string input;
    Lines lines;
};

const std::vector<SplitCase>& splitCases() {
    using namespace std::string_literals;
    static const std::vector<SplitCase> cases = {
        {"empty input has no lines", "", {}},
        {"return ends a line", "ab\rcd\r", {"ab", "cd"}},
        {"line feed ends a line", "ab\ncd\nef", {"ab", "cd", "ef"}},
        {"return and line feed end one line", "ab\r\ncd\r\n", {"ab", "cd"}},
        {"all three kinds mixed", "a\nb\r\nc\rd", {"a", "b", "c", "d"}},
        {"last line needs no end", "ab\r\ncd", {"ab", "cd"}},
        {"a line feed after return and line feed is an empty line", "a\r\n\nb", {"a", "", "b"}},
        {"line feed then return are two ends", "a\n\rb", {"a", "", "b"}},
        {"empty lines are lines", "\r\r\n\r\n\n", {"", "", "", ""}},
        {"a lone line feed is an empty line", "\n", {""}},
        {"binary bytes and NUL pass through", "a\0b\xff\x80\r@\0"s, {"a\0b\xff\x80"s, "@\0"s}},
        {"line end at the very end leaves no empty line", "abc\r", {"abc"}},
        {"line much longer than a block",
         std::string(300, 'x') + "\r\ny",
         {std::string(300, 'x'), "y"}},
        {"long last line without end", "a\n" + std::string(200, '@'), {"a", std::string(200, '@')}},
    };
    return cases;
}

// Small blocks put every return, line feed and line at a block boundary somewhere.
const qsizetype kBlockSizes[] = {1, 2, 3, 5, 64, InputLines::kDefaultBlockBytes};

TEST(InputLinesTest, SplitsLinesAtReturnsWhateverTheBlockSize) {
    for (const SplitCase& c : splitCases()) {
        for (qsizetype block : kBlockSizes) {
            EXPECT_EQ(readBytes(c.input, block), c.lines) << c.name << ", block " << block;
            EXPECT_EQ(readBytes(c.input, block, 0, Blocks::Lent), c.lines)
                << c.name << ", lent blocks " << block;
        }
    }
}

TEST(InputLinesTest, HoldingSkipsExactlyTheLinesWithoutTheByte) {
    std::vector<SplitCase> cases = splitCases();
    cases.push_back({"at in several lines", "x@y\r\nno\r\n@\r\nmid@dle\nnext\r\nz", {}});
    cases.push_back({"at after a lone line feed", "a\r\nb\n@c\r\nd", {}});
    cases.push_back({"at late in a long line", std::string(500, 'y') + "@\nz\n", {}});
    cases.push_back({"long line without at", "q\n" + std::string(500, 'y') + "\n@", {}});
    cases.push_back({"at right after return", "a\r@b\r\n@\r\n", {}});
    // In blocks of 64 the long line goes over in parts, its line feed first in the next block.
    cases.push_back(
        {"line feed of a long line after a return", "a\r" + std::string(62, 'b') + "\n@x\n", {}});
    for (const SplitCase& c : cases) {
        Lines expected;
        for (const std::string& line : readBytes(c.input, 64)) {
            if (line.find('@') != std::string::npos) expected.push_back(line);
        }
        for (qsizetype block : kBlockSizes) {
            for (Blocks blocks : {Blocks::Own, Blocks::Lent}) {
                // A line too long to judge within one block may come although it lacks the byte.
                Lines got = readBytes(c.input, block, '@', blocks);
                std::erase_if(got, [&](const std::string& line) {
                    return line.find('@') == std::string::npos &&
                           qsizetype(line.size()) > block / 2;
                });
                EXPECT_EQ(got, expected) << c.name << ", block " << block << int(blocks);
            }
        }
    }
}

// Random runs of returns, line feeds and "@": whatever way a line is found (its end at hand with
// the "@", or read further), the lines holding it are those of the plain split.
TEST(InputLinesTest, HoldingMatchesThePlainSplitOnRandomInput) {
    std::mt19937 random(8);
    const std::string alphabet = "ab@\r\n\r\n";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (int i = 0; i < 400; ++i) {
        std::string input(std::uniform_int_distribution<size_t>(0, 120)(random), ' ');
        for (char& c : input) c = alphabet[pick(random)];
        Lines expected;
        for (const std::string& line : readBytes(input, InputLines::kDefaultBlockBytes)) {
            if (line.find('@') != std::string::npos) expected.push_back(line);
        }
        for (qsizetype block : {qsizetype(2), qsizetype(7), qsizetype(16), qsizetype(64)}) {
            for (Blocks blocks : {Blocks::Own, Blocks::Lent}) {
                Lines got = readBytes(input, block, '@', blocks);
                std::erase_if(got, [&](const std::string& line) {
                    return line.find('@') == std::string::npos &&
                           qsizetype(line.size()) > block / 2;
                });
                ASSERT_EQ(got, expected)
                    << ::testing::PrintToString(input) << ", block " << block << int(blocks);
            }
        }
    }
}

TEST(InputLinesTest, CountsTheBytesConsumedLineEndsIncluded) {
    QByteArray data = "ab@\r\nskipped\nc@\n" + QByteArray(100, 'x') + "\r";
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    InputLines input(buffer, 16);
    InputLines::Part part;
    EXPECT_EQ(input.bytesConsumed(), 0);
    ASSERT_EQ(input.nextHolding('@', part), InputLines::Step::Part);
    EXPECT_EQ(input.bytesConsumed(), 4);  // the line feed after the return is not yet read
    ASSERT_EQ(input.nextHolding('@', part), InputLines::Step::Part);
    EXPECT_EQ(part.bytes, "c@");
    EXPECT_EQ(input.bytesConsumed(), 16);
    while (input.nextHolding('@', part) == InputLines::Step::Part) {
    }
    EXPECT_EQ(input.bytesConsumed(), data.size());
}

TEST(InputLinesTest, ReadsFileManyBlocksLong) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    Lines written;
    for (int i = 0; i < 5000; ++i) {
        written.push_back("line " + std::to_string(i) + (i % 7 == 0 ? " a@b.cc" : ""));
        file.write(QByteArray::fromStdString(written.back() + "\r\n"));
    }
    const std::string longLine(100000, 'x');
    written.push_back(longLine + "@" + longLine);  // longer than a block, ends the file
    file.write(QByteArray::fromStdString(written.back()));
    Lines holding;
    for (const std::string& line : written) {
        if (line.find('@') != std::string::npos) holding.push_back(line);
    }
    // Lent blocks of a file are read at their places, by two threads.
    for (Blocks blocks : {Blocks::Own, Blocks::Lent}) {
        file.seek(0);
        EXPECT_EQ(readAll(file, 4096, 0, blocks), written);
        file.seek(0);
        EXPECT_EQ(readAll(file, 4096, '@', blocks), holding);
    }
}

TEST(InputLinesTest, ReadErrorEndsTheLinesWithError) {
    for (char holding : {'\0', '@'}) {
        for (Blocks blocks : {Blocks::Own, Blocks::Lent}) {
            FailingDevice device("a@1\r\nb@2\r\npartial@");
            EXPECT_EQ(readAll(device, 4, holding, blocks), (Lines{"a@1", "b@2", "<error>"}));
        }
    }
    FailingDevice device("");
    InputLines input(device);
    InputLines::Part line;
    EXPECT_TRUE(input.status().ok());
    EXPECT_EQ(input.next(line), InputLines::Step::Error);
    EXPECT_EQ(input.status().message(), "disk on fire");
    EXPECT_EQ(input.next(line), InputLines::Step::Error);
}

}  // namespace
}  // namespace rosterly

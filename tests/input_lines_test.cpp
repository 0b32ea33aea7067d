#include "input_lines.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryFile>

#include <string>
#include <vector>

namespace rosterly {
namespace {

using Lines = std::vector<std::string>;

// Every line of `source`, read in blocks of `blockBytes`; "<error>" marks a read error.
Lines readAll(QIODevice& source, qsizetype blockBytes, char holding = 0) {
    InputLines input(source, blockBytes);
    Lines lines;
    QByteArrayView line;
    for (;;) {
        const auto step = holding ? input.nextHolding(holding, line) : input.next(line);
        if (step == InputLines::Step::End)
            return lines;
        if (step == InputLines::Step::Error) {
            lines.push_back("<error>");
            return lines;
        }
        lines.emplace_back(line.data(), size_t(line.size()));
    }
}

Lines readBytes(const std::string& bytes, qsizetype blockBytes, char holding = 0) {
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return readAll(buffer, blockBytes, holding);
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
        {"line feed after return is dropped", "ab\r\ncd\r\n", {"ab", "cd"}},
        {"lone line feed stays in the line", "ab\ncd\nef", {"ab\ncd\nef"}},
        {"last line needs no end", "ab\r\ncd", {"ab", "cd"}},
        {"only the first line feed after a return goes", "a\r\n\nb", {"a", "\nb"}},
        {"line feed before a return stays", "a\n\rb", {"a\n", "b"}},
        {"empty lines are lines", "\r\r\n\r", {"", "", ""}},
        {"a lone line feed is a line", "\n", {"\n"}},
        {"binary bytes and NUL pass through", "a\0b\xff\x80\r@\0"s, {"a\0b\xff\x80"s, "@\0"s}},
        {"return at the very end leaves no empty line", "abc\r", {"abc"}},
    };
    return cases;
}

// Small blocks put every return, line feed and line at a block boundary somewhere.
const qsizetype kBlockSizes[] = {1, 2, 3, 5, 64, InputLines::kDefaultBlockBytes};

TEST(InputLinesTest, SplitsLinesAtReturnsWhateverTheBlockSize) {
    for (const SplitCase& c : splitCases()) {
        for (qsizetype block : kBlockSizes) {
            EXPECT_EQ(readBytes(c.input, block), c.lines) << c.name << ", block " << block;
        }
    }
}

TEST(InputLinesTest, HoldingSkipsExactlyTheLinesWithoutTheByte) {
    std::vector<SplitCase> cases = splitCases();
    cases.push_back({"at in several lines", "x@y\r\nno\r\n@\r\nmid@dle\nnext\r\nz", {}});
    cases.push_back({"at after a lone line feed", "a\r\nb\n@c\r\nd", {}});
    cases.push_back({"at right after return", "a\r@b\r\n@\r\n", {}});
    for (const SplitCase& c : cases) {
        Lines expected;
        for (const std::string& line : readBytes(c.input, 64)) {
            if (line.find('@') != std::string::npos)
                expected.push_back(line);
        }
        for (qsizetype block : kBlockSizes) {
            EXPECT_EQ(readBytes(c.input, block, '@'), expected) << c.name << ", block " << block;
        }
    }
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
    file.seek(0);
    EXPECT_EQ(readAll(file, 4096), written);

    Lines holding;
    for (const std::string& line : written) {
        if (line.find('@') != std::string::npos)
            holding.push_back(line);
    }
    file.seek(0);
    EXPECT_EQ(readAll(file, 4096, '@'), holding);
}

// Gives `good` bytes and then fails.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray good) : m_good(std::move(good)) {
        open(QIODevice::ReadOnly);
        setErrorString("disk on fire");
    }

protected:
    qint64 readData(char* data, qint64 max) override {
        if (m_good.isEmpty())
            return -1;
        const qint64 n = std::min<qint64>(max, m_good.size());
        memcpy(data, m_good.constData(), size_t(n));
        m_good.remove(0, qsizetype(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_good;
};

TEST(InputLinesTest, ReadErrorEndsTheLinesWithError) {
    for (char holding : {'\0', '@'}) {
        FailingDevice device("a@1\r\nb@2\r\npartial@");
        EXPECT_EQ(readAll(device, 4, holding), (Lines{"a@1", "b@2", "<error>"}));
    }
    FailingDevice device("");
    InputLines input(device);
    QByteArrayView line;
    EXPECT_EQ(input.next(line), InputLines::Step::Error);
    EXPECT_EQ(input.errorString(), "disk on fire");
    EXPECT_EQ(input.next(line), InputLines::Step::Error);
}

}  // namespace
}  // namespace rosterly

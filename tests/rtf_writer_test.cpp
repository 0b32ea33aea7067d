#include "platform/rtf_writer.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/rich_text_buffer.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

// unrtf's text output knows no characters beyond Latin-1; this configuration
// makes it print every \uN escape it reads as "&#N;", which the test decodes.
bool writeUnrtfConfig(const QString& dir) {
    QFile stock(u"/usr/share/unrtf/text.conf"_s);
    QFile config(dir + u"/text.conf"_s);
    if (!stock.open(QIODevice::ReadOnly) || !config.open(QIODevice::WriteOnly))
        return false;
    config.write(stock.readAll() + "\nunisymbol_print\n\t&#%;\n");
    return true;
}

QString decodeNumericEntities(const QString& text) {
    static const QRegularExpression entity(u"&#(\\d+);"_s);
    QString result;
    qsizetype at = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        result += text.mid(at, match.capturedStart() - at);
        result += QChar(static_cast<char16_t>(match.captured(1).toUInt()));
        at = match.capturedEnd();
    }
    return result + text.mid(at);
}

// Reads an RTF document back with Debian's unrtf and returns its plain text
// with line breaks as CR LF, or a null string when unrtf cannot be run.
QString readBackWithUnrtf(const QByteArray& rtf) {
    QTemporaryDir dir;
    QFile file(dir.filePath(u"list.rtf"_s));
    if (!writeUnrtfConfig(dir.path()) || !file.open(QIODevice::WriteOnly) ||
        file.write(rtf) != rtf.size())
        return {};
    file.close();
    QProcess unrtf;
    unrtf.start(u"unrtf"_s, {u"-P"_s, dir.path(), u"--text"_s, u"--nopict"_s, file.fileName()});
    if (!unrtf.waitForFinished(10000) || unrtf.exitCode() != 0)
        return {};
    QStringList lines = QString::fromLatin1(unrtf.readAllStandardOutput()).split(u'\n');
    // The document's text follows unrtf's "-----------------" rule.
    const qsizetype rule = lines.indexOf(u"-----------------"_s);
    if (rule < 0)
        return {};
    lines.remove(0, rule + 1);
    // unrtf ends the last paragraph with a line break the document does not hold.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return decodeNumericEntities(lines.join(u"\r\n"_s));
}

class RtfWriterTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(u"unrtf"_s).isEmpty())
            GTEST_SKIP() << "unrtf is not installed (scripts/install-deps.sh installs it)";
    }
};

TEST_P(RtfWriterTest, UnrtfReadsBackTheSameText) {
    EXPECT_EQ(readBackWithUnrtf(writeRtf(GetParam())), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RtfWriterTest,
    ::testing::Values(
        u"<END>"_s, u"ann@example.com\r\nbob@example.org\r\n<END>"_s,
        u"a\\b@x.de\r\n{c}@y.de\r\n<END>"_s,
        u"m\u00FCller@stra\u00DFe.de\r\njos\u00E9@ex\u00E4mple.com\r\n<END>"_s,
        u"\u7528\u6237@\u4F8B\u5B50.\u4E2D\u56FD\r\n\u0436\u0435\u043D\u044F@\u043F\u043E\u0447\u0442\u0430.\u0440\u0444\r\n<END>"_s,
        u"\u20AC\u2019\u0153@x.de\r\n<END>"_s));

TEST(RtfWriterFormatTest, OutputIsAsciiWithEscapes) {
    const QByteArray rtf = writeRtf(u"\u00E9{\\}\u4E2D\r\n"_s);
    for (char byte : rtf) EXPECT_LT(static_cast<unsigned char>(byte), 0x80);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("{\\u233\\'e9}\\{\\\\\\}{\\u20013?}\\par"));
}

TEST(RtfWriterFormatTest, CharactersAboveSignedRangeAreWrittenNegative) {
    EXPECT_TRUE(writeRtf(u"\uFF21"_s).contains("{\\u-223?}"));
}

TEST(RtfWriterFormatTest, LoneLineBreaksAreParagraphsToo) {
    EXPECT_EQ(writeRtf(u"a\rb\nc\r\nd"_s).count("\\par\r\n"), 3);
}

// Lines taken straight from stored bytes must come out exactly as the same lines as text.
TEST(RtfWriterFormatTest, AsciiBytesWriteAsTheirTextAndOtherBytesAreLeftToTheText) {
    for (const char* line : {"a.b@x.de\r\n", "{a}\\b@x.de\r\n", "t\tab@x\x01.de\r\n", "a\rb\nc"}) {
        QByteArray fromBytes = "kept";
        ASSERT_TRUE(appendRtfAscii(fromBytes, QByteArrayView(line)));
        QByteArray fromText = "kept";
        appendRtfText(fromText, QString::fromLatin1(line));
        EXPECT_EQ(fromBytes, fromText) << line;
    }
    QByteArray out = "kept";
    EXPECT_FALSE(appendRtfAscii(out, QByteArrayView("m\xC3\xBCller@x.de\r\n")));
    EXPECT_EQ(out, "kept");
}

// Every ASCII byte at every place of lines around the sixteen-byte steps of the plain-line
// check: whether a line takes the plain path or the escaping one, it must read as the text.
TEST(RtfWriterFormatTest, EveryAsciiByteAtEveryPlaceWritesAsTheText) {
    for (int length = 1; length <= 40; ++length) {
        for (int at = 0; at < length; ++at) {
            for (int byte = 0; byte < 0x80; ++byte) {
                QByteArray line(length, 'a');
                line[at] = char(byte);
                line += "\r\n";
                QByteArray fromBytes;
                ASSERT_TRUE(appendRtfAscii(fromBytes, QByteArrayView(line)));
                QByteArray fromText;
                appendRtfText(fromText, QString::fromLatin1(line));
                ASSERT_EQ(fromBytes, fromText) << length << " " << at << " " << byte;
            }
        }
    }
}

TEST(RtfWriterFormatTest, RichSaveOfBufferWritesTheDocument) {
    QTemporaryDir dir;
    RichTextBuffer buffer;
    buffer.setText(u"z@x.de\r\n<END>"_s);
    const QString path = dir.filePath(u"out.doc"_s);
    ASSERT_TRUE(buffer.saveFile(path).ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), writeRtf(buffer.text()));
}

}  // namespace
}  // namespace rosterly

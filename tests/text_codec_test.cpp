#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    QString text;
    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
};

class DecodeBytesTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeBytesTest, DecodesEveryByte) {
    EXPECT_EQ(decodeBytes(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeBytesTest,
    ::testing::Values(
        DecodeCase{"Ascii", "ann@example.com\r\n", u"ann@example.com\r\n"_s},
        DecodeCase{"Utf8TwoAndThreeBytes", "m\xC3\xBCller\xE2\x82\xAC", u"m\u00FCller\u20AC"_s},
        DecodeCase{"Utf8FourBytes", "\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80")},
        DecodeCase{"Latin1ByteIsWindows1252", "m\xFCller", u"m\u00FCller"_s},
        DecodeCase{"Cp1252OnlyBytes", "\x80\x93\x94\x9F", u"\u20AC\u201C\u201D\u0178"_s},
        DecodeCase{"UndefinedCp1252BytesKeepTheirValue", "\x81\x8D\x8F\x90\x9D",
                   u"\u0081\u008D\u008F\u0090\u009D"_s},
        DecodeCase{"TruncatedSequenceAtEnd", "a\xC3", u"a\u00C3"_s},
        DecodeCase{"OverlongSlash", "\xC0\xAF", u"\u00C0\u00AF"_s},
        DecodeCase{"EncodedSurrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC"_s},
        DecodeCase{"BeyondUnicode", "\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"_s},
        DecodeCase{"ValidAfterInvalid", "\xFF\xC3\xA9", u"\u00FF\u00E9"_s},
        DecodeCase{"NulByte", QByteArray("a\0b", 3), QString(u"a\0b"_s)}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TextCodecTest, EncodesAsUtf8) {
    EXPECT_EQ(encodeText(u"m\u00FCller@stra\u00DFe.de"), QByteArray("m\xC3\xBCller@stra\xC3\x9F"
                                                                    "e.de"));
}

TEST(TextCodecTest, TextRoundTripsThroughEncoding) {
    const QString text =
        u"ann@x.de\r\n\u00E9\u4E2D\u6587\r\n<END>"_s + QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(decodeBytes(encodeText(text)), text);
}

TEST(TextCodecTest, ValidUtf8BytesRoundTrip) {
    const QByteArray bytes("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(encodeText(decodeBytes(bytes)), bytes);
}

TEST(TextCodecTest, EveryByteValueYieldsOneCharacterUnlessPartOfUtf8) {
    for (int value = 0x80; value <= 0xFF; ++value) {
        const QByteArray lone(1, static_cast<char>(value));
        EXPECT_EQ(decodeBytes(lone).size(), 1) << "byte " << value;
    }
}

}  // namespace
}  // namespace rosterly

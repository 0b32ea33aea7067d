#include "line_text.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

namespace rosterly {
namespace {

TEST(LowerCasedLineTest, FoldsLettersOnlyAcrossBlockAndTailBoundaries) {
    // 'A'-1 and 'Z'+1 are '@' and '['; every position of a 16-byte block and of the tail.
    const QByteArray in = "@AZ[`az{ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@Q.CC";
    QString out;
    lowerCasedLine(in, out);
    EXPECT_EQ(out, QString::fromLatin1(in).toLower());
    EXPECT_EQ(out.left(8), "@az[`az{");
}

TEST(LowerCasedLineTest, NonAsciiAnywhereDecodesWholeLine) {
    struct Case {
        QByteArray in;
        QString expected;
    };
    const QString eAcute = QString(QChar(0xE9));
    for (const Case& c : {
             Case{"ABCDEFGHIJKLMNO\xc3\x89@X.CC",
                  QStringLiteral("abcdefghijklmno") + eAcute + "@x.cc"},
             Case{"\xc9"
                  "ABCDEFGHIJKLMNOPQ",
                  eAcute + QStringLiteral("abcdefghijklmnopq")},
             Case{"A\x80@B", QStringLiteral("a") + QChar(0x20AC) + "@b"},
             Case{"\xc4\xb0X", QStringLiteral("i\u0307x")},
         }) {
        QString out = QStringLiteral("left over from a longer earlier line");
        lowerCasedLine(c.in, out);
        EXPECT_EQ(out, c.expected) << c.in.toStdString();
    }
}

TEST(LowerCasedLineTest, ReusedStorageShrinksToShorterLine) {
    QString out;
    lowerCasedLine("A LONGER LINE THAN THE NEXT ONE @ HERE", out);
    lowerCasedLine("B@C", out);
    EXPECT_EQ(out, "b@c");
    lowerCasedLine("", out);
    EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace rosterly

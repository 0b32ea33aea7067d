#include "line_text.h"

#include <gtest/gtest.h>

#include "support/lower_cased.h"
#include "support/qt_print.h"

namespace rosterly {
namespace {

TEST(LowerCasedLineTest, FoldsLettersOnlyAcrossBlockAndTailBoundaries) {
    // 'A'-1 and 'Z'+1 are '@' and '['; every position of a 16-byte block and of the tail.
    const QByteArray in = "@AZ[`az{ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@Q.CC";
    const QString out = lowerCased(in);
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
             Case{"ABCDEFGHIJKLMNOPQRS\xc9", QStringLiteral("abcdefghijklmnopqrs") + eAcute},
             Case{"\xc4\xb0X", QStringLiteral("i\u0307x")},
         }) {
        EXPECT_EQ(lowerCased(c.in), c.expected) << c.in.toStdString();
    }
}

// Lines follow one another in one text: what stands before stays, on either path.
TEST(LowerCasedLineTest, AppendsAfterWhatTheTextHolds) {
    QString text = QStringLiteral("Kept|");
    appendLowerCasedLine("A@B.CC", text);
    appendLowerCasedLine("", text);
    appendLowerCasedLine("\xc9T\xc9@X.CC ABCDEFGHIJKLMNOPQRSTUVWXYZ", text);
    appendLowerCasedLine("|Z", text);
    EXPECT_EQ(text, QStringLiteral("Kept|a@b.cc\u00e9t\u00e9@x.cc abcdefghijklmnopqrstuvwxyz|z"));
}

}  // namespace
}  // namespace rosterly

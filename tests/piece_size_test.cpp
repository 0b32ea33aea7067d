#include "piece_size.h"

#include <gtest/gtest.h>

#include <QString>

#include <cmath>
#include <limits>

namespace rosterly {
namespace {

TEST(PieceSizeTest, ReadsTheNumberTheTextBeginsWith) {
    const struct {
        const char16_t* text;
        double number;
    } cases[] = {
        {u"1000", 1000},
        {u"", 0},
        {u"abc", 0},
        {u"12abc", 12},
        {u" 1 2", 12},
        {u"\t3\n4 ", 34},
        {u"2.5", 2.5},
        {u"2.5.7", 2.5},
        {u".5", 0.5},
        {u"5.", 5},
        {u".", 0},
        {u"-3", -3},
        {u"+4", 4},
        {u"- 3", -3},
        {u"+", 0},
        {u"--3", 0},
        {u"1e3", 1000},
        {u"1E3", 1000},
        {u"2.5e-1", 0.25},
        {u"1e", 1},
        {u"1e+", 1},
        {u"1ex", 1},
        {u"1 e 2", 100},
        {u"&H10", 0},
        {u"0x10", 0},
        {u"1,000", 1},
        {u"\u0661", 0},
        {u"7\u00a08", 7},
        {u"1e400", INFINITY},
        {u"-1e400", -INFINITY},
        {u"1e-400", 0},
        {u"0.00001e-400", 0},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(leadingNumber(text), c.number) << text.toStdString();
    }
}

TEST(PieceSizeTest, PieceHoldsTheNumberRoundedUpAndAtLeastOne) {
    const struct {
        const char16_t* text;
        qint64 size;
    } cases[] = {
        {u"1000", 1000},
        {u"1", 1},
        {u"0", 1},
        {u"-3", 1},
        {u"", 1},
        {u"abc", 1},
        {u"2.5", 3},
        {u"2.0001", 3},
        {u"0.1", 1},
        {u"1.5e1", 15},
        {u"3000", 3000},
        {u"1e3", 1000},
        {u"1e400", std::numeric_limits<qint64>::max()},
        {u"1e300", std::numeric_limits<qint64>::max()},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(pieceSize(text), c.size) << text.toStdString();
    }
}

}  // namespace
}  // namespace rosterly

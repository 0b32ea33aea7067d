#include "address_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "address_scanner_reference.h"

namespace corvell {
namespace {

struct Case {
    std::u16string before;
    std::u16string after;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.before);
}

// The result must be a piece of the input itself, not a copy.
::testing::AssertionResult isPieceOf(std::u16string_view piece, std::u16string_view whole) {
    if (piece.empty()) {
        return ::testing::AssertionSuccess();
    }
    const char16_t* begin = whole.data();
    const char16_t* end = whole.data() + whole.size();
    if (piece.data() >= begin && piece.data() + piece.size() <= end) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "result does not lie inside the input";
}

class CleanAddressCases : public ::testing::TestWithParam<Case> {};

TEST_P(CleanAddressCases, CutsTheTextDownAsExpected) {
    const Case& c = GetParam();
    std::u16string_view result = cleanAddress(c.before);
    EXPECT_EQ(std::u16string(result), c.after);
    EXPECT_TRUE(isPieceOf(result, c.before));
}

TEST_P(CleanAddressCases, LiteralPassesGiveTheSameResult) {
    const Case& c = GetParam();
    EXPECT_EQ(reference::cleanAddress(c.before), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedLines, CleanAddressCases,
    ::testing::Values(Case{u"contact: abc@b.c", u"abc@b.c"}, Case{u"mailto:abc@b.c.", u"abc@b.c"},
                      Case{u"(abc@b.c)!", u"abc@b.c"}, Case{u"a@b.c, d@e.f", u"d@e.f"},
                      Case{u"a@b.c d@e", u""}, Case{u"abc@b.c;", u"abc@b.c"},
                      Case{u"abc@b.c;x", u"abc@b.c;x"}, Case{u"abc..def@b.c", u".def@b.c"},
                      Case{u"abc@b..c", u""}, Case{u"a@b.c@", u"a@b.c"}, Case{u"@b.c", u""},
                      Case{u"@a@b.c", u""}, Case{u"a@b.c-", u"a@b.c"},
                      Case{u"a@b.c?s=1", u"a@b.c?s"}, Case{u"abc@@b.c", u"abc@@b.c"},
                      Case{u"a.b@c", u""}));

INSTANTIATE_TEST_SUITE_P(TextsWithoutAnAddressShapeComeBackEmpty, CleanAddressCases,
                         ::testing::Values(Case{u"", u""}, Case{u"plain words", u""},
                                           Case{u"a@b", u""}, Case{u"a.b@c", u""}, Case{u"@.", u""},
                                           Case{u"x@y.z a@b", u""}, Case{u"a@b.c,d@e", u""}));

INSTANTIATE_TEST_SUITE_P(
    FrontGoesUpToTheLastLeftDelimiterBeforeTheLastAt, CleanAddressCases,
    ::testing::Values(Case{u"\"John Smith\" <john.smith@example.com>", u"john.smith@example.com"},
                      Case{u"mailto:a@b.c", u"a@b.c"}, Case{u"x;y@b.c", u"y@b.c"},
                      Case{u"a...b@c.d", u".b@c.d"}, Case{u"a..@b.c", u".@b.c"},
                      Case{u"x,@a@b.c", u""}, Case{u"a@b.c,d@e.f,g@h.i", u"g@h.i"},
                      Case{u"\ta@b.c", u"\ta@b.c"}, Case{u"'a@b.c'", u"'a@b.c'"},
                      Case{u"{a@b.c}", u"{a@b.c}"}, Case{u"[a@b.c]", u"[a@b.c]"}));

INSTANTIATE_TEST_SUITE_P(BackGoesDownToTheFirstRightDelimiterAfterTheFirstAt, CleanAddressCases,
                         ::testing::Values(Case{u"a@b.c!d@e.f", u"a@b.c"},
                                           Case{u"a@b.c-d@e.f", u"a@b.c-d@e.f"},
                                           Case{u"a@b.c..d", u"a@b.c"}, Case{u"a@b.c;", u"a@b.c"},
                                           Case{u"a@b.c;;", u"a@b.c"}, Case{u"a@b.c;x", u"a@b.c;x"},
                                           Case{u"a@b.c.-.;", u"a@b.c"}, Case{u"a@b.c-@", u"a@b.c"},
                                           Case{u"a@b.c;@", u""}, Case{u"a@b.c>x!y", u"a@b.c"},
                                           Case{u"a!b@c.d", u"a!b@c.d"},
                                           Case{u"a@b.c?x=1&y=2", u"a@b.c?x"},
                                           Case{u"a@b.c-.x", u"a@b.c-.x"}, Case{u"a@b.-", u""}));

TEST(AddressShape, NeedsAnAtWithAFullStopAfterIt) {
    EXPECT_TRUE(hasAddressShape(u"a@b.c"));
    EXPECT_TRUE(hasAddressShape(u"@."));
    EXPECT_TRUE(hasAddressShape(u".@.@"));
    EXPECT_FALSE(hasAddressShape(u""));
    EXPECT_FALSE(hasAddressShape(u"a.b@c"));
    EXPECT_FALSE(hasAddressShape(u"abc"));
    EXPECT_FALSE(hasAddressShape(u"a.b.c"));
}

TEST(CleanAddress, LongLinesAreCutAtBothEnds) {
    std::u16string line(100000, u' ');
    line += u"a@b.c";
    line += std::u16string(100000, u'!');
    EXPECT_EQ(std::u16string(cleanAddress(line)), u"a@b.c");
}

// Compares the linear scanner with the literal passes, reporting the first text they differ on.
void expectSameAsReference(const std::u16string& text) {
    std::u16string_view fast = cleanAddress(text);
    ASSERT_TRUE(isPieceOf(fast, text)) << ::testing::PrintToString(text);
    ASSERT_EQ(std::u16string(fast), reference::cleanAddress(text))
        << "for " << ::testing::PrintToString(text);
}

TEST(CleanAddress, AgreesWithLiteralPassesOnRandomTexts) {
    // Pieces drawn with repeats for the units that steer the rules.
    const std::vector<std::u16string> pieces = {
        u"@",  u"@", u"@",   u"@",       u".",      u".",     u".", u"..", u"..",     u"-",
        u"-",  u";", u";",   u"!",       u"!",      u",",     u" ", u":",  u"\"",     u"<",
        u">",  u"`", u"/",   u"\\",      u"+",      u"=",     u"|", u"(",  u")",      u"&",
        u"^",  u"%", u"~",   u"$",       u"a",      u"a",     u"b", u"z",  u"0",      u"7",
        u"\t", u"'", u"{",   u"[",       u"]",      u"?",     u"#", u"*",  u"\u00e9", u"_",
        u"A",  u"9", u"abc", u"xyz0189", u"\u2061", u"\uff0e"};
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 random(seed);
        for (int i = 0; i < 50000; ++i) {
            std::size_t length = random() % 41;
            std::u16string text;
            while (text.size() < length) {
                text += pieces[random() % pieces.size()];
            }
            expectSameAsReference(text);
        }
    }
}

TEST(CleanAddress, AgreesWithLiteralPassesOnAllShortTexts) {
    const std::u16string units = u"a@.-;! <";
    std::vector<std::size_t> digits;
    for (std::size_t length = 0; length <= 6; ++length) {
        digits.assign(length, 0);
        for (;;) {
            std::u16string text;
            for (std::size_t d : digits) {
                text += units[d];
            }
            expectSameAsReference(text);
            std::size_t k = 0;
            while (k < length && ++digits[k] == units.size()) {
                digits[k++] = 0;
            }
            if (k == length) {
                break;
            }
        }
    }
}

}  // namespace
}  // namespace corvell

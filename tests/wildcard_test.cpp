#include "wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace corvell {
namespace {

constexpr MatchResult M = MatchResult::Match;
constexpr MatchResult N = MatchResult::NoMatch;
constexpr MatchResult Invalid = MatchResult::InvalidPattern;

struct Case {
    std::u16string text;
    std::u16string pattern;
    MatchResult expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.text) << " against " << ::testing::PrintToString(c.pattern);
}

class WildcardCases : public ::testing::TestWithParam<Case> {};

TEST_P(WildcardCases, GivesExpectedResult) {
    const Case& c = GetParam();
    EXPECT_EQ(wildcardMatch(c.text, c.pattern), c.expected);
}

INSTANTIATE_TEST_SUITE_P(LiteralsMatchThemselvesOverTheWholeText, WildcardCases,
                         ::testing::Values(Case{u"", u"", M}, Case{u"abc", u"abc", M},
                                           Case{u"abc", u"abd", N}, Case{u"abc", u"ab", N},
                                           Case{u"ab", u"abc", N}, Case{u"a", u"", N},
                                           Case{u"", u"a", N}, Case{u"a]", u"a]", M},
                                           Case{u"!-", u"!-", M}));

INSTANTIATE_TEST_SUITE_P(
    StarTakesAnyRunAlsoEmpty, WildcardCases,
    ::testing::Values(Case{u"", u"*", M}, Case{u"", u"**", M}, Case{u"abc", u"*", M},
                      Case{u"abc", u"a*", M}, Case{u"abc", u"*c", M}, Case{u"ac", u"a*c", M},
                      Case{u"abc", u"a*b*c", M}, Case{u"abcb", u"*b", M}, Case{u"abca", u"*b", N},
                      Case{u"mississippi", u"m*iss*ppi", M}, Case{u"mississippi", u"m*iss*x", N},
                      Case{u"a@b.c", u"*@*.*", M}, Case{u"a.b@c", u"*@*.*", N},
                      Case{u"@.", u"*@*.*", M}, Case{u"ab", u"*ab*", M}, Case{u"a", u"*ab*", N}));

INSTANTIATE_TEST_SUITE_P(QuestionMarkTakesExactlyOneUnit, WildcardCases,
                         ::testing::Values(Case{u"abc", u"a?c", M}, Case{u"ac", u"a?c", N},
                                           Case{u"abbc", u"a?c", N}, Case{u"", u"?", N},
                                           Case{u"a", u"*?", M}, Case{u"", u"*?", N},
                                           Case{u"\U0001F600", u"??", M},
                                           Case{u"\U0001F600", u"?", N}));

INSTANTIATE_TEST_SUITE_P(HashTakesOneDecimalDigit, WildcardCases,
                         ::testing::Values(Case{u"a0", u"a#", M}, Case{u"a9", u"a#", M},
                                           Case{u"ax", u"a#", N}, Case{u"a/", u"a#", N},
                                           Case{u"a:", u"a#", N}, Case{u"a12", u"a#", N},
                                           Case{u"x12y", u"*#*", M}, Case{u"\u0661", u"#", N}));

INSTANTIATE_TEST_SUITE_P(
    ListTakesOneListedUnit, WildcardCases,
    ::testing::Values(Case{u"b", u"[abc]", M}, Case{u"d", u"[abc]", N}, Case{u"", u"[abc]", N},
                      Case{u"ab", u"[abc]", N}, Case{u"a", u"[a-z]", M}, Case{u"z", u"[a-z]", M},
                      Case{u"m", u"[a-z]", M}, Case{u"{", u"[a-z]", N}, Case{u"e", u"[0-9a-f]", M},
                      Case{u"5", u"[0-9a-f]", M}, Case{u"g", u"[0-9a-f]", N}, Case{u"*", u"[*]", M},
                      Case{u"x", u"[*]", N}, Case{u"?", u"[?]", M}, Case{u"#", u"[#]", M},
                      Case{u"[", u"[[]", M}, Case{u"a", u"[a-a]", M}, Case{u"xby", u"x[abc]y", M}));

INSTANTIATE_TEST_SUITE_P(BangAfterBracketNegatesTheList, WildcardCases,
                         ::testing::Values(Case{u"d", u"[!abc]", M}, Case{u"a", u"[!abc]", N},
                                           Case{u"", u"[!abc]", N}, Case{u"M", u"[!a-z]", M},
                                           Case{u"m", u"[!a-z]", N}, Case{u"!", u"[a!]", M},
                                           Case{u"!", u"[!!]", N}, Case{u"x", u"[!!]", M}));

// "[]" is an empty list (never matches), "[!]" any one unit; a '-' at either end is literal,
// and a range is read left to right, so "[a-c-e]" is a-c, '-' and 'e'.
INSTANTIATE_TEST_SUITE_P(
    ListCornerCases, WildcardCases,
    ::testing::Values(Case{u"", u"[]", N}, Case{u"a", u"[]", N}, Case{u"]", u"[]", N},
                      Case{u"a]", u"[]]", N}, Case{u"]", u"[]]", N}, Case{u"x", u"[!]", M},
                      Case{u"", u"[!]", N}, Case{u"-", u"[a-]", M}, Case{u"-", u"[-a]", M},
                      Case{u"a", u"[-a]", M}, Case{u"b", u"[-a]", N}, Case{u"-", u"[!-a]", N},
                      Case{u"b", u"[!-a]", M}, Case{u"-", u"[a-c]", N}, Case{u"c", u"[a-c-e]", M},
                      Case{u"-", u"[a-c-e]", M}, Case{u"d", u"[a-c-e]", N}, Case{u"-", u"[-]", M},
                      Case{u",", u"[+--]", M}, Case{u"*", u"[+--]", N}));

// Invalid patterns are refused even when the text would have failed before the bad part.
INSTANTIATE_TEST_SUITE_P(
    InvalidPatternsAreRefusedWhateverTheText, WildcardCases,
    ::testing::Values(Case{u"", u"[", Invalid}, Case{u"abc", u"a[bc", Invalid},
                      Case{u"x", u"x[", Invalid}, Case{u"zzz", u"a*[", Invalid},
                      Case{u"abc", u"[a]bc[", Invalid}, Case{u"]", u"][", Invalid},
                      Case{u"a", u"[z-a]", Invalid}, Case{u"a", u"x[z-a]", Invalid},
                      Case{u"a", u"[!z-a]", Invalid}, Case{u"a", u"[a-c-a]", M},
                      Case{u"a", u"[a[]", M}));

INSTANTIATE_TEST_SUITE_P(ComparisonIsByCodeUnitWithoutFolding, WildcardCases,
                         ::testing::Values(Case{u"ABC", u"abc", N}, Case{u"abc", u"ABC", N},
                                           Case{u"A", u"[a-z]", N}, Case{u"\u00e9", u"\u00e9", M},
                                           Case{u"e", u"\u00e9", N},
                                           Case{u"\u00c9", u"[\u00e0-\u00ff]", N}));

TEST(WildcardMatch, ManyStarsOnLongTextsStayFast) {
    std::u16string text(20000, u'a');
    std::u16string pattern;
    for (int i = 0; i < 40; ++i) {
        pattern += u"*a";
    }
    EXPECT_EQ(wildcardMatch(text, pattern + u"*"), M);
    EXPECT_EQ(wildcardMatch(text, pattern + u"*b"), N);
    EXPECT_EQ(wildcardMatch(text + u"b", pattern + u"*b"), M);
    EXPECT_EQ(wildcardMatch(text, u"a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"), N);
}

// Plain dynamic programming over patterns of literals, '*' and '?', as an independent check of
// the backtracking.
bool tableMatch(const std::u16string& text, const std::u16string& pattern) {
    std::vector<std::vector<bool>> ok(text.size() + 1, std::vector<bool>(pattern.size() + 1));
    ok[text.size()][pattern.size()] = true;
    for (std::size_t t = text.size() + 1; t-- > 0;) {
        for (std::size_t p = pattern.size(); p-- > 0;) {
            if (pattern[p] == u'*') {
                ok[t][p] = ok[t][p + 1] || (t < text.size() && ok[t + 1][p]);
            } else {
                ok[t][p] = t < text.size() && (pattern[p] == u'?' || pattern[p] == text[t]) &&
                           ok[t + 1][p + 1];
            }
        }
    }
    return ok[0][0];
}

TEST(WildcardMatch, AgreesWithTableMatchingOnRandomStarPatterns) {
    std::mt19937 random(20240611);
    const std::u16string textUnits = u"ab";
    const std::u16string patternUnits = u"ab**?";
    auto draw = [&](const std::u16string& units, std::size_t maxLength) {
        std::u16string s(random() % (maxLength + 1), u' ');
        for (char16_t& c : s) {
            c = units[random() % units.size()];
        }
        return s;
    };
    for (int i = 0; i < 50000; ++i) {
        std::u16string text = draw(textUnits, 12);
        std::u16string pattern = draw(patternUnits, 8);
        ASSERT_EQ(wildcardMatch(text, pattern) == M, tableMatch(text, pattern))
            << ::testing::PrintToString(text) << " against " << ::testing::PrintToString(pattern);
    }
}

}  // namespace
}  // namespace corvell

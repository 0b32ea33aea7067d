#include "seen_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace corvell {
namespace {

SeenText textOf(std::initializer_list<std::u16string_view> pieces) {
    SeenText seen;
    for (auto piece : pieces) {
        seen.append(piece);
    }
    return seen;
}

TEST(SeenTextTest, NewTextIsEmptyAndContainsOnlyTheEmptyNeedle) {
    SeenText seen;
    EXPECT_EQ(seen.size(), 0u);
    EXPECT_TRUE(seen.contains(u""));
    EXPECT_FALSE(seen.contains(u"a"));
    EXPECT_FALSE(seen.contains(std::u16string_view(u"\0", 1)));
}

struct ContainmentCase {
    const char* name;
    std::u16string_view needle;
    bool expected;
};

class AfterTwoAddresses : public testing::TestWithParam<ContainmentCase> {};

TEST_P(AfterTwoAddresses, FindsEveryPieceOfTheJoinedTextAndNothingElse) {
    const SeenText seen = textOf({u"xb@b.c", u"abc@d.ef"});
    EXPECT_EQ(seen.contains(GetParam().needle), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AfterTwoAddresses,
    testing::Values(ContainmentCase{"whole first", u"xb@b.c", true},
                    ContainmentCase{"whole second", u"abc@d.ef", true},
                    ContainmentCase{"whole text", u"xb@b.cabc@d.ef", true},
                    ContainmentCase{"inside first", u"b@b.c", true},
                    ContainmentCase{"prefix", u"xb@", true},
                    ContainmentCase{"suffix", u"d.ef", true},
                    ContainmentCase{"across the join", u"b.cab", true},
                    ContainmentCase{"last unit", u"f", true}, ContainmentCase{"empty", u"", true},
                    ContainmentCase{"longer than text", u"xb@b.cabc@d.efg", false},
                    ContainmentCase{"before the start", u"axb@b.c", false},
                    ContainmentCase{"pieces out of order", u"abc@d.efxb", false},
                    ContainmentCase{"different case", u"XB@b.c", false},
                    ContainmentCase{"gap skipped", u"xb@b.ce", false}),
    [](const auto& testInfo) {
        std::string name = testInfo.param.name;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST(SeenTextTest, ResetToZeroMakesTheZeroPartOfTheFirstAddress) {
    SeenText seen = textOf({u"old@x.y"});
    seen.reset(u"0");
    seen.append(u"a@b.c");
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_TRUE(seen.contains(u"0a@b.c"));
    EXPECT_TRUE(seen.contains(u"a@b.c"));
    EXPECT_FALSE(seen.contains(u"old"));
    EXPECT_FALSE(seen.contains(u"y0"));
}

TEST(SeenTextTest, ResetToEmptyForgetsEverythingAndReleasesMemory) {
    SeenText seen;
    const std::size_t fresh = seen.memoryBytes();
    for (int i = 0; i < 20000; ++i) {
        seen.append(u"someone" + std::u16string(1, u'a' + i % 26) + u"@example.org");
    }
    EXPECT_GT(seen.memoryBytes(), 4 * fresh);
    seen.reset(u"");
    EXPECT_EQ(seen.size(), 0u);
    EXPECT_FALSE(seen.contains(u"s"));
    EXPECT_LE(seen.memoryBytes(), fresh);
    seen.append(u"q@r.s");
    EXPECT_TRUE(seen.contains(u"q@r.s"));
    EXPECT_FALSE(seen.contains(u"someone"));
}

TEST(SeenTextTest, WildcardCharactersMatchOnlyThemselves) {
    const SeenText seen = textOf({u"a*b?c#d[e]f@g.h"});
    EXPECT_TRUE(seen.contains(u"*b?c#d[e]"));
    EXPECT_TRUE(seen.contains(u"["));
    EXPECT_FALSE(seen.contains(u"a*f@g.h"));
    EXPECT_FALSE(seen.contains(u"a?b"));
    EXPECT_FALSE(seen.contains(u"c#1"));
    EXPECT_FALSE(seen.contains(u"d[ef]f"));
    EXPECT_FALSE(
        seen.contains(u"*"
                      u"*"));
    EXPECT_FALSE(textOf({u"ab@c.d"}).contains(u"a?@c.d"));
    EXPECT_FALSE(textOf({u"a1@c.d"}).contains(u"a#@c.d"));
    EXPECT_FALSE(textOf({u"a@b.c"}).contains(u"[a]@b.c"));
}

TEST(SeenTextTest, HandlesZeroAndNonAsciiCodeUnits) {
    const std::u16string piece{u'a', u'\0', u'\u00e9', u'\uffff', u'\xd800', u'@', u'\0', u'x'};
    const SeenText seen = textOf({piece, std::u16string_view(u"\0\0", 2)});
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_TRUE(seen.contains(std::u16string_view(u"\0\u00e9\uffff", 3)));
    EXPECT_TRUE(seen.contains(std::u16string_view(u"x\0\0", 3)));
    EXPECT_FALSE(seen.contains(std::u16string_view(u"\0\0\0", 3)));
    EXPECT_FALSE(seen.contains(u"\u00c9"));
    EXPECT_FALSE(seen.contains(u"\ufffe"));
}

// Compares against a plain search over many random pieces and queries. Small alphabets make both
// hits and misses common and force many clones of states with several outgoing transitions.
void compareWithPlainSearch(std::uint32_t seed, std::u16string_view alphabet, int rounds) {
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto randomText = [&](int maxLen) {
        std::u16string s(pick(0, maxLen), u' ');
        for (auto& ch : s) {
            ch = alphabet[pick(0, static_cast<int>(alphabet.size()) - 1)];
        }
        return s;
    };
    SeenText seen;
    std::u16string plain;
    int hits = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::u16string piece = randomText(12);
        seen.append(piece);
        plain += piece;
        for (int q = 0; q < 8; ++q) {
            std::u16string needle = randomText(10);
            if (q % 2 == 0 && !plain.empty()) {
                // A real substring, sometimes with its last unit changed.
                const int at = pick(0, static_cast<int>(plain.size()) - 1);
                needle = plain.substr(at, pick(1, 30));
                if (q == 2) {
                    needle.back() = alphabet[pick(0, static_cast<int>(alphabet.size()) - 1)];
                }
            }
            const bool expected = plain.find(needle) != std::u16string::npos;
            hits += expected ? 1 : 0;
            ASSERT_EQ(seen.contains(needle), expected) << "seed " << seed << " round " << round;
        }
        ASSERT_EQ(seen.size(), plain.size());
    }
    EXPECT_GT(hits, rounds);
    EXPECT_LT(hits, rounds * 8);
}

TEST(SeenTextTest, AgreesWithPlainSearchOnRandomText) {
    compareWithPlainSearch(1, u"ab", 1500);
    compareWithPlainSearch(2, u"abc", 1500);
    compareWithPlainSearch(3, u"ab@.", 1500);
    compareWithPlainSearch(4, std::u16string_view(u"\0\uffff*x", 4), 1500);
    // Wide enough that short contexts collect dozens of transitions.
    compareWithPlainSearch(5, u"abcdefghijklmnopqrstuvwxyz0123456789@.-_", 3000);
}

TEST(SeenTextTest, AgreesWithPlainSearchAfterResets) {
    std::mt19937 rng(7);
    SeenText seen;
    std::u16string plain;
    for (int round = 0; round < 3000; ++round) {
        std::u16string piece(rng() % 6, u'a');
        for (auto& ch : piece) {
            ch = u"abz"[rng() % 3];
        }
        if (round % 500 == 0) {
            seen.reset(piece);
            plain = piece;
        } else {
            seen.append(piece);
            plain += piece;
        }
        const std::u16string needle = plain.substr(rng() % (plain.size() + 1), rng() % 7) + u"ab";
        ASSERT_EQ(seen.contains(needle), plain.find(needle) != std::u16string::npos) << round;
    }
}

// One state followed by every possible code unit in turn: its transitions outgrow every bucket
// size, and the states cloned along the way must keep all of them.
TEST(SeenTextTest, KeepsEveryTransitionOfAStateWithTheWidestFanOut) {
    SeenText seen;
    std::u16string plain;
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const char16_t pair[] = {u'x', static_cast<char16_t>(unit)};
        seen.append(std::u16string_view(pair, 2));
        plain.append(pair, 2);
    }
    seen.append(u"x\uffffy");
    plain += u"x\uffffy";
    for (std::uint32_t unit = 0; unit <= 0xFFFF; unit += 7) {
        const char16_t pair[] = {u'x', static_cast<char16_t>(unit)};
        const char16_t triple[] = {static_cast<char16_t>(unit), u'x', static_cast<char16_t>(unit)};
        ASSERT_TRUE(seen.contains(std::u16string_view(pair, 2))) << unit;
        const std::u16string_view needle(triple, 3);
        ASSERT_EQ(seen.contains(needle), plain.find(needle) != std::u16string::npos) << unit;
    }
    EXPECT_TRUE(seen.contains(u"x\uffffx\uffffy"));
    EXPECT_FALSE(seen.contains(u"x\uffffyx"));
}

// Random '@'-rich text in pieces of 0 to `maxPiece` units, queried after every piece with needles
// cut around its '@'s with 0 to 10 units on either side (so across every context-length boundary
// of the key index), needles ending at the text's end (whose '@'s may not be indexed yet), random
// cuts (across joins, with or without '@', '@' first or last), and mutated copies of them.
struct AtRichCase {
    const char* name;
    std::u16string_view alphabet;
    int maxPiece;
    int resetEvery;  // 0: never
};

class AgainstPlainSearch : public testing::TestWithParam<AtRichCase> {};

TEST_P(AgainstPlainSearch, AgreesOnAtRichTextAndNeedlesAroundItsAts) {
    const AtRichCase& c = GetParam();
    std::mt19937 rng(static_cast<std::uint32_t>(c.maxPiece * 31 + c.alphabet.size()));
    auto pick = [&](std::size_t lo, std::size_t hi) {
        return std::uniform_int_distribution<std::size_t>(lo, hi)(rng);
    };
    auto unit = [&] { return c.alphabet[pick(0, c.alphabet.size() - 1)]; };
    SeenText seen;
    std::u16string plain;
    int hits = 0, misses = 0;
    for (int round = 0; round < 2500; ++round) {
        std::u16string piece(pick(0, c.maxPiece), u' ');
        std::generate(piece.begin(), piece.end(), unit);
        if (c.resetEvery != 0 && round % c.resetEvery == 0) {
            seen.reset(piece);
            plain = piece;
        } else {
            seen.append(piece);
            plain += piece;
        }
        ASSERT_EQ(seen.size(), plain.size());
        for (int q = 0; q < 6; ++q) {
            std::u16string needle;
            const std::size_t at = plain.rfind(u'@', pick(0, plain.size()));
            if (q < 3 && at != plain.npos) {
                const std::size_t left = std::min(at, pick(0, 10));
                needle = plain.substr(at - left, left + 1 + pick(0, 10));
            } else if (q == 3) {
                needle = plain.substr(plain.size() - std::min(plain.size(), pick(1, 12)));
            } else {
                needle = plain.substr(pick(0, plain.size()), pick(1, 16));
            }
            if (pick(0, 3) == 0 && !needle.empty()) {
                needle[pick(0, needle.size() - 1)] = unit();
            }
            const bool expected = plain.find(needle) != plain.npos;
            (expected ? hits : misses) += 1;
            ASSERT_EQ(seen.contains(needle), expected)
                << c.name << " round " << round << " needle size " << needle.size();
        }
    }
    EXPECT_GT(hits, 1000);
    EXPECT_GT(misses, 500);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AgainstPlainSearch,
    testing::Values(
        // Few distinct keys: their position lists overflow and the exact fallback answers.
        AtRichCase{"two units", u"a@", 6, 0}, AtRichCase{"three units", u"ab@", 9, 0},
        // Many distinct keys: the key index answers most needles itself.
        AtRichCase{"address like", u"abcdefgh.@", 30, 0},
        // Single units: '@'s wait many appends for their right context.
        AtRichCase{"unit by unit", u"ab@.", 1, 0}, AtRichCase{"with resets", u"abc@", 7, 300},
        AtRichCase{"zero and high units", std::u16string_view(u"\0\uffff@x", 4), 5, 0}),
    [](const auto& testInfo) {
        std::string name = testInfo.param.name;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST(SeenTextTest, FindsAnAddressWhoseAtContextEndsInTheNextPiece) {
    SeenText seen = textOf({u"0a@b.c", u"xyzw", u"j@k"});
    EXPECT_TRUE(seen.contains(u"0a@b.cx"));
    EXPECT_TRUE(seen.contains(u"a@b.cxyzwj"));
    EXPECT_TRUE(seen.contains(u"wj@k"));
    EXPECT_FALSE(seen.contains(u"wj@kl"));
    seen.append(u"lmnopqrst");
    EXPECT_TRUE(seen.contains(u"wj@klmnopqrst"));
    EXPECT_TRUE(seen.contains(u"zwj@klmnop"));
    EXPECT_FALSE(seen.contains(u"zwj@klmnoq"));
}

// Many equal addresses share one index key; the answers stay exact once that key overflows.
TEST(SeenTextTest, RepeatsOfOneAddressKeepAnswersExact) {
    SeenText seen;
    for (int i = 0; i < 200; ++i) {
        seen.append(i == 150 ? u"ann.lee@mail.example.org" : u"ann.lee@mail.example.com");
    }
    EXPECT_TRUE(seen.contains(u"ann.lee@mail.example.org"));
    EXPECT_TRUE(seen.contains(u"ann.lee@mail.example.comann"));
    EXPECT_FALSE(seen.contains(u"ann.lee@mail.example.net"));
    EXPECT_FALSE(seen.contains(u"bnn.lee@mail.example.com"));
}

std::u16string addressNumber(std::mt19937& rng) {
    static constexpr std::u16string_view kNames[] = {u"anna", u"marco", u"li", u"josephine"};
    static constexpr std::u16string_view kHosts[] = {u"mail-one.com", u"web.de", u"post.org"};
    std::u16string address(kNames[rng() % 4]);
    address += u'.';
    for (int k = 0; k < 5; ++k) {
        address += static_cast<char16_t>(u'a' + rng() % 26);
    }
    address += u'@';
    address += kHosts[rng() % 3];
    return address;
}

TEST(SeenTextTest, TypicalAddressStreamNeverBuildsTheExactFallback) {
    std::mt19937 rng(3);
    SeenText seen;
    seen.reset(u"0");
    std::vector<std::u16string> kept;
    for (int i = 0; i < 20000; ++i) {
        const std::u16string address = i % 10 == 9 ? kept[rng() % kept.size()] : addressNumber(rng);
        if (!seen.contains(address)) {
            seen.append(address);
            kept.push_back(address);
        }
    }
    EXPECT_FALSE(seen.exactIndexBuilt());
    EXPECT_EQ(seen.fallbackQueries(), 0u);
    EXPECT_LT(kept.size(), 19000u);
    // Far below its bytes per unit in the automaton, a few dozen.
    EXPECT_LT(seen.memoryBytes() / seen.size(), 16u);

    // A needle without '@' needs the fallback: a few are searched directly, then the automaton
    // is built, and it catches up with later appends too.
    EXPECT_TRUE(seen.contains(kept.back().substr(0, 7)));
    EXPECT_FALSE(seen.exactIndexBuilt());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(seen.contains(u"no such text"));
    EXPECT_TRUE(seen.exactIndexBuilt());
    seen.append(u"zq.one@web.de");
    EXPECT_TRUE(seen.contains(u"zq.on"));
    EXPECT_FALSE(seen.contains(u"zq.onf"));
    EXPECT_EQ(seen.fallbackQueries(), 7u);
    seen.reset(u"0");
    EXPECT_FALSE(seen.exactIndexBuilt());
}

TEST(SeenTextTest, MemoryGrowsLinearlyOnAddressText) {
    std::mt19937 rng(11);
    SeenText seen;
    for (int i = 0; i < 20000; ++i) {
        std::u16string address;
        for (int k = 0; k < 8; ++k) {
            address += static_cast<char16_t>(u'a' + rng() % 26);
        }
        address += u"@host" + std::u16string(1, u'0' + rng() % 10) + u".com";
        seen.append(address);
    }
    // Linear use stays around a few dozen bytes per unit; a quadratic slip would be far beyond.
    EXPECT_LT(seen.memoryBytes() / seen.size(), 120u);
}

}  // namespace
}  // namespace corvell

namespace corvell {
namespace {

// Many addresses of one domain with the same short local-part ending crowd one key; a repeat of
// any of them must still be found without the exact fallback.
TEST(SeenTextPiecesTest, RepeatsBehindACrowdedKeyAvoidTheFallback) {
    SeenText seen;
    std::vector<std::u16string> kept;
    for (int i = 0; i < 200; ++i) {
        std::u16string address = u"user" + std::u16string(1, u'a' + i % 26) +
                                 std::u16string(1, u'a' + i / 26) + u"zz@gnu.org";
        ASSERT_FALSE(seen.contains(address));
        seen.append(address);
        kept.push_back(address);
    }
    const std::size_t before = seen.fallbackQueries();
    for (const auto& address : kept) EXPECT_TRUE(seen.contains(address));
    EXPECT_EQ(seen.fallbackQueries(), before);
    EXPECT_FALSE(seen.contains(u"nobodyzz@gnu.org"));
    EXPECT_TRUE(seen.contains(u"bzz@gnu.org"));  // inside the pieces, not a piece: exact answer
}

// Local parts longer than the exact widths, alike in all but their first unit: the cells cannot
// tell them apart, so repeats are found as whole pieces, without the exact fallback.
TEST(SeenTextPiecesTest, RepeatsOfLongLocalPartsBehindACrowdAvoidTheFallback) {
    SeenText seen;
    std::vector<std::u16string> kept;
    for (int i = 0; i < 200; ++i) {
        const std::u16string address =
            std::u16string(1, char16_t(u'A' + i)) + u"-shared-local-part@gnu.org";
        ASSERT_FALSE(seen.contains(address));
        seen.append(address);
        kept.push_back(address);
    }
    // Many more addresses afterwards, so that no memory of recent answers holds the early ones.
    for (int i = 0; i < 5000; ++i) {
        const std::string other = "x" + std::to_string(i) + "@other.example";
        seen.append(std::u16string(other.begin(), other.end()));
    }
    const std::size_t before = seen.fallbackQueries();
    for (const auto& address : kept) EXPECT_TRUE(seen.contains(address));
    EXPECT_EQ(seen.fallbackQueries(), before);
    EXPECT_FALSE(seen.contains(u"!-shared-local-part@gnu.org"));
    EXPECT_TRUE(seen.contains(u"-shared-local-part@gnu.org"));
}

// A needle with one unit before its '@' turns right at once, inside a crowd of addresses sharing
// that unit and the start of their domains; the addresses that join the crowd afterwards must be
// found the same way, and neither needs the exact fallback.
TEST(SeenTextPiecesTest, ShortLocalPartsTurnRightInsideACrowdBeforeAndAfterItsFirstTurn) {
    SeenText seen;
    const auto address = [](int i) {
        const std::string number = std::to_string(i);
        return u"k" + std::u16string(number.begin(), number.end()) + u"a@zz" +
               std::u16string(number.begin(), number.end()) + u".org";
    };
    const auto tail = [](int i) {
        const std::string number = std::to_string(i);
        return u"a@zz" + std::u16string(number.begin(), number.end()) + u".org";
    };
    for (int i = 0; i < 200; ++i) seen.append(address(i));
    EXPECT_TRUE(seen.contains(tail(5)));
    EXPECT_FALSE(seen.contains(tail(999)));
    for (int i = 200; i < 400; ++i) {
        ASSERT_FALSE(seen.contains(address(i)));
        seen.append(address(i));
    }
    for (int i = 0; i < 400; i += 7) EXPECT_TRUE(seen.contains(tail(i))) << i;
    EXPECT_FALSE(seen.contains(tail(400)));
    EXPECT_FALSE(seen.contains(u"b@zz1.org"));
    EXPECT_EQ(seen.fallbackQueries(), 0u);
    EXPECT_FALSE(seen.exactIndexBuilt());
}

// Needles that turn right inside many different crowds of one width: after the first few, one
// turn lays out the right walks of all of them, and the answers stay exact throughout, for the
// addresses recorded before and after.
TEST(SeenTextPiecesTest, ManyCrowdsOfOneWidthAreLaidOutTogetherAndStayExact) {
    SeenText seen;
    std::u16string joined;
    const auto text = [](const std::string& ascii) {
        return std::u16string(ascii.begin(), ascii.end());
    };
    const auto record = [&](int round, int crowd) {
        for (int i = 0; i < 80; ++i) {
            const std::string local(1, char('a' + crowd % 26));
            const std::string domain = std::string(1, char('a' + crowd / 26)) + "q" +
                                       std::to_string(round * 1000 + i) + ".org";
            const std::u16string address = text("k" + std::to_string(i) + local + "@" + domain);
            seen.append(address);
            joined += address;
        }
    };
    const auto check = [&](int round, int crowd, int i) {
        const std::string needle = std::string(1, char('a' + crowd % 26)) + "@" +
                                   std::string(1, char('a' + crowd / 26)) + "q" +
                                   std::to_string(round * 1000 + i) + ".org";
        const std::u16string wide = text(needle);
        EXPECT_EQ(seen.contains(wide), joined.find(wide) != std::u16string::npos) << needle;
    };
    for (int crowd = 0; crowd < 40; ++crowd) record(0, crowd);
    for (int crowd = 0; crowd < 40; ++crowd) {
        check(0, crowd, crowd);
        check(0, crowd, 90);
    }
    EXPECT_EQ(seen.branchedWidths(), 1u);
    for (int crowd = 0; crowd < 40; ++crowd) record(1, crowd);
    for (int crowd = 0; crowd < 40; crowd += 3) {
        for (int i = 0; i < 80; i += 11) {
            check(0, crowd, i);
            check(1, crowd, i);
        }
        check(1, crowd, 85);
    }
    EXPECT_EQ(seen.fallbackQueries(), 0u);
}

// A key belongs to one text, but a key of another text (a caller's text changed between its
// prefetch and its lookup) must not change an answer: every use of a key is checked against the
// text itself.
TEST(SeenTextTest, KeysOfOtherTextsGiveTheSameAnswers) {
    std::mt19937 rng(31);
    SeenText right, wrong;
    std::u16string joined;
    std::vector<std::u16string> kept;
    for (int i = 0; i < 4000; ++i) {
        std::u16string address;
        if (!kept.empty() && rng() % 3 == 0) {
            address = kept[rng() % kept.size()];
        } else {
            // Long local parts are indexed whole, short ones only by their contexts.
            const int length = rng() % 2 ? 3 + rng() % 5 : 20 + rng() % 10;
            for (int k = 0; k < length; ++k) address += static_cast<char16_t>(u'a' + rng() % 3);
            address += u"@x" + std::u16string(1, static_cast<char16_t>(u'a' + rng() % 3)) + u".org";
        }
        const SeenText::Key other = right.prefetch(kept.empty() ? u"x" : kept[rng() % kept.size()]);
        const bool expected = joined.find(address) != joined.npos;
        ASSERT_EQ(right.contains(address, right.prefetch(address)), expected) << i;
        ASSERT_EQ(wrong.contains(address, other), expected) << i;
        if (!expected) {
            right.append(address, right.prefetch(address));
            wrong.append(address, other);
            joined += address;
            kept.push_back(address);
        }
    }
    for (const auto& address : kept) ASSERT_TRUE(wrong.contains(address));
}

// Foresight only fetches: taken many lookups ahead (the tables grow and move meanwhile), or for
// another needle altogether, it changes no answer. Addresses alike in shape, as here, are the
// ones whose walks it foresees.
TEST(SeenTextTest, StaleOrForeignForesightGivesTheSameAnswers) {
    std::mt19937 rng(37);
    std::vector<std::u16string> needles;
    for (int i = 0; i < 8000; ++i) {
        const int id = i % 10 == 9 ? int(rng() % (i + 1)) : i;  // now and then an earlier one
        const std::string address = "user" + std::to_string(1000000 + (id * 7919) % 999983) + "@d" +
                                    std::to_string(id % 977) + ".example.com";
        needles.emplace_back(address.begin(), address.end());
        // Now and then a piece of one: an end of the local part and a start of the domain.
        if (i % 7 == 0) needles.push_back(needles.back().substr(6, 9));
    }
    constexpr std::size_t kAhead = 64;
    SeenText seen;
    std::u16string joined;
    std::size_t foreseenCells = 0;
    std::vector<SeenText::Foresight> ahead;
    for (std::size_t i = 0; i < kAhead; ++i) ahead.push_back(seen.foresee(needles[i]));
    for (std::size_t i = 0; i < needles.size(); ++i) {
        const SeenText::Foresight stale = ahead[i % kAhead];
        if (i + kAhead < needles.size()) ahead[i % kAhead] = seen.foresee(needles[i + kAhead]);
        foreseenCells += stale.cells;
        seen.fetchLists(stale);
        seen.fetchLists(seen.foresee(needles[rng() % needles.size()]));
        const bool expected = joined.find(needles[i]) != joined.npos;
        ASSERT_EQ(seen.contains(needles[i], stale.key), expected) << i;
        if (!expected) {
            seen.append(needles[i], stale.key);
            joined += needles[i];
        }
    }
    EXPECT_GT(foreseenCells, needles.size()) << "the walks were not foreseen: nothing was tried";
}

// Role accounts at many domains: each role's crowds turn right where the role ends. Only those
// widths are laid out, the index stays within its bound, and every answer stays exact.
TEST(SeenTextPiecesTest, RoleAccountsLayOutOnlyTheWidthsWhereTheirNeedlesTurn) {
    std::mt19937 rng(29);
    static constexpr const char* kRoles[] = {"info", "sales", "contact"};
    SeenText seen;
    seen.reset(u"0");
    std::u16string joined = u"0";
    static constexpr const char* kHosts[] = {"mail", "web",  "post", "home", "net",
                                             "box",  "fast", "city", "data", "star"};
    const auto address = [&] {
        std::string ascii = kRoles[rng() % 3];
        ascii += '@';
        ascii += kHosts[rng() % 10];
        for (int k = 0; k < 3; ++k) ascii += static_cast<char>('a' + rng() % 26);
        ascii += ".example.net";
        return std::u16string(ascii.begin(), ascii.end());
    };
    for (int i = 0; i < 8000; ++i) {
        const std::u16string needle = address();
        const bool expected = joined.find(needle) != joined.npos;
        ASSERT_EQ(seen.contains(needle), expected) << i;
        if (!expected) {
            seen.append(needle);
            joined += needle;
        }
    }
    EXPECT_EQ(seen.branchedWidths(), 3u);
    EXPECT_EQ(seen.fallbackQueries(), 0u);
    EXPECT_LE(seen.indexBytes(), 4 * seen.size());
}

}  // namespace
}  // namespace corvell

namespace corvell {
namespace {

// Streams of addresses in shapes that crowd any fixed context window: many addresses of one
// domain, local parts ending alike, addresses inside other addresses, long repeats, long shared
// contexts. Each is recorded the way Extract records (append only what is not found yet), and
// every answer is checked against a plain search of the joined text.
struct StreamShape {
    const char* name;
    std::string (*address)(std::mt19937& rng, const std::vector<std::string>& kept);
    int count = 6000;
};

std::string letters(std::mt19937& rng, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += static_cast<char>('a' + rng() % 26);
    return s;
}

// A piece of an earlier address around its '@': a suffix of the local part and a prefix of the
// rest, so a needle inside that address (or running on into the next one).
std::string cutAroundAt(std::mt19937& rng, const std::string& address) {
    const std::size_t at = address.find('@');
    const std::size_t from = rng() % at;
    const std::size_t to = std::min(address.size(), at + 3 + rng() % (address.size() - at));
    return address.substr(from, to - from);
}

const StreamShape kShapes[] = {
    {"one domain",
     [](std::mt19937& rng, const std::vector<std::string>&) {
         return letters(rng, 2 + rng() % 8) + "@bigcorp.example.com";
     }},
    {"one short domain",
     [](std::mt19937& rng, const std::vector<std::string>&) {
         return letters(rng, 2 + rng() % 8) + "@web.de";
     }},
    {"local parts ending alike",
     [](std::mt19937& rng, const std::vector<std::string>&) {
         static const char* kLast[] = {".johnson", ".smith", "_miller"};
         return letters(rng, 1 + rng() % 3) + kLast[rng() % 3] + "@example.org";
     }},
    {"inside each other",
     [](std::mt19937& rng, const std::vector<std::string>& kept) {
         if (!kept.empty() && rng() % 2) return cutAroundAt(rng, kept[rng() % kept.size()]);
         return letters(rng, 6) + ".x@mail" + std::to_string(rng() % 20) + ".example.net";
     }},
    {"long repeats",
     [](std::mt19937& rng, const std::vector<std::string>& kept) {
         if (kept.size() > 20 && rng() % 2) return kept[rng() % kept.size()];
         return std::string(70, 'a') + letters(rng, 3) + std::string(50, 'b') + "@" +
                std::string(60, 'c') + ".example.com";
     },
     1500},
    {"long shared contexts",
     [](std::mt19937& rng, const std::vector<std::string>&) {
         return letters(rng, 3) + ".common.local.part.suffix@a.long.shared.domain.example.com";
     }},
    {"role accounts at many domains",
     [](std::mt19937& rng, const std::vector<std::string>&) {
         static const char* kRoles[] = {"info", "sales", "office", "contact", "webmaster"};
         std::string address = kRoles[rng() % 5];
         address += '@';
         address += letters(rng, 1 + rng() % 3);
         address += ".example.org";
         return address;
     }},
};

class AddressStreams : public testing::TestWithParam<StreamShape> {};

// Addresses never need the exact fallback; pieces cut out of the text at random may.
TEST_P(AddressStreams, AgreeWithPlainSearchWithoutTheExactFallback) {
    std::mt19937 rng(17);
    SeenText seen;
    seen.reset(u"0");
    std::u16string plain = u"0";
    std::vector<std::string> kept;
    int hits = 0, misses = 0;
    std::size_t cutFallbacks = 0;
    for (int i = 0; i < GetParam().count; ++i) {
        const std::string address = GetParam().address(rng, kept);
        const std::u16string needle(address.begin(), address.end());
        const bool expected = plain.find(needle) != plain.npos;
        ASSERT_EQ(seen.contains(needle), expected) << GetParam().name << ": " << address;
        (expected ? hits : misses) += 1;
        if (!expected) {
            seen.append(needle);
            plain += needle;
            kept.push_back(address);
        }
        // Now and then a needle cut out of the text around one of its '@'s, across the joins.
        if (i % 4 == 0) {
            const std::size_t at = plain.rfind(u'@', rng() % plain.size());
            if (at == plain.npos || at == 0) continue;
            const std::size_t left = 1 + rng() % std::min<std::size_t>(at, 40);
            std::u16string cut = plain.substr(at - left, left + 3 + rng() % 40);
            if (rng() % 3 == 0) cut[rng() % cut.size()] = u'q';
            if (cut.find(u'@') == cut.npos || cut.find(u'@') + 2 >= cut.size()) continue;
            const std::size_t before = seen.fallbackQueries();
            ASSERT_EQ(seen.contains(cut), plain.find(cut) != plain.npos) << GetParam().name;
            cutFallbacks += seen.fallbackQueries() - before;
        }
    }
    EXPECT_GT(hits, 100) << GetParam().name;
    EXPECT_GT(misses, 100) << GetParam().name;
    EXPECT_EQ(seen.fallbackQueries(), cutFallbacks) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Shapes, AddressStreams, testing::ValuesIn(kShapes),
                         [](const auto& testInfo) {
                             std::string name = testInfo.param.name;
                             for (char& ch : name) {
                                 ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

// The record's tables stay within four bytes per recorded unit beyond the text, and the text
// takes one byte per unit while every unit fits in one.
TEST(SeenTextMemoryTest, IndexWithinFourBytesPerUnitAndLatin1TextOneByte) {
    std::mt19937 rng(23);
    SeenText seen;
    seen.reset(u"0");
    for (int i = 0; i < 150000; ++i) {
        std::u16string address = addressNumber(rng);
        address[0] = i % 7 == 0 ? u'\u00e9' : address[0];  // Latin-1, still one byte
        if (!seen.contains(address)) seen.append(address);
    }
    const double units = static_cast<double>(seen.size());
    EXPECT_LE(seen.indexBytes() / units, 4.0);
    EXPECT_LT((seen.memoryBytes() - seen.indexBytes()) / units, 2.0);

    // A wider unit turns the text into two bytes per unit; the answers stay the same.
    const std::u16string last = addressNumber(rng) + u"x";
    seen.append(last);
    seen.append(u"\u0101@wide.example");
    EXPECT_GE((seen.memoryBytes() - seen.indexBytes()) / units, 2.0);
    EXPECT_TRUE(seen.contains(last));
    EXPECT_TRUE(seen.contains(u"\u0101@wide.ex"));
    EXPECT_FALSE(seen.contains(u"\u0101@wide.ez"));
}

}  // namespace
}  // namespace corvell

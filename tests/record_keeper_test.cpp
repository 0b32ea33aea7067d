// The record keeper's thread must count exactly the duplicates a plain search of the joined
// text finds, whenever the caller settles, and leave the record as the caller would have.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "record_keeper.h"

namespace corvell {
namespace {

std::u16string randomAddress(std::mt19937& rng) {
    std::u16string local, domain;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 6); i < n; ++i) local += u'a' + rng() % 4;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 3); i < n; ++i) domain += u'a' + rng() % 3;
    return local + u'@' + domain + u".example";
}

// New addresses, repeats, pieces of the joined text across the joins, and texts without '@'.
std::u16string nextText(std::mt19937& rng, const std::u16string& plain) {
    switch (rng() % 4) {
        case 0:
        case 1:
            return randomAddress(rng);
        case 2: {
            const std::size_t from = rng() % plain.size();
            return plain.substr(from, 1 + rng() % 30);
        }
        default:
            return std::u16string(1 + rng() % 5, u'a' + rng() % 3);
    }
}

// A keeper beside the joined text it should come to, and the duplicates a plain search of that
// text finds among the texts handed over.
struct Harvest {
    RecordKeeper keeper;
    std::u16string plain = u"0";
    std::uint64_t expected = 0;

    Harvest() { keeper.record().reset(plain); }
    void hand(const std::u16string& text) {
        if (plain.find(text) != plain.npos) {
            ++expected;
        } else {
            plain += text;
        }
        ASSERT_TRUE(keeper.accepts(text));
        keeper.handOver(text);
    }
};

TEST(RecordKeeperTest, CountsWhatAPlainSearchFindsAtEverySettle) {
    std::mt19937 rng(5);
    Harvest harvest;
    RecordKeeper& keeper = harvest.keeper;
    const std::u16string& plain = harvest.plain;
    const std::uint64_t& expected = harvest.expected;
    std::uint64_t settledDuplicates = 0;
    int settles = 0;
    for (int i = 0; i < 15000; ++i) {
        ASSERT_NO_FATAL_FAILURE(harvest.hand(nextText(rng, plain)));
        // Settles now and then: within a batch, at its end, or after several.
        if (rng() % 1500 == 0) {
            const RecordKeeper::Settled settled = keeper.settle();
            EXPECT_FALSE(settled.failure);
            settledDuplicates += settled.duplicates;
            ASSERT_EQ(settledDuplicates, expected) << "after " << i + 1;
            ASSERT_EQ(keeper.record().size(), plain.size());
            ++settles;
        }
    }
    settledDuplicates += keeper.settle().duplicates;
    EXPECT_EQ(settledDuplicates, expected);
    EXPECT_GT(expected, 2000u);
    EXPECT_GT(settles, 3);
    // A settled record is the caller's: its answers are the plain search's.
    for (int i = 0; i < 2000; ++i) {
        const std::u16string text = nextText(rng, plain);
        ASSERT_EQ(keeper.record().contains(text), plain.find(text) != plain.npos);
    }
    EXPECT_EQ(keeper.settle().duplicates, 0u);  // nothing handed over since
}

TEST(RecordKeeperTest, TheCallerTestsBetweenHandOversAndTheThreadGoesOnFromThere) {
    RecordKeeper keeper;
    keeper.record().reset(u"0");
    ASSERT_TRUE(keeper.accepts(u"a@b.c"));
    keeper.handOver(u"a@b.c");
    keeper.settle();
    keeper.record().append(u"x@y.z");  // the caller's own test found it new
    for (const char16_t* text : {u"x@y.z", u"a@b.cx", u"q@r.s", u"q@r.s"}) {
        ASSERT_TRUE(keeper.accepts(text));
        keeper.handOver(text);
    }
    EXPECT_EQ(keeper.settle().duplicates, 3u);  // x@y.z, the join "a@b.cx", the second q@r.s
    EXPECT_EQ(keeper.record().size(), std::u16string_view(u"0a@b.cx@y.zq@r.s").size());
}

TEST(RecordKeeperTest, AddressesLongerThanABatchAreLeftToTheCaller) {
    RecordKeeper keeper;
    EXPECT_TRUE(keeper.accepts(std::u16string(RecordKeeper::kBatchUnits, u'a')));
    EXPECT_FALSE(keeper.accepts(std::u16string(RecordKeeper::kBatchUnits + 1, u'a')));
}

// Far more than every batch holds at once, three times over: the caller waits for the thread
// now and then, the batches made beyond those kept go back in between, and the count still
// comes out exact. Fixed-width numbers never stand inside each other, so only the repeats are
// duplicates.
TEST(RecordKeeperTest, CountsExactlyWhenTheCallerRunsFarAhead) {
    RecordKeeper keeper;
    keeper.record().reset(u"0");
    std::u16string previous;
    for (int round = 0, i = 0; round < 3; ++round) {
        std::uint64_t repeats = 0;
        for (const int end = i + 100000; i < end; ++i) {
            char address[32];
            std::snprintf(address, sizeof address, "u%06d@d%06d.example", i, i);
            std::u16string text =
                i % 3 == 2 ? previous : std::u16string(address, address + std::strlen(address));
            repeats += i % 3 == 2;
            ASSERT_TRUE(keeper.accepts(text));
            keeper.handOver(text);
            previous = std::move(text);
        }
        EXPECT_EQ(keeper.settle().duplicates, repeats) << "round " << round;
    }
}

// Addresses of one-byte units (ASCII and Latin-1) and of wider ones, in runs and one by one, and
// the longest address of wide units a batch takes: each is recorded with every unit it has.
TEST(RecordKeeperTest, KeepsEveryUnitOfNarrowAndWideAddressesAlike) {
    std::mt19937 rng(17);
    Harvest harvest;
    const std::u16string& plain = harvest.plain;
    static const char16_t kUnits[] = {u'a', u'b', u'\u00e9', u'\u00ff', u'\u0100', u'\u4e2d'};
    for (int i = 0; i < 20000; ++i) {
        // Mostly narrow, in runs; now and then a wide unit, or a run of wide addresses.
        const bool wide = (i / 300) % 4 == 3 || rng() % 50 == 0;
        std::u16string text;
        for (int k = 0, n = 1 + static_cast<int>(rng() % 5); k < n; ++k)
            text += kUnits[rng() % (wide ? 6 : 4)];
        text += u'@';
        text += kUnits[rng() % 4];
        text += u".example";
        ASSERT_NO_FATAL_FAILURE(harvest.hand(text));
    }
    ASSERT_NO_FATAL_FAILURE(harvest.hand(std::u16string(RecordKeeper::kBatchUnits, u'\u0100')));
    ASSERT_NO_FATAL_FAILURE(harvest.hand(u"z@\u00e9.example"));
    RecordKeeper& keeper = harvest.keeper;
    EXPECT_EQ(keeper.settle().duplicates, harvest.expected);
    EXPECT_GT(harvest.expected, 1000u);
    ASSERT_EQ(keeper.record().size(), plain.size());
    for (int i = 0; i < 3000; ++i) {
        const std::size_t from = rng() % plain.size();
        const std::u16string piece = plain.substr(from, 1 + rng() % 40);
        ASSERT_TRUE(keeper.record().contains(piece)) << i;
        std::u16string changed = piece;
        changed[rng() % changed.size()] ^= 0x0100;  // the same low byte, another unit
        ASSERT_EQ(keeper.record().contains(changed), plain.find(changed) != plain.npos) << i;
    }
}

// Batches fill up faster than the thread tests them; the keeper goes with work still waiting.
TEST(RecordKeeperTest, GoesWithoutWaitingForWorkItWasHanded) {
    std::mt19937 rng(9);
    for (int round = 0; round < 20; ++round) {
        RecordKeeper keeper;
        keeper.record().reset(u"0");
        for (int i = 0; i < 5000; ++i) {
            const std::u16string address = randomAddress(rng);
            ASSERT_TRUE(keeper.accepts(address));
            keeper.handOver(address);
        }
    }
}

}  // namespace
}  // namespace corvell

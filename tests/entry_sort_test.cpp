#include "entry_sort.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "accepted_addresses.h"
#include "platform/case_fold.h"

namespace rosterly {
namespace {

using Entries = std::vector<QStringList>;

// Sorts entries of addresses as the table does: through the lines the record would hold. Every
// way of sorting them must give the same order: by buckets, with buckets too large for a chunk
// sorted on their own or in chunks then merged.
Entries sorted(const Entries& entries) {
    std::vector<std::vector<std::string>> lines(entries.size());
    for (size_t e = 0; e < entries.size(); ++e) {
        for (const QString& address : entries[e]) {
            QByteArray line;
            encodeLine(address, line);
            lines[e].push_back(line.toStdString());
        }
    }
    std::vector<Entries> results;
    for (uint32_t chunk : {kSortChunk, 1u, 3u, 64u}) {
        std::vector<uint32_t> order(entries.size());
        std::iota(order.begin(), order.end(), 0u);
        // Entries are fetched where they are read at random: each once, and only entries there are.
        std::vector<int> fetched(entries.size());
        sortEntries(
            order,
            [&](uint32_t e, uint32_t k) {
                return k < lines[e].size() ? QByteArrayView(lines[e][k]) : QByteArrayView();
            },
            [&](std::span<const uint32_t> group) {
                for (const uint32_t e : group) {
                    ASSERT_LT(e, entries.size());
                    ++fetched[e];
                }
            },
            chunk);
        if (entries.size() > 1) {
            EXPECT_EQ(std::count(fetched.begin(), fetched.end(), 1), qsizetype(entries.size()))
                << "in chunks of " << chunk;
        }
        Entries result;
        for (const uint32_t e : order) result.push_back(entries[e]);
        if (!results.empty()) {
            EXPECT_EQ(result, results.front()) << "in chunks of " << chunk;
        }
        results.push_back(result);
    }
    return results.front();
}

QString textOf(const QStringList& entry) {
    return entry.join("\r\n") + "\r\n";
}

// The order the sorted list box gives: case-blind comparison of whole texts, stable.
Entries listBoxOrder(Entries entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const QStringList& a, const QStringList& b) {
                         return QString::compare(textOf(a), textOf(b), Qt::CaseInsensitive) < 0;
                     });
    return entries;
}

TEST(EntrySortTest, SortsAddressesAscendingWithoutRegardToCaseKeepingEqualOnesInOrder) {
    const Entries entries{{"mike@x.cc"}, {"Bob@x.cc"}, {"alice@x.cc"}, {"bob@a.cc"},
                          {"_u@x.cc"},   {"Zed@x.cc"}, {"b@x.cc"},     {"A@x.cc"},
                          {"a@x.cc"},    {"a@X.cc"},   {"A@X.CC"}};
    EXPECT_EQ(sorted(entries), (Entries{{"_u@x.cc"},
                                        {"A@x.cc"},
                                        {"a@x.cc"},
                                        {"a@X.cc"},
                                        {"A@X.CC"},
                                        {"alice@x.cc"},
                                        {"b@x.cc"},
                                        {"bob@a.cc"},
                                        {"Bob@x.cc"},
                                        {"mike@x.cc"},
                                        {"Zed@x.cc"}}));
}

TEST(EntrySortTest, EmptyAndSingleEntriesStayAsTheyAre) {
    EXPECT_TRUE(sorted({}).empty());
    EXPECT_EQ(sorted({{"z@x.cc"}}), (Entries{{"z@x.cc"}}));
}

TEST(EntrySortTest, OrdersByWholeTextLineEndsIncluded) {
    // "a@x.c" + CR LF sorts after "a@x.c" + TAB (9 < 13) but before "a@x.co"; a group with
    // the same first address sorts by its next address, and a shorter text goes first.
    const Entries entries{{"a@x.co"},         {"a@x.c", "z@x.c"}, {"a@x.c\t"},
                          {"a@x.c", "b@x.c"}, {"a@x.c"},          {"A@X.C", "B@x.c"}};
    EXPECT_EQ(sorted(entries), (Entries{{"a@x.c\t"},
                                        {"a@x.c"},
                                        {"a@x.c", "b@x.c"},
                                        {"A@X.C", "B@x.c"},
                                        {"a@x.c", "z@x.c"},
                                        {"a@x.co"}}));
}

TEST(EntrySortTest, AgreesWithCaseInsensitiveComparisonOfWholeTexts) {
    const Entries entries{{"\u00c9mile@x.cc"},
                          {"emile@x.cc"},
                          {"\u00e9mile@x.cc"},
                          {"\u03a3@x.cc", "b@x.cc"},
                          {"\u03c3@x.cc"},
                          {"\U0001D400@x.cc"},
                          {"\uffe0@x.cc"},  // sorts after the surrogate pair above
                          {"\u00df@x.cc"},
                          {"ss@x.cc"},
                          {"\u0130@x.cc"},
                          {"i@x.cc"},
                          {"x@x.cc", "\u212a@x.cc"},
                          {"x@x.cc", "k@x.cc"},
                          {"[@x.cc"},
                          {"Y@x.cc"},
                          {"y@x.cc\n2"},
                          {"\uff21@x.cc"},
                          {"\uff41@x.cc"},
                          {"\u00b5@x.cc"},
                          {"\u03bc@x.cc"},
                          {QStringLiteral("a") + QChar(char16_t(0xDC00)) + "@x.cc"},
                          {QStringLiteral("a") + QChar(char16_t(0xD800)) + "@x.cc"}};
    EXPECT_EQ(sorted(entries), listBoxOrder(entries));
}

TEST(EntrySortTest, TextsAlikeInTheirFirstTwelveBytesOrderByTheRest) {
    const Entries entries{
        {"abcdefghijkl@x"},    {"abcdefghijk"},     {"abcdefghij\t"},  {"ABCDEFGHIJKL@w"},
        {"abcdefghij"},        {"abcdefghijk\t"},   {"abcdef"},        {"abcdefghijk", "a"},
        {"abcdefghijk@"},      {"abcdefghijK"},     {"abcdefghijk\n"}, {"abcdefghij\u00e9"},
        {"abcdefghij\u00c9x"}, {"abcdefghijk", "A"}};
    EXPECT_EQ(sorted(entries), listBoxOrder(entries));
}

TEST(EntrySortTest, AgreesWithTheListBoxOnRandomEntries) {
    std::mt19937 random(3);
    const QStringList pieces{"a",     "A",     "b", "\u00e9", "\u00c9",     "\u03c3", "\u03a3",
                             "user0", "user1", "@", ".",      "\U0001F600", "_",      "z"};
    std::uniform_int_distribution<int> piece(0, int(pieces.size()) - 1), length(1, 8), lines(1, 3);
    Entries entries;
    for (int i = 0; i < 2000; ++i) {
        QStringList entry;
        for (int l = lines(random); l > 0; --l) {
            QString address;
            for (int n = length(random); n > 0; --n) address += pieces[piece(random)];
            entry << address;
        }
        entries.push_back(entry);
    }
    EXPECT_EQ(sorted(entries), listBoxOrder(entries));
}

// The chunks are merged in two halves cut at one entry: entries that came in order, in reverse,
// or all alike must still come out whole and in order, ties in their order of arrival.
TEST(EntrySortTest, EntriesInOrderReversedOrAllAlikeSortAsTheListBoxDoes) {
    Entries ascending;
    for (int i = 0; i < 500; ++i) {
        ascending.push_back({QStringLiteral("u%1@x.cc").arg(i / 3, 4, 10, QLatin1Char('0'))});
        if (i % 2) ascending.back()[0] = ascending.back()[0].toUpper();
    }
    const Entries descending(ascending.rbegin(), ascending.rend());
    Entries alike;  // equal without regard to case, so only their order of arrival tells
    for (int i = 0; i < 300; ++i) {
        alike.push_back({QStringList{"same@x.cc", "SAME@x.cc", "Same@X.cc"}[i % 3]});
    }
    for (const Entries& entries : {ascending, descending, alike}) {
        EXPECT_EQ(sorted(entries), listBoxOrder(entries));
    }
}

// Entries are spread over buckets by the bits after those a sample of their keys shares. Entries
// the sample missed that sort before or after all of it, a large share alike in their first
// bytes, and entries alike in all twelve key bytes must still come out in order.
TEST(EntrySortTest, EntriesTheSampleMissedOrManyAlikeSortAsTheListBoxDoes) {
    Entries entries;
    for (int i = 0; i < 3000; ++i) {
        entries.push_back({QStringLiteral("user%1@d%2.cc").arg(i * 7919 % 10007).arg(i % 13)});
    }
    // Away from the places the sample looks at (every second entry from the second on).
    entries[1] = {"aaa@x.cc"};
    entries[3] = {"zzz@x.cc"};
    entries[5] = {"USER9@d0.cc"};
    entries[7] = {"user"};
    entries[9] = {"é@x.cc"};
    entries[11] = {"usera@x.cc"};
    EXPECT_EQ(sorted(entries), listBoxOrder(entries));

    Entries shared;  // most of them share a long first part, so one bucket holds them
    for (int i = 0; i < 3000; ++i) {
        shared.push_back({i % 4 ? QStringLiteral("info-letters-%1@x.cc").arg(i * 31 % 997)
                                : QStringLiteral("%1@y.cc").arg(i * 17 % 3001)});
    }
    EXPECT_EQ(sorted(shared), listBoxOrder(shared));

    // Enough entries to be laid out and sorted in two halves at once: ties across the halves
    // keep their order of arrival.
    Entries many;
    for (int i = 0; i < 40000; ++i) {
        many.push_back({QStringLiteral("%1%2@x.cc").arg(i % 3 ? 'u' : 'U').arg(i * 7 % 401)});
    }
    EXPECT_EQ(sorted(many), listBoxOrder(many));
}

// Keys of digits use few of the values a byte can take, so the buckets hold hundreds of entries
// each; inside them the keys are spread by the byte where they first differ, in the first eight
// bytes of the key or the last four, down to keys alike in all twelve.
TEST(EntrySortTest, EntriesTheBucketsCannotTellApartSortAsTheListBoxDoes) {
    std::mt19937 random(17);
    std::uniform_int_distribution<int> number(0, 9999999), digit(0, 9), flip(0, 1);
    Entries entries;
    for (int i = 0; i < 6000; ++i) {
        QString address;
        switch (i % 3) {
            case 0:
                address = QStringLiteral("n%1@x.cc").arg(number(random), 7, 10, QLatin1Char('0'));
                break;
            case 1:  // first different in the ninth to twelfth byte of the key
                address = QStringLiteral("abcdefgh%1%2%3%4@x.cc")
                              .arg(digit(random))
                              .arg(digit(random))
                              .arg(digit(random))
                              .arg(digit(random));
                break;
            default:  // alike in all twelve bytes, different after them
                address = QStringLiteral("abcdefgh0123%1@x.cc").arg(digit(random));
                break;
        }
        if (flip(random)) address[0] = address[0].toUpper();
        entries.push_back({address});
    }
    EXPECT_EQ(sorted(entries), listBoxOrder(entries));
}

TEST(EntrySortTest, CaseFoldingSharesUnchangedText) {
    const QString lower = QString::fromLatin1("plain@x.cc");
    EXPECT_TRUE(caseFolded(lower).isSharedWith(lower));
    EXPECT_EQ(caseFolded(QStringLiteral("MiXeD@X.cc")), "mixed@x.cc");
}

}  // namespace
}  // namespace rosterly

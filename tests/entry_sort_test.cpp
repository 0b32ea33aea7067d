#include "entry_sort.h"

#include "platform/case_fold.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace rosterly {
namespace {

using Entries = std::vector<QStringList>;

Entries sorted(Entries entries) {
    const auto order = sortedEntryOrder(qsizetype(entries.size()), [&](qsizetype e, qsizetype k) {
        const QStringList& parts = entries[size_t(e)];
        return k < parts.size() ? &parts[k] : nullptr;
    });
    Entries result;
    for (qsizetype e : order) result.push_back(entries[size_t(e)]);
    return result;
}

QString textOf(const QStringList& entry) {
    return entry.join("\r\n") + "\r\n";
}

TEST(EntrySortTest, SortsAddressesAscendingWithoutRegardToCase) {
    QStringList addresses{"mike@x.cc", "Bob@x.cc", "alice@x.cc", "bob@a.cc", "_u@x.cc", "Zed@x.cc"};
    sortAddresses(addresses);
    EXPECT_EQ(addresses, (QStringList{"_u@x.cc", "alice@x.cc", "bob@a.cc", "Bob@x.cc", "mike@x.cc",
                                      "Zed@x.cc"}));
}

TEST(EntrySortTest, EqualEntriesKeepTheirOrder) {
    QStringList addresses{"b@x.cc", "A@x.cc", "a@x.cc", "a@X.cc", "A@X.CC"};
    sortAddresses(addresses);
    EXPECT_EQ(addresses, (QStringList{"A@x.cc", "a@x.cc", "a@X.cc", "A@X.CC", "b@x.cc"}));
}

TEST(EntrySortTest, EmptyAndSingleEntriesStayAsTheyAre) {
    QStringList none;
    sortAddresses(none);
    EXPECT_TRUE(none.isEmpty());
    QStringList one{"z@x.cc"};
    sortAddresses(one);
    EXPECT_EQ(one, QStringList{"z@x.cc"});
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
                          {"\uff41@x.cc"}};
    Entries expected = entries;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const QStringList& a, const QStringList& b) {
                         return QString::compare(textOf(a), textOf(b), Qt::CaseInsensitive) < 0;
                     });
    EXPECT_EQ(sorted(entries), expected);
}

TEST(EntrySortTest, TextsAlikeInTheirFirstEightCharactersOrderByTheRest) {
    const Entries entries{{"abcdefghj@x"}, {"abcdefgh"},   {"abcdefg\t"}, {"ABCDEFGHI@x"},
                          {"abcdefg"},     {"abcdefgh\t"}, {"abcdef"},    {"abcdefgh", "a"},
                          {"abcdefgh@"},   {"abcdefgH"},   {"abcdefgh\n"}};
    Entries expected = entries;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const QStringList& a, const QStringList& b) {
                         return QString::compare(textOf(a), textOf(b), Qt::CaseInsensitive) < 0;
                     });
    EXPECT_EQ(sorted(entries), expected);
}

TEST(EntrySortTest, CaseFoldingSharesUnchangedText) {
    const QString lower = QString::fromLatin1("plain@x.cc");
    EXPECT_TRUE(caseFolded(lower).isSharedWith(lower));
    EXPECT_EQ(caseFolded(QStringLiteral("MiXeD@X.cc")), "mixed@x.cc");
}

}  // namespace
}  // namespace rosterly

#include "domain_groups.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QStringList>

#include <numeric>
#include <random>
#include <utility>

#include "entry_sort.h"

namespace rosterly {
namespace {

class DomainGroupsTest : public ::testing::Test {
protected:
    void addAll(const QStringList& addresses) {
        for (const QString& address : addresses) {
            const auto entry = record.insert(address);
            ASSERT_TRUE(entry.has_value()) << address.toStdString();
            groups.add(*entry);
        }
    }
    std::vector<QStringList> allGroups() const {
        std::vector<QStringList> all;
        for (qsizetype i = 0; i < groups.groupCount(); ++i) {
            QStringList group;
            for (const auto entry : groups.group(i)) group << record.address(entry);
            all.push_back(group);
        }
        return all;
    }
    QStringList lines() const {
        QStringList all;
        for (const auto entry : groups.lines()) all << record.address(entry);
        return all;
    }

    AcceptedAddresses record;
    DomainGroups groups{record};
};

TEST_F(DomainGroupsTest, GroupsInOrderOfFirstDomainAndAddressesInArrival) {
    addAll({"a@d1.cc", "b@d2.cc", "c@d2.cc", "d@d1.cc"});
    EXPECT_EQ(allGroups(),
              (std::vector<QStringList>{{"a@d1.cc", "d@d1.cc"}, {"b@d2.cc", "c@d2.cc"}}));
    EXPECT_EQ(lines(), (QStringList{"a@d1.cc", "d@d1.cc", "b@d2.cc", "c@d2.cc"}));
    EXPECT_EQ(groups.addressCount(), 4);
}

TEST_F(DomainGroupsTest, DomainsMatchWholeWithoutRegardToCaseOrSurroundingSpaces) {
    addAll({"a@mail.example.cc", "b@example.cc", "c@ample.cc", "d@EXAMPLE.cc", "e@example.cc ",
            "f@example.c", "g@x.example.cc", "h@ example.cc", "i@example.cc\t"});
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{
                               {"a@mail.example.cc"},
                               {"b@example.cc", "d@EXAMPLE.cc", "e@example.cc ", "h@ example.cc"},
                               {"c@ample.cc"},
                               {"f@example.c"},
                               {"g@x.example.cc"},
                               {"i@example.cc\t"}}));
}

TEST_F(DomainGroupsTest, NonAsciiDomainsGroupByCaseFold) {
    addAll({"a@\u00e9cole.fr", "b@\u00c9COLE.fr", "c@ecole.fr", "d@\u0440\u0444.ru",
            "e@\u0420\u0424.RU", "f@stra\u00dfe.de", "g@STRASSE.de", "h@\U0001F600.cc",
            "i@\U0001F600.CC"});
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{{"a@\u00e9cole.fr", "b@\u00c9COLE.fr"},
                                                     {"c@ecole.fr"},
                                                     {"d@\u0440\u0444.ru", "e@\u0420\u0424.RU"},
                                                     {"f@stra\u00dfe.de"},
                                                     {"g@STRASSE.de"},
                                                     {"h@\U0001F600.cc", "i@\U0001F600.CC"}}));
}

TEST_F(DomainGroupsTest, DomainPartStartsAfterFirstAtAndSubstringsStayApart) {
    addAll({"x@yu@d.cc", "u@d.cc", "v@yu@d.cc", "xu@d.cc", "nodomain", "NODOMAIN"});
    EXPECT_EQ(allGroups(),
              (std::vector<QStringList>{
                  {"x@yu@d.cc", "v@yu@d.cc"}, {"u@d.cc", "xu@d.cc"}, {"nodomain", "NODOMAIN"}}));
    EXPECT_EQ(domainPartOf(u"nodomain"), u"nodomain");
}

TEST_F(DomainGroupsTest, IsIgnoredComparesTheTrimmedDomainWithTheLowerCasedTypedText) {
    const struct {
        IgnoredDomain ignored;
        const char* address;
        bool isIgnoredAddress;
    } cases[] = {
        {{true, "Example.CC "}, "a@example.cc", true},
        {{true, "  example.cc"}, "a@example.cc  ", true},
        {{false, "example.cc"}, "a@example.cc", false},
        {{true, "example.cc"}, "a@mail.example.cc", false},  // subdomain
        {{true, "example.cc"}, "a@example.ccc", false},
        {{true, "example.cc"}, "a@EXAMPLE.cc", false},    // only the typed text is lower-cased
        {{true, "example.cc"}, "a@example.cc\t", false},  // only blanks are trimmed
        {{true, ""}, "a@example.cc", false},
        {{true, "   "}, "a@example.cc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isIgnored(QString(c.address), c.ignored), c.isIgnoredAddress) << c.address;
    }
}

TEST_F(DomainGroupsTest, HasNoLimitOnGroups) {
    for (int i = 0; i < 5000; ++i) {
        addAll({QStringLiteral("a@d%1.cc").arg(i), QStringLiteral("b@d%1.cc").arg(i)});
    }
    ASSERT_EQ(groups.groupCount(), 5000);
    EXPECT_EQ(allGroups()[4999], (QStringList{"a@d4999.cc", "b@d4999.cc"}));
    EXPECT_EQ(groups.addressCount(), 10000);
}

TEST_F(DomainGroupsTest, SortsGroupsByFirstAddressAndKeepsGrouping) {
    addAll({"m@d1.cc", "a@d1.cc", "Z@d2.cc", "b@d3.cc", "q@d2.cc"});
    groups.sortGroups();
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{
                               {"b@d3.cc"}, {"m@d1.cc", "a@d1.cc"}, {"Z@d2.cc", "q@d2.cc"}}));
    addAll({"c@d2.cc", "n@d4.cc"});
    EXPECT_EQ(allGroups()[2], (QStringList{"Z@d2.cc", "q@d2.cc", "c@d2.cc"}));
    EXPECT_EQ(allGroups()[3], (QStringList{"n@d4.cc"}));
    EXPECT_EQ(lines(), (QStringList{"b@d3.cc", "m@d1.cc", "a@d1.cc", "Z@d2.cc", "q@d2.cc",
                                    "c@d2.cc", "n@d4.cc"}));
}

// Many groups, most of one address and some of several, in random case: sorted, they stand as
// their lists of entries sorted by the same text order, each group whole.
TEST_F(DomainGroupsTest, SortedGroupsAgreeWithSortingTheGroupsThemselves) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> domain(0, 2000), local(0, 30), flip(0, 1);
    QStringList addresses;
    for (int i = 0; i < 4000; ++i) {
        QString address = QStringLiteral("%1@d%2.cc").arg(local(random)).arg(domain(random));
        for (QChar& c : address)
            if (flip(random)) c = c.toUpper();
        if (!addresses.contains(address)) addresses << address;
    }
    addAll(addresses);
    std::vector<std::vector<AcceptedAddresses::Entry>> before;
    for (qsizetype i = 0; i < groups.groupCount(); ++i) {
        const auto group = groups.group(i);
        before.emplace_back(group.begin(), group.end());
    }
    std::vector<uint32_t> order(before.size());
    std::iota(order.begin(), order.end(), 0u);
    sortEntries(
        order,
        [&](uint32_t g, uint32_t k) {
            return k < before[g].size() ? record.line(before[g][k]) : QByteArrayView();
        },
        [](std::span<const uint32_t>) {});
    std::vector<QStringList> expected;
    for (const uint32_t g : order) {
        QStringList group;
        for (const auto entry : before[g]) group << record.address(entry);
        expected.push_back(group);
    }
    groups.sortGroups();
    EXPECT_EQ(allGroups(), expected);
    QStringList flat;
    for (const QStringList& group : expected) flat << group;
    EXPECT_EQ(lines(), flat);
}

TEST_F(DomainGroupsTest, EmptyGroupsSortAndListNothing) {
    groups.sortGroups();
    EXPECT_EQ(groups.groupCount(), 0);
    EXPECT_TRUE(lines().isEmpty());
}

// Addresses of random domains in random case: each group must hold exactly the addresses whose
// folded domains are equal, in arrival order. Few domains, and then enough addresses that the
// domains are hashed in several blocks, with groups that run on across the blocks.
TEST_F(DomainGroupsTest, AgreesWithGroupingByFoldedDomainOnRandomInput) {
    for (const auto& [count, domains] : {std::pair{3000, 40}, std::pair{150000, 40000}}) {
        record.clear();
        groups.clear();
        std::mt19937 random(5);
        std::uniform_int_distribution<int> domain(0, domains), flip(0, 1);
        QStringList addresses;
        for (int i = 0; i < count; ++i) {
            QString d = QStringLiteral("d%1.example.cc").arg(domain(random));
            for (QChar& c : d)
                if (flip(random)) c = c.toUpper();
            addresses << QStringLiteral("u%1@").arg(i) + d;
        }
        addAll(addresses);
        std::vector<QStringList> expected;
        QHash<QString, size_t> groupOfKey;
        for (const QString& address : addresses) {
            const QString key = domainPartOf(address).toString().toCaseFolded();
            if (!groupOfKey.contains(key)) {
                groupOfKey.insert(key, expected.size());
                expected.emplace_back();
            }
            expected[groupOfKey.value(key)] << address;
        }
        EXPECT_EQ(allGroups(), expected) << count << " addresses";
    }
}

// The ignored domain's addresses are recorded but never added: the entries added then skip
// some of the record's, before and after the groups are first looked at.
TEST_F(DomainGroupsTest, EntriesLeftOutOfTheRecordsOrderStayOut) {
    const QStringList addresses{"a@d1.cc", "b@skip.cc", "c@d2.cc", "d@d1.cc",  "e@skip.cc",
                                "f@d2.cc", "g@d3.cc",   "h@d1.cc", "i@skip.cc"};
    for (const QString& address : addresses) ASSERT_TRUE(record.insert(address).has_value());
    for (AcceptedAddresses::Entry entry = 0; entry < 6; ++entry) {
        if (!addresses[entry].endsWith(QStringLiteral("@skip.cc"))) groups.add(entry);
    }
    EXPECT_EQ(allGroups(),
              (std::vector<QStringList>{{"a@d1.cc", "d@d1.cc"}, {"c@d2.cc", "f@d2.cc"}}));
    for (AcceptedAddresses::Entry entry = 6; entry < 9; ++entry) {
        if (!addresses[entry].endsWith(QStringLiteral("@skip.cc"))) groups.add(entry);
    }
    EXPECT_EQ(allGroups(),
              (std::vector<QStringList>{
                  {"a@d1.cc", "d@d1.cc", "h@d1.cc"}, {"c@d2.cc", "f@d2.cc"}, {"g@d3.cc"}}));
    EXPECT_EQ(groups.addressCount(), 6);
}

TEST_F(DomainGroupsTest, ClearStartsAfresh) {
    addAll({"a@d1.cc", "b@d2.cc"});
    groups.clear();
    EXPECT_EQ(groups.groupCount(), 0);
    EXPECT_EQ(groups.addressCount(), 0);
    groups.add(0);
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{{"a@d1.cc"}}));
}

}  // namespace
}  // namespace rosterly

#include "domain_groups.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace rosterly {
namespace {

using Placement = DomainGroups::Placement;

class DomainGroupsTest : public ::testing::Test {
protected:
    void addAll(const QStringList& addresses, const IgnoredDomain& ignored = {}) {
        for (const QString& address : addresses) {
            groups.add(address, ignored);
        }
    }
    std::vector<QStringList> allGroups() const {
        std::vector<QStringList> all;
        for (qsizetype i = 0; i < groups.groupCount(); ++i) {
            all.push_back(groups.group(i));
        }
        return all;
    }

    DomainGroups groups;
};

TEST_F(DomainGroupsTest, GroupsInOrderOfFirstDomainAndAddressesInArrival) {
    addAll({"a@d1.cc", "b@d2.cc", "c@d2.cc", "d@d1.cc"});
    EXPECT_EQ(allGroups(),
              (std::vector<QStringList>{{"a@d1.cc", "d@d1.cc"}, {"b@d2.cc", "c@d2.cc"}}));
    EXPECT_EQ(groups.groupText(0), "a@d1.cc\r\nd@d1.cc\r\n");
    EXPECT_EQ(groups.groupText(1), "b@d2.cc\r\nc@d2.cc\r\n");
    EXPECT_EQ(groups.addressCount(), 4);
}

TEST_F(DomainGroupsTest, DomainsMatchWholeWithoutRegardToCaseOrSurroundingSpaces) {
    addAll({"a@mail.example.cc", "b@example.cc", "c@ample.cc", "d@EXAMPLE.cc", "e@example.cc ",
            "f@example.c", "g@x.example.cc"});
    EXPECT_EQ(allGroups(),
              (std::vector<QStringList>{{"a@mail.example.cc"},
                                        {"b@example.cc", "d@EXAMPLE.cc", "e@example.cc "},
                                        {"c@ample.cc"},
                                        {"f@example.c"},
                                        {"g@x.example.cc"}}));
}

TEST_F(DomainGroupsTest, DomainPartStartsAfterFirstAt) {
    addAll({"x@yu@d.cc", "u@d.cc", "v@yu@d.cc"});
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{{"x@yu@d.cc", "v@yu@d.cc"}, {"u@d.cc"}}));
    EXPECT_EQ(domainPartOf(u"nodomain"), u"nodomain");
}

TEST_F(DomainGroupsTest, OnlyTheSameWholeAddressIsAlreadyPresent) {
    EXPECT_EQ(groups.add("xb@b.cc", {}), Placement::Added);
    EXPECT_EQ(groups.add("b@b.cc", {}), Placement::Added);
    EXPECT_EQ(groups.add("b@b.cc", {}), Placement::AlreadyPresent);
    EXPECT_EQ(groups.add("B@b.CC", {}), Placement::Added);
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{{"xb@b.cc", "b@b.cc", "B@b.CC"}}));
}

TEST_F(DomainGroupsTest, IgnoresTheTypedDomainExactlyAfterTrimmingAndLowerCasing) {
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

TEST_F(DomainGroupsTest, IgnoredAddressesJoinNoGroupFromTheFirstOn) {
    const IgnoredDomain ignored{true, "Spam.CC "};
    EXPECT_EQ(groups.add("a@spam.cc", ignored), Placement::Ignored);
    EXPECT_EQ(groups.add("b@ham.cc", ignored), Placement::Added);
    EXPECT_EQ(groups.add("c@spam.cc", ignored), Placement::Ignored);
    EXPECT_EQ(groups.add("d@x.spam.cc", ignored), Placement::Added);
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{{"b@ham.cc"}, {"d@x.spam.cc"}}));
}

TEST_F(DomainGroupsTest, HasNoLimitOnGroups) {
    for (int i = 0; i < 5000; ++i) {
        groups.add(QStringLiteral("a@d%1.cc").arg(i), {});
        groups.add(QStringLiteral("b@d%1.cc").arg(i), {});
    }
    ASSERT_EQ(groups.groupCount(), 5000);
    EXPECT_EQ(groups.group(4999), (QStringList{"a@d4999.cc", "b@d4999.cc"}));
    EXPECT_EQ(groups.addressCount(), 10000);
}

TEST_F(DomainGroupsTest, SortsGroupsByFirstAddressAndKeepsGrouping) {
    addAll({"m@d1.cc", "a@d1.cc", "Z@d2.cc", "b@d3.cc", "q@d2.cc"});
    groups.sortGroups();
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{
                               {"b@d3.cc"}, {"m@d1.cc", "a@d1.cc"}, {"Z@d2.cc", "q@d2.cc"}}));
    addAll({"c@d2.cc", "n@d4.cc"});
    EXPECT_EQ(groups.group(2), (QStringList{"Z@d2.cc", "q@d2.cc", "c@d2.cc"}));
    EXPECT_EQ(groups.group(3), (QStringList{"n@d4.cc"}));
}

TEST_F(DomainGroupsTest, ClearStartsAfresh) {
    addAll({"a@d1.cc", "b@d2.cc"});
    groups.clear();
    EXPECT_EQ(groups.groupCount(), 0);
    EXPECT_EQ(groups.addressCount(), 0);
    EXPECT_EQ(groups.add("a@d1.cc", {}), Placement::Added);
    EXPECT_EQ(allGroups(), (std::vector<QStringList>{{"a@d1.cc"}}));
}

}  // namespace
}  // namespace rosterly

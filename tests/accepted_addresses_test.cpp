#include "accepted_addresses.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

namespace rosterly {
namespace {

TEST(AcceptedAddressesTest, DuplicateMeansExactlyTheSameText) {
    const struct {
        const char16_t* earlier;
        const char16_t* address;
        bool duplicate;
    } cases[] = {
        {u"a@b.cc", u"a@b.cc", true},
        {u"xb@b.cc", u"b@b.cc", false},        // tail of an earlier address
        {u"b@b.cc", u"xb@b.cc", false},        // earlier address is the tail
        {u"a@b.cc", u"a@b.c", false},          // prefix
        {u"A@b.cc", u"a@b.cc", false},         // case counts
        {u"a@b.cc a@d.cc", u"a@b.cc", false},  // no containment
        {u"x*y@b.cc", u"*@b.cc", false},       // wildcard characters are literal
        {u"ab@b.cc", u"a?@b.cc", false},
        {u"a1@b.cc", u"a#@b.cc", false},
        {u"ab@b.cc", u"a[b]@b.cc", false},
        {u"a[b@b.cc", u"a[b@b.cc", true},  // an open bracket is just a character
        {u"\u00e9@b.cc", u"\u00e9@b.cc", true},
        {u"\u0101@b.cc", u"\u0101@b.cc", true},
        {u"\u00e9@b.cc", u"\u0101@b.cc", false},
        {u"\u0101@b.cc", u"\u0001@b.cc", false},  // wide and one-byte forms never mix
    };
    for (const auto& c : cases) {
        AcceptedAddresses accepted;
        accepted.insert(QString::fromUtf16(c.earlier));
        const QString address = QString::fromUtf16(c.address);
        EXPECT_EQ(accepted.contains(address), c.duplicate) << address.toStdString();
        EXPECT_EQ(accepted.insert(address), !c.duplicate) << address.toStdString();
        EXPECT_TRUE(accepted.contains(address));
    }
}

TEST(AcceptedAddressesTest, EmptySetHoldsNothing) {
    AcceptedAddresses accepted;
    EXPECT_FALSE(accepted.contains(u"a@b.cc"));
    EXPECT_FALSE(accepted.contains(u""));
    EXPECT_EQ(accepted.size(), 0);
}

TEST(AcceptedAddressesTest, ClearForgetsEverything) {
    AcceptedAddresses accepted;
    accepted.insert(u"a@b.cc");
    accepted.clear();
    EXPECT_FALSE(accepted.contains(u"a@b.cc"));
    EXPECT_EQ(accepted.size(), 0);
    EXPECT_TRUE(accepted.insert(u"a@b.cc"));
    EXPECT_EQ(accepted.size(), 1);
}

TEST(AcceptedAddressesTest, HoldsAMillionAddresses) {
    AcceptedAddresses accepted;
    const int count = 1'000'000;
    for (int i = 0; i < count; ++i) {
        // Every 10th address is wide, to mix both stored forms.
        const QString address = QStringLiteral("user%1@host%2.%3")
                                    .arg(i)
                                    .arg(i % 997)
                                    .arg(i % 10 == 0 ? u"\u0440\u0444" : u"cc");
        ASSERT_TRUE(accepted.insert(address)) << i;
    }
    EXPECT_EQ(accepted.size(), count);
    for (int i = 0; i < count; i += 7) {
        const QString suffix = i % 10 == 0 ? QStringLiteral("\u0440\u0444") : QStringLiteral("cc");
        const QString address = QStringLiteral("user%1@host%2.%3").arg(i).arg(i % 997).arg(suffix);
        EXPECT_FALSE(accepted.insert(address)) << i;
        EXPECT_FALSE(
            accepted.contains(QStringLiteral("ser%1@host%2.%3").arg(i).arg(i % 997).arg(suffix)));
    }
    EXPECT_EQ(accepted.size(), count);
}

}  // namespace
}  // namespace rosterly

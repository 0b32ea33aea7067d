#include "acceptance.h"

#include <gtest/gtest.h>

#include <QString>

namespace rosterly {
namespace {

TEST(AcceptanceTest, KeepsOnlyTextsRankingAboveAt) {
    const struct {
        const char16_t* address;
        bool acceptable;
    } cases[] = {
        {u"", false},          {u"@", false},
        {u"@x", true},         {u"a@b.cc", true},
        {u"_x@b.cc", true},    {u"~x@b.cc", true},
        {u"A@b.cc", true},     {u"\u00e9t\u00e9@b.cc", true},
        {u"1abc@b.cc", false}, {u"9@b.cc", false},
        {u" a@b.cc", false},   {u"?a@b.cc", false},
        {u".a@b.cc", false},   {u"-a@b.cc", false},
        {u"'a@b.cc", false},   {u"#a@b.cc", false},
        {u"\na@b.cc", false},  {u"?", false},
    };
    for (const auto& c : cases) {
        const QString address = QString::fromUtf16(c.address);
        EXPECT_EQ(isAcceptable(address), c.acceptable) << address.toStdString();
        // The rule is exactly "compares greater than '@' by code unit".
        EXPECT_EQ(isAcceptable(address), QStringView(u"@").compare(address) < 0);
    }
}

}  // namespace
}  // namespace rosterly

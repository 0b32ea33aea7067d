#include "sievan_calls.h"

#include <gtest/gtest.h>

#include "fakes/fake_sievan.h"
#include "support/qt_print.h"

namespace rosterly {
namespace {

TEST(SievanCallsTest, PutExtractGetByMemberIdentifier) {
    FakeSievan control;
    SievanCalls calls(&control);
    QStringView address;
    ASSERT_EQ(calls.putAddress(u"mail me at a@b.cc today"), S_OK);
    ASSERT_EQ(calls.extract(), S_OK);
    ASSERT_EQ(calls.getAddress(address), S_OK);
    EXPECT_EQ(address, u"a@b.cc");
    EXPECT_EQ(control.calls, (QStringList{"put mail me at a@b.cc today", "extract", "get"}));
}

TEST(SievanCallsTest, ReusedArgumentCarriesEachTextWhole) {
    FakeSievan control;
    SievanCalls calls(&control);
    const QString longLine = QString(300, u'x') + QStringLiteral("@y");
    const QString otherLongLine = QString(300, u'z') + QStringLiteral("@w");
    for (QStringView text : {QStringView(u"abc@d"), QStringView(u"xyz@w"),
                             QStringView(u"longer@text"), QStringView(u""), QStringView(longLine),
                             QStringView(otherLongLine), QStringView(u"q@r")}) {
        ASSERT_EQ(calls.putAddress(text), S_OK);
        EXPECT_EQ(control.address, text.toString());
    }
}

TEST(SievanCallsTest, ResultStaysValidUntilNextCall) {
    FakeSievan control;
    SievanCalls calls(&control);
    QStringView first;
    ASSERT_EQ(calls.putAddress(u"x@y"), S_OK);
    ASSERT_EQ(calls.getAddress(first), S_OK);
    const QString copy = first.toString();
    ASSERT_EQ(calls.putAddress(u"other@text"), S_OK);
    EXPECT_EQ(copy, "x@y");
    QStringView second;
    ASSERT_EQ(calls.getAddress(second), S_OK);
    EXPECT_EQ(second, u"other@text");
}

TEST(SievanCallsTest, ControlFailureIsPassedOn) {
    FakeSievan control;
    control.failOn = QStringLiteral("bad");
    SievanCalls calls(&control);
    ASSERT_EQ(calls.putAddress(u"bad@x"), S_OK);
    EXPECT_TRUE(FAILED(calls.extract()));
}

}  // namespace
}  // namespace rosterly

// Counter strings: decimal text stepped by one.
#include <gtest/gtest.h>

#include "counter_string.h"

namespace {

struct StepCase {
    std::u16string before;
    HRESULT expected;
    std::u16string after;
};

class StepCounterTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepCounterTest, StepsOrFailsAsTheTextDeserves) {
    const StepCase& c = GetParam();
    std::u16string counter = c.before;
    EXPECT_EQ(corvell::stepCounter(counter), c.expected);
    EXPECT_EQ(counter, c.expected == S_OK ? c.after : c.before);
}

INSTANTIATE_TEST_SUITE_P(Table, StepCounterTest,
                         ::testing::Values(StepCase{u"0", S_OK, u"1"}, StepCase{u"9", S_OK, u"10"},
                                           StepCase{u"32767", S_OK, u"32768"},
                                           StepCase{u" 5 ", S_OK, u"6"},
                                           StepCase{u"-1", S_OK, u"0"},
                                           StepCase{u"1.5", S_OK, u"2.5"},
                                           StepCase{u"", CTL_E_TYPEMISMATCH, u""},
                                           StepCase{u"ten", CTL_E_TYPEMISMATCH, u""},
                                           StepCase{u"1,000", CTL_E_TYPEMISMATCH, u""},
                                           StepCase{u"1e400", CTL_E_OVERFLOW, u""}));

// Every way of writing a number steps to plain digits: never an exponent, whatever the
// written form or the size of the count.
INSTANTIATE_TEST_SUITE_P(
    PlainDigits, StepCounterTest,
    ::testing::Values(StepCase{u"99999", S_OK, u"100000"}, StepCase{u"+99999", S_OK, u"100000"},
                      StepCase{u"099999", S_OK, u"100000"}, StepCase{u" 99999", S_OK, u"100000"},
                      StepCase{u"9.9999E4", S_OK, u"100000"}, StepCase{u"&H1869F", S_OK, u"100000"},
                      StepCase{u"999999999999999", S_OK, u"1000000000000000"},
                      StepCase{u"1E+15", S_OK, u"1000000000000000"},
                      StepCase{u"123456789012345678", S_OK, u"123456789012346000"},
                      StepCase{u"-1.25", S_OK, u"-0.25"}, StepCase{u"-0.75", S_OK, u"0.25"},
                      StepCase{u"-1", S_OK, u"0"}, StepCase{u"-100001", S_OK, u"-100000"},
                      StepCase{u"1.7976931348623157e308", S_OK,
                               u"179769313486232" + std::u16string(294, u'0')}));

}  // namespace

namespace {

// Steps counted first and written later must write what stepping one by one would have.
TEST(PlainCountTest, PlainCountsAddUpAsTheirStepsWouldAndOtherFormsAreLeftToThem) {
    for (const char16_t* text : {u"0", u"41", u"99999999999999"}) {
        const auto count = corvell::plainCount(text);
        ASSERT_TRUE(count.has_value())
            << std::string(text, text + std::char_traits<char16_t>::length(text));
        std::u16string stepped = text;
        for (int i = 0; i < 3; ++i) ASSERT_EQ(corvell::stepCounter(stepped), S_OK);
        EXPECT_EQ(corvell::plainCountText(*count + 3), stepped);
    }
    for (const char16_t* text :
         {u"", u"041", u" 41", u"+41", u"41 ", u"4.1", u"100000000000000", u"999999999999999"}) {
        EXPECT_FALSE(corvell::plainCount(text).has_value());
    }
}

}  // namespace

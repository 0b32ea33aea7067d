// BSTR and VARIANT: layout, ownership and the standard conversions.
#include <gtest/gtest.h>

#include <cmath>

#include "com/variant_value.h"

namespace {

TEST(BstrTest, StoresByteLengthBeforeTheText) {
    BSTR text = SysAllocStringLen(u"a\0b", 3);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(text)[-1], 6u);
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(text[3], 0);
    EXPECT_EQ(com::View(text), std::u16string_view(u"a\0b", 3));
    SysFreeString(text);
}

TEST(BstrTest, NullIsTheEmptyText) {
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(com::View(nullptr), u"");
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

TEST(BstrTest, RefusesImpossibleLengths) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST(VariantTest, LayoutMatchesThePlatform) {
    EXPECT_EQ(sizeof(VARIANT), 24u);
    EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
}

TEST(VariantTest, CopyIsDeep) {
    com::Variant original(u"text");
    com::Variant copy(original);
    EXPECT_NE(copy.bstrVal, original.bstrVal);
    EXPECT_EQ(copy.text(), u"text");
}

struct NumberCase {
    std::u16string text;
    HRESULT expected;
    double value;
};

class ReadNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberTest, ReadsThePlatformsNumberForms) {
    const NumberCase& c = GetParam();
    double value = -12345;
    EXPECT_EQ(VarR8FromStr(c.text.c_str(), 0, 0, &value), c.expected)
        << std::string(c.text.begin(), c.text.end());
    if (c.expected == S_OK) {
        EXPECT_DOUBLE_EQ(value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ReadNumberTest,
    ::testing::Values(
        NumberCase{u"0", S_OK, 0}, NumberCase{u"9", S_OK, 9}, NumberCase{u"  17\t", S_OK, 17},
        NumberCase{u"-3.5", S_OK, -3.5}, NumberCase{u"+2", S_OK, 2}, NumberCase{u".5", S_OK, 0.5},
        NumberCase{u"1e3", S_OK, 1000}, NumberCase{u"1D2", S_OK, 100},
        NumberCase{u"&H1F", S_OK, 31}, NumberCase{u"&o17", S_OK, 15},
        NumberCase{u"", DISP_E_TYPEMISMATCH, 0}, NumberCase{u"   ", DISP_E_TYPEMISMATCH, 0},
        NumberCase{u"abc", DISP_E_TYPEMISMATCH, 0}, NumberCase{u"1 2", DISP_E_TYPEMISMATCH, 0},
        NumberCase{u"1e", DISP_E_TYPEMISMATCH, 0}, NumberCase{u".", DISP_E_TYPEMISMATCH, 0},
        NumberCase{u"--1", DISP_E_TYPEMISMATCH, 0}, NumberCase{u"nan", DISP_E_TYPEMISMATCH, 0},
        NumberCase{u"1e999", DISP_E_OVERFLOW, 0}));

TEST(VariantTest, NumbersBecomeShortestText) {
    for (auto [value, text] : {std::pair{10.0, u"10"},
                               {0.0, u"0"},
                               {-0.0, u"0"},
                               {2.5, u"2.5"},
                               {123456789.0, u"123456789"},
                               {1e20, u"1E+20"}}) {
        com::Variant v = com::Variant::r8(value);
        ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
        EXPECT_EQ(v.text(), text);
    }
}

TEST(VariantTest, BooleanConversions) {
    struct Case {
        com::Variant from;
        HRESULT expected;
        VARIANT_BOOL value;
    };
    const Case cases[] = {{com::Variant::i2(0), S_OK, VARIANT_FALSE},
                          {com::Variant::i2(7), S_OK, VARIANT_TRUE},
                          {com::Variant::boolean(1), S_OK, VARIANT_TRUE},
                          {com::Variant(u"true"), S_OK, VARIANT_TRUE},
                          {com::Variant(u" False "), S_OK, VARIANT_FALSE},
                          {com::Variant(u"-1"), S_OK, VARIANT_TRUE},
                          {com::Variant(u"yes"), DISP_E_TYPEMISMATCH, 0}};
    for (const Case& c : cases) {
        com::Variant result;
        EXPECT_EQ(VariantChangeType(&result, &c.from, 0, VT_BOOL), c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(result.boolVal, c.value);
        }
    }
    com::Variant flag = com::Variant::boolean(VARIANT_TRUE);
    ASSERT_EQ(VariantChangeType(&flag, &flag, 0, VT_BSTR), S_OK);
    EXPECT_EQ(flag.text(), u"True");
}

TEST(VariantTest, IntegersRoundHalfToEvenAndCheckRange) {
    com::Variant half = com::Variant::r8(2.5);
    com::Variant result;
    ASSERT_EQ(VariantChangeType(&result, &half, 0, VT_I2), S_OK);
    EXPECT_EQ(result.iVal, 2);
    com::Variant big(u"40000");
    EXPECT_EQ(VariantChangeType(&result, &big, 0, VT_I2), DISP_E_OVERFLOW);
    ASSERT_EQ(VariantChangeType(&result, &big, 0, VT_I4), S_OK);
    EXPECT_EQ(result.lVal, 40000);
}

TEST(VariantTest, FailedConversionLeavesTheTargetAlone) {
    com::Variant target(u"keep");
    com::Variant bad(u"x");
    EXPECT_NE(VariantChangeType(&target, &bad, 0, VT_R8), S_OK);
    EXPECT_EQ(target.text(), u"keep");
}

}  // namespace

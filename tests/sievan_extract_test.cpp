// Extract driven by member identifier, as the program drives its control.
#include "support/sievan_fixture.h"

namespace corvell::testing {
namespace {

struct ExtractCase {
    std::u16string before;
    std::u16string after;
    int countDelta;
    int duplicatesDelta;
};

class WorkedResultsTest : public SievanTest, public ::testing::WithParamInterface<ExtractCase> {};

TEST_P(WorkedResultsTest, FreshInstanceCleansAndCounts) {
    const ExtractCase& c = GetParam();
    EXPECT_EQ(extract(c.before), c.after);
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), c.countDelta ? u"1" : u"0");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), c.duplicatesDelta ? u"1" : u"0");
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedResultsTest,
    ::testing::Values(
        ExtractCase{u"contact: abc@b.c", u"abc@b.c", 1, 0},
        ExtractCase{u"mailto:abc@b.c.", u"abc@b.c", 1, 0},
        ExtractCase{u"(abc@b.c)!", u"abc@b.c", 1, 0}, ExtractCase{u"a@b.c, d@e.f", u"d@e.f", 1, 0},
        ExtractCase{u"a@b.c d@e", u"", 1, 1}, ExtractCase{u"abc@b.c;", u"abc@b.c", 1, 0},
        ExtractCase{u"abc@b.c;x", u"abc@b.c;x", 1, 0},
        ExtractCase{u"abc..def@b.c", u".def@b.c", 1, 0}, ExtractCase{u"abc@b..c", u"", 1, 1},
        ExtractCase{u"a@b.c@", u"a@b.c", 1, 0}, ExtractCase{u"@b.c", u"", 1, 1},
        ExtractCase{u"@a@b.c", u"", 1, 1}, ExtractCase{u"a@b.c-", u"a@b.c", 1, 0},
        ExtractCase{u"a@b.c?s=1", u"a@b.c?s", 1, 0}, ExtractCase{u"abc@@b.c", u"abc@@b.c", 1, 0},
        ExtractCase{u"a.b@c", u"", 0, 0}, ExtractCase{u"@.", u"", 1, 1},
        ExtractCase{u"", u"", 0, 0}, ExtractCase{u"no address here", u"", 0, 0},
        ExtractCase{u"a@b.c!d@e.f", u"a@b.c", 1, 0},
        ExtractCase{u"a@b.c-d@e.f", u"a@b.c-d@e.f", 1, 0},
        ExtractCase{u"\ta@b.c", u"\ta@b.c", 1, 0}, ExtractCase{u"{'a@b.c", u"{'a@b.c", 1, 0},
        ExtractCase{u"a@b.c..d", u"a@b.c", 1, 0}, ExtractCase{u"[a@b.c", u"[a@b.c", 1, 0}));

TEST_F(SievanTest, EntryTestFailureChangesNoCounterAndRecordsNothing) {
    extract(u"a@b.c");
    for (const char16_t* rejected : {u"", u"plain text", u"x@nodot", u"dot.before@"})
        EXPECT_EQ(extract(rejected), u"");
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"1");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
    EXPECT_EQ(extract(u"b@c.d"), u"b@c.d");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
}

TEST_F(SievanTest, RepeatsAreCountedButKept) {
    EXPECT_EQ(extract(u"a@b.c"), u"a@b.c");
    EXPECT_EQ(extract(u"<a@b.c>"), u"a@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"2");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"1");
}

TEST_F(SievanTest, ContainedAndJoinSpanningTextsAreDuplicates) {
    extract(u"xb@b.c");
    extract(u"b@b.c");  // inside the first
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"1");
    extract(u"d@e.f");
    extract(u"c@b.c");     // nowhere: not a duplicate
    extract(u"b.cd@e.f");  // spans the join of two recorded texts
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"2");
}

TEST_F(SievanTest, DuplicateTestTakesAddressesLiterally) {
    extract(u"a@b.c");
    // As a pattern, [a]@b.c or ?@b.c would match the recorded a@b.c.
    for (const char16_t* text : {u"[a]@b.c", u"?@b.c", u"*@b.c", u"#@b.c"}) {
        EXPECT_EQ(extract(text), text);
    }
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
    EXPECT_EQ(extract(u"[x@b.c"), u"[x@b.c");  // an unclosed bracket is no error
    EXPECT_EQ(extract(u"[x@b.c"), u"[x@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"1");
}

TEST_F(SievanTest, DuplicateTestIsCaseSensitive) {
    extract(u"Abc@b.c");
    extract(u"abc@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
}

TEST_F(SievanTest, ResetRecordsZeroFirst) {
    ASSERT_EQ(putDone(VARIANT_TRUE), S_OK);
    extract(u"a@b.c");
    extract(u"0a@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"1");
}

TEST_F(SievanTest, ResetRunsBeforeTheEntryTest) {
    extract(u"a@b.c");
    put(DISPID_SIEVAN_FILTER, u"xyz");
    put(DISPID_SIEVAN_FILTERED, u"4");
    ASSERT_EQ(putDone(VARIANT_TRUE), S_OK);
    sink->changes.clear();
    EXPECT_EQ(extract(u"no address"), u"");
    EXPECT_EQ(getDone(), VARIANT_FALSE);
    for (DISPID m : {DISPID_SIEVAN_COUNT, DISPID_SIEVAN_DUPLICATES, DISPID_SIEVAN_FILTERED,
                     DISPID_SIEVAN_FILTER})
        EXPECT_EQ(get(m), u"0");
    const std::vector<std::u16string> expected = {u"Address",  u"Done",   u"Count",  u"Duplicates",
                                                  u"Filtered", u"Filter", u"Address"};
    EXPECT_EQ(sink->changes, expected);
    extract(u"a@b.c");  // the record was forgotten
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
}

TEST_F(SievanTest, OnlyMinusOneRequestsReset) {
    extract(u"a@b.c");
    ASSERT_EQ(putDone(1), S_OK);
    EXPECT_EQ(getDone(), 1);
    extract(u"a@b.c");
    EXPECT_EQ(getDone(), 1);
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"2");
}

TEST_F(SievanTest, CountersStepAsDecimalText) {
    put(DISPID_SIEVAN_COUNT, u"9");
    put(DISPID_SIEVAN_DUPLICATES, u" 41 ");
    extract(u"a@b.c");
    extract(u"a@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"11");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"42");
}

TEST_F(SievanTest, UnreadableCountFailsAfterAddressIsCleaned) {
    put(DISPID_SIEVAN_COUNT, u"many");
    put(DISPID_SIEVAN_ADDRESS, u"<a@b.c>");
    EXPECT_EQ(call(DISPID_SIEVAN_EXTRACT), CTL_E_TYPEMISMATCH);
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"a@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"many");
    put(DISPID_SIEVAN_COUNT, u"0");
    extract(u"a@b.c");  // not recorded by the failed call
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
}

TEST_F(SievanTest, UnreadableDuplicatesFailsAfterCountIsStepped) {
    extract(u"a@b.c");
    put(DISPID_SIEVAN_DUPLICATES, u"");
    put(DISPID_SIEVAN_ADDRESS, u"a@b.c");
    EXPECT_EQ(call(DISPID_SIEVAN_EXTRACT), CTL_E_TYPEMISMATCH);
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"2");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"");
}

TEST_F(SievanTest, CounterOverflowIsAnArithmeticError) {
    put(DISPID_SIEVAN_COUNT, u"1e999");
    put(DISPID_SIEVAN_ADDRESS, u"a@b.c");
    EXPECT_EQ(call(DISPID_SIEVAN_EXTRACT), CTL_E_OVERFLOW);
}

TEST_F(SievanTest, ExtractSetsAddressOnlyWhenCleaningChangesIt) {
    put(DISPID_SIEVAN_ADDRESS, u"a@b.c");
    sink->changes.clear();
    call(DISPID_SIEVAN_EXTRACT);
    EXPECT_EQ(sink->changes, (std::vector<std::u16string>{u"Count"}));
    put(DISPID_SIEVAN_ADDRESS, u"(a@b.c)");
    sink->changes.clear();
    call(DISPID_SIEVAN_EXTRACT);
    EXPECT_EQ(sink->changes, (std::vector<std::u16string>{u"Address", u"Count", u"Duplicates"}));
}

}  // namespace
}  // namespace corvell::testing

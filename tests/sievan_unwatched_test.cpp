// Extract with no sink advised, as the program drives its control: the record is tested on a
// thread of its own, and Duplicates must read exactly as it would have with a watcher, whenever
// and however it is looked at.
#include <random>

#include "support/sievan_fixture.h"

namespace corvell::testing {
namespace {

class UnwatchedSievanTest : public SievanTest {
protected:
    void SetUp() override {
        SievanTest::SetUp();
        ASSERT_EQ(point->Unadvise(cookie), S_OK);
    }
};

// A second control with the sink still advised does everything the old way.
class WatchedTwin : public SievanTest {
public:
    void TestBody() override {}
    using SievanTest::extract;
    using SievanTest::get;
    using SievanTest::put;
    using SievanTest::SetUp;
    using SievanTest::TearDown;
};

std::u16string randomLine(std::mt19937& rng, const std::vector<std::u16string>& seen) {
    if (!seen.empty() && rng() % 3 == 0) {
        const std::u16string& earlier = seen[rng() % seen.size()];
        // The same address, or a piece of it (found in the record, or not an address at all).
        return rng() % 2 ? u"<" + earlier + u">" : earlier.substr(rng() % earlier.size());
    }
    std::u16string local;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 4); i < n; ++i) local += u'a' + rng() % 3;
    return u"To: " + local + u"@" + std::u16string(1, u'a' + rng() % 3) + u".example, x";
}

TEST_F(UnwatchedSievanTest, CountsAsAWatchedControlDoesWhereverItIsRead) {
    WatchedTwin twin;
    twin.SetUp();
    std::mt19937 rng(3);
    std::vector<std::u16string> seen;
    for (int i = 0; i < 20000; ++i) {
        const std::u16string line = randomLine(rng, seen);
        const std::u16string address = extract(line);
        ASSERT_EQ(address, twin.extract(line)) << i;
        if (!address.empty()) seen.push_back(address);
        if (rng() % 500 == 0) {
            ASSERT_EQ(get(DISPID_SIEVAN_DUPLICATES), twin.get(DISPID_SIEVAN_DUPLICATES)) << i;
        }
    }
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), twin.get(DISPID_SIEVAN_COUNT));
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), twin.get(DISPID_SIEVAN_DUPLICATES));
    const std::u16string duplicates = twin.get(DISPID_SIEVAN_DUPLICATES);
    EXPECT_GT(std::stoi(std::string(duplicates.begin(), duplicates.end())), 1000);
    twin.TearDown();
}

TEST_F(UnwatchedSievanTest, ACountPutMidRunIsCountedOnFrom) {
    extract(u"a@b.c");
    extract(u"a@b.c");
    ASSERT_EQ(put(DISPID_SIEVAN_DUPLICATES, u"100"), S_OK);
    extract(u"a@b.c");
    extract(u"a@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"102");
}

// Only a plain count is stepped later; any other text steps at once, as it always has.
TEST_F(UnwatchedSievanTest, ACounterInAnyOtherFormStepsAsText) {
    extract(u"a@b.c");
    ASSERT_EQ(put(DISPID_SIEVAN_DUPLICATES, u" 41 "), S_OK);
    extract(u"a@b.c");  // " 41 " steps to "42" here
    extract(u"a@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"43");
    ASSERT_EQ(put(DISPID_SIEVAN_DUPLICATES, u"many"), S_OK);
    put(DISPID_SIEVAN_ADDRESS, u"a@b.c");
    EXPECT_EQ(call(DISPID_SIEVAN_EXTRACT), CTL_E_TYPEMISMATCH);
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"4");
}

TEST_F(UnwatchedSievanTest, ASinkAdvisedLaterHearsOnlyLaterSteps) {
    extract(u"a@b.c");
    extract(u"a@b.c");
    sink->changes.clear();
    ASSERT_EQ(point->Advise(sink->identity(), &cookie), S_OK);
    put(DISPID_SIEVAN_ADDRESS, u"a@b.c");
    sink->changes.clear();
    ASSERT_EQ(call(DISPID_SIEVAN_EXTRACT), S_OK);
    EXPECT_EQ(sink->changes, (std::vector<std::u16string>{u"Count", u"Duplicates"}));
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"2");
}

TEST_F(UnwatchedSievanTest, ResetForgetsWhatWasWaitingToBeCounted) {
    extract(u"a@b.c");
    extract(u"a@b.c");
    ASSERT_EQ(putDone(VARIANT_TRUE), S_OK);
    extract(u"a@b.c");  // recorded afresh after "0"
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"1");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
    extract(u"0a@b.c");  // the reset's "0" joins the first address
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"1");
}

// An address longer than the thread takes is tested here, after everything handed over before
// it: an address that came first is never a duplicate of a longer one that came later.
TEST_F(UnwatchedSievanTest, LongAddressesAreTestedInTheirTurn) {
    const std::u16string longAddress = std::u16string(40 * 1024, u'q') + u"x@b.c";
    extract(u"qqqx@b.c");
    EXPECT_EQ(extract(longAddress), longAddress);
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");
    extract(u"qqqx@b.c");    // handed over: a duplicate of the first, and inside the long one
    extract(longAddress);    // itself again, tested here
    extract(u"qx@b.cqqqq");  // across the join of the first two
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"5");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"3");
}

TEST_F(UnwatchedSievanTest, SavingWritesTheCountSoFar) {
    extract(u"a@b.c");
    extract(u"a@b.c");
    extract(u"a@b.c");
    auto* bag = new com::MemoryPropertyBag();
    ASSERT_EQ(persist()->Save(bag, TRUE, FALSE), S_OK);
    bool written = false;
    for (const auto& entry : bag->entries()) {
        if (entry.name != u"Duplicates") continue;
        written = true;
        EXPECT_EQ(entry.value.text(), u"2");
    }
    EXPECT_TRUE(written);
    bag->Release();
}

}  // namespace
}  // namespace corvell::testing

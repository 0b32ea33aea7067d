// The buckets behind the control's position lists: live buckets never overlap however they are
// taken and let go, and freed room is used again before the pool grows.
#include "bucket_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

namespace corvell {
namespace {

using Pool = BucketPool<std::uint32_t, 7>;

struct Live {
    unsigned sizeClass;
    std::uint32_t mark;
};

// Every word of every live bucket still holds its bucket's mark.
void expectIntact(const Pool& pool, const std::map<std::uint32_t, Live>& live) {
    for (const auto& [bucket, held] : live) {
        for (std::uint32_t i = 0; i < (1u << held.sizeClass); ++i) {
            ASSERT_EQ(pool[bucket + i], held.mark) << "bucket " << bucket << " word " << i;
        }
    }
}

TEST(BucketPoolTest, LiveBucketsNeverOverlapWhateverTheOrder) {
    std::mt19937 random(11);
    Pool pool;
    std::map<std::uint32_t, Live> live;
    std::uint32_t nextMark = 1;
    for (int step = 0; step < 20000; ++step) {
        if (!live.empty() && random() % 5 < 2) {
            auto it = live.begin();
            std::advance(it, random() % live.size());
            pool.release(it->first, it->second.sizeClass);
            live.erase(it);
        } else {
            // Mostly small buckets, as lists are, with now and then the largest.
            const unsigned sizeClass = random() % 8 == 0 ? 6 : random() % 5;
            pool.reserve(1u << sizeClass);
            const std::uint32_t bucket = pool.allocate(sizeClass);
            ASSERT_EQ(bucket % (1u << sizeClass), 0u) << "aligned to its size";
            const Live held{sizeClass, nextMark++};
            for (std::uint32_t i = 0; i < (1u << sizeClass); ++i) pool[bucket + i] = held.mark;
            ASSERT_TRUE(live.emplace(bucket, held).second);
        }
        if (step % 1000 == 0) expectIntact(pool, live);
    }
    expectIntact(pool, live);
}

TEST(BucketPoolTest, ALargeFreedBucketServesSmallerOnesBeforeThePoolGrows) {
    Pool pool;
    pool.reserve(1024);
    std::vector<std::uint32_t> large;
    for (int i = 0; i < 8; ++i) large.push_back(pool.allocate(6));
    const std::size_t grown = pool.memoryBytes();
    for (std::uint32_t bucket : large) pool.release(bucket, 6);
    // 8 buckets of 64 words hold 32 of 16 words, or 128 of 4.
    std::map<std::uint32_t, unsigned> taken;
    for (int i = 0; i < 32; ++i) taken[pool.allocate(4)] = 4;
    for (int i = 0; i < 8; ++i) pool.release(pool.allocate(2), 2);  // only cycles one bucket
    EXPECT_EQ(pool.memoryBytes(), grown);
    std::uint32_t lowest = ~0u, highest = 0;
    for (const auto& [bucket, sizeClass] : taken) {
        lowest = std::min(lowest, bucket);
        highest = std::max(highest, bucket + (1u << sizeClass));
    }
    EXPECT_EQ(highest - lowest, 8u * 64u) << "the freed room, exactly";
}

// Lists grow through the sizes: what they let go of must come back together for larger ones.
TEST(BucketPoolTest, FreedSmallBucketsJoinForLargerOnesBeforeThePoolGrows) {
    std::mt19937 random(12);
    Pool pool;
    std::map<std::uint32_t, unsigned> live;
    for (int i = 0; i < 4000; ++i) {
        const unsigned sizeClass = 1 + random() % 5;
        pool.reserve(1u << sizeClass);
        live[pool.allocate(sizeClass)] = sizeClass;
    }
    std::uint32_t words = 0;
    for (const auto& [bucket, sizeClass] : live)
        words = std::max(words, bucket + (1u << sizeClass));
    const std::size_t grown = pool.memoryBytes();
    std::vector<std::pair<std::uint32_t, unsigned>> order(live.begin(), live.end());
    std::shuffle(order.begin(), order.end(), random);
    for (const auto& [bucket, sizeClass] : order) pool.release(bucket, sizeClass);
    // Everything is free again: the largest buckets fill all of it, without growing the pool.
    std::map<std::uint32_t, unsigned> again;
    for (std::uint32_t i = 0; i < words / 64; ++i) again[pool.allocate(6)] = 6;
    EXPECT_EQ(pool.memoryBytes(), grown);
    EXPECT_EQ(again.size(), words / 64);
    EXPECT_LT(std::prev(again.end())->first, words);
}

}  // namespace
}  // namespace corvell

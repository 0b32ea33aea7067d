// A hash multimap from 64-bit key hashes to 32-bit text positions, laid out
// so that a lookup costs about one cache line: the index behind SeenText.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "random_access_block.h"

namespace corvell {

namespace seen_text_detail {

// Multimap from 64-bit key hashes to text positions, in one flat open-addressing table: a lookup
// touches about one cache line. A key keeps at most kCap positions; beyond that it only reports
// that it has too many. Different keys with equal hashes share one list.
class PositionMultimap {
public:
    static constexpr std::uint32_t kCap = 32;

    struct Candidates {
        const std::uint32_t* positions;  // valid until the next insert()
        std::uint32_t count;
        bool tooMany;  // more than kCap positions were filed; none are listed
    };

    Candidates find(std::uint64_t hash) const;
    void prefetch(std::uint64_t hash) const;
    // Makes room for `inserts` more insert() calls; throws with nothing changed if impossible.
    void reserve(std::size_t inserts);
    // Room must have been reserved.
    void insert(std::uint64_t hash, std::uint32_t position) noexcept;
    void clear();  // empty, memory released
    std::size_t memoryBytes() const;

private:
    struct Slot {
        std::uint64_t hash;
        std::uint32_t count;  // 0: empty slot; kCap + 1: too many
        std::uint32_t data;   // the position when count is 1, else the first of a pool bucket
    };
    static constexpr unsigned kClasses = 6;  // pool buckets of 1 to 32 positions

    std::size_t home(std::uint64_t hash) const { return hash >> shift_; }
    Slot& slotFor(std::uint64_t hash) noexcept;
    void rehash(std::size_t slotCount);
    std::uint32_t allocateBucket(unsigned sizeClass) noexcept;
    void releaseBucket(std::uint32_t bucket, unsigned sizeClass) noexcept;

    static RandomAccessBlock<Slot> makeSlots(std::size_t count);

    RandomAccessBlock<Slot> slots_{nullptr, RandomAccessBlockFree{0}};
    std::size_t slotCount_ = 0;  // a power of two, or 0; at most half used
    std::size_t used_ = 0;
    unsigned shift_ = 64;
    std::vector<std::uint32_t> pool_;  // position lists in power-of-two buckets
    std::uint32_t poolTop_ = 0;
    std::array<std::uint32_t, kClasses> freeBuckets_{};
};

}  // namespace seen_text_detail

}  // namespace corvell

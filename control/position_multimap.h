// A hash multimap from 64-bit key hashes to 32-bit text positions, laid out so that a lookup
// costs about one cache line: the index behind SeenText.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bucket_pool.h"
#include "random_access_block.h"

namespace corvell {

namespace seen_text_detail {

// Multimap from 64-bit key hashes to text positions (below 2^31 - 1) in one flat open-addressing
// table of 8-byte slots: a key with one position holds it in its slot, longer lists sit in
// buckets of a shared pool. A key with more than kCap positions is crowded: it only reports that
// it has too many, and either lets its positions go (a dropped crowd, one kept to show) or keeps
// them all in a chain of chunks for a later walk (a kept crowd). A kept crowd can carry a mark,
// "branched". A key is known by 30 bits of its hash only: keys that agree there share one list,
// so callers check every position they are given.
class PositionMultimap {
public:
    static constexpr std::uint32_t kCap = 63;

    // What a key does once it has more than kCap positions.
    enum class Crowds { Dropped, Kept };

    struct Candidates {
        const std::uint32_t* list;  // the positions, or nullptr when there is one, in `single`
        std::uint32_t single;
        std::uint32_t count;
        bool tooMany;   // more than kCap positions were filed; one of them is in `single`
        bool branched;  // a kept crowd carrying the mark

        std::uint32_t operator[](std::uint32_t i) const { return list ? list[i] : single; }
    };

    // The positions filed under `hash`; valid until the next insert().
    Candidates find(std::uint64_t hash) const;
    void prefetch(std::uint64_t hash) const;
    // Makes room for `inserts` more insert() calls; throws with nothing changed if impossible.
    void reserve(std::size_t inserts);
    // Files `position` under `hash`; room must have been reserved. When that makes the key
    // crowded, its earlier positions are copied to `evicted` and the outcome says how many.
    struct Filed {
        bool crowded;             // the key has (now) too many positions
        std::uint32_t evictions;  // positions copied to `evicted`: the key became crowded now
        bool branched;            // the key is a kept crowd carrying the mark
    };
    Filed insert(std::uint64_t hash, std::uint32_t position, std::uint32_t (&evicted)[kCap],
                 Crowds crowds) noexcept;
    // Marks the kept crowd under `hash` as branched and calls `visit` with each of its positions.
    template <class Visit>
    void branch(std::uint64_t hash, Visit&& visit);
    void clear();  // empty, memory released
    std::size_t memoryBytes() const;

private:
    struct Slot {
        std::uint32_t tag;   // the hash's high half, its two lowest bits replaced by marks
        std::uint32_t data;  // kEmpty, or kListFlag | bucket, or the single position + 1
    };
    static constexpr std::uint32_t kEmpty = 0;
    static constexpr std::uint32_t kListFlag = 0x80000000u;
    // A crowded key: its slot's `data` holds the one position it keeps, + 1 (a dropped crowd), or
    // kListFlag | the last chunk of its chain (a kept crowd).
    static constexpr std::uint32_t kCrowdedTag = 1;
    static constexpr std::uint32_t kBranchedTag = 2;
    static constexpr std::uint32_t kMarks = kCrowdedTag | kBranchedTag;
    // A bucket of 2^c words holds the list's length, then up to 2^c - 1 positions.
    static constexpr unsigned kClasses = 7;
    // A chunk of a kept crowd is a bucket of the largest class: the chunk before it (or
    // kNoChunk), its length, then up to kChunkRoom positions.
    static constexpr unsigned kChunkClass = kClasses - 1;
    static constexpr std::uint32_t kChunkRoom = (1u << kChunkClass) - 2;
    static constexpr std::uint32_t kNoChunk = 0xFFFFFFFFu;

    static std::uint32_t tagOf(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32) & ~kMarks;
    }
    std::size_t home(std::uint32_t tag) const { return tag >> m_shift; }
    Slot& slotFor(std::uint32_t tag) noexcept;
    void rehash(std::size_t slotCount);
    Filed addToList(Slot& slot, std::uint32_t position, std::uint32_t (&evicted)[kCap],
                    Crowds crowds) noexcept;
    void addToCrowd(Slot& slot, std::uint32_t position) noexcept;
    std::uint32_t newChunk(std::uint32_t previous) noexcept;

    RandomAccessBlock<Slot> m_slots{nullptr, RandomAccessBlockFree{0}};
    std::size_t m_slotCount = 0;  // a power of two, or 0; at most 70% used
    std::size_t m_used = 0;
    unsigned m_shift = 32;
    BucketPool<std::uint32_t, kClasses> m_lists;
};

template <class Visit>
void PositionMultimap::branch(std::uint64_t hash, Visit&& visit) {
    if (m_used == 0) return;
    Slot& slot = slotFor(tagOf(hash));
    if ((slot.tag & kCrowdedTag) == 0 || (slot.data & kListFlag) == 0) return;
    slot.tag |= kBranchedTag;
    for (std::uint32_t chunk = slot.data & ~kListFlag; chunk != kNoChunk; chunk = m_lists[chunk]) {
        const std::uint32_t count = m_lists[chunk + 1];
        for (std::uint32_t i = 0; i < count; ++i) visit(m_lists[chunk + 2 + i]);
    }
}

}  // namespace seen_text_detail

}  // namespace corvell

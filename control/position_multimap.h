// A hash multimap from 64-bit key hashes to 32-bit text positions, laid out so that a lookup
// costs about one cache line: the index behind SeenText.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bucket_pool.h"
#include "random_access_block.h"

namespace corvell {

namespace seen_text_detail {

// The lists of positions behind one or more PositionMultimaps: a bucket of 2^c words holds a
// list's length, room for kListRoom[c] positions, and a one-byte tag for each of those, four
// to a word. Maps that share a pool reuse each other's freed buckets.
inline constexpr unsigned kListSizeClasses = 7;
using PositionLists = BucketPool<std::uint32_t, kListSizeClasses>;
inline constexpr std::uint32_t kListRoom[kListSizeClasses] = {0, 0, 2, 5, 12, 24, 31};

// Multimap from 64-bit key hashes to text positions (below 2^31 - 1) in one flat open-addressing
// table of 8-byte slots: a key with one position holds it in its slot, longer lists sit in
// buckets of a shared pool, each position with a tag the caller gives (a little of what stands
// around it, to set it aside without reading the text). A key keeps at most kCap positions;
// beyond that it is crowded: it only reports that it has too many, keeps one of them to show,
// and can carry a mark, "branched". A key is known by 30 bits of its hash only: keys that agree
// there share one list, so callers check every position they are given.
class PositionMultimap {
public:
    // A crowded key hands its positions on to finer keys: a small cap keeps the candidates that
    // a lookup checks few, at the price of a deeper walk through keys that are mostly cached. A
    // full list fills the pool's largest bucket.
    static constexpr std::uint32_t kCap = kListRoom[kListSizeClasses - 1];

    explicit PositionMultimap(PositionLists& lists) : m_lists(&lists) {}

    struct Candidates {
        const std::uint32_t* list;  // the positions, or nullptr when there is one, in `single`
        const std::uint8_t* tags;   // their tags, where there is a list
        std::uint32_t single;
        std::uint32_t count;
        bool tooMany;   // more than kCap positions were filed; only one is kept, in `single`
        bool branched;  // a crowded key carrying the mark

        std::uint32_t operator[](std::uint32_t i) const { return list ? list[i] : single; }
    };

    // The positions filed under `hash`; valid until the next insert().
    Candidates find(std::uint64_t hash) const;
    // Starts fetching what find(hash) reads first: the key's slot.
    void prefetch(std::uint64_t hash) const;
    // Starts fetching what find(hash) reads next, once the slot has arrived: the key's list.
    void prefetchList(std::uint64_t hash) const;
    // Makes room for `inserts` more insert() calls; throws with nothing changed if impossible.
    void reserve(std::size_t inserts);
    // Files `position` with `tag` under `hash`; room must have been reserved. A key's first
    // position is kept without its tag: when a second one comes, firstTag(state, first) gives it.
    // When that makes the key too crowded, its earlier positions are copied to `evicted` and the
    // outcome says how many; the key keeps one of them to show.
    struct Filed {
        bool crowded;             // the key has (now) too many positions; `position` is not kept
        std::uint32_t evictions;  // positions copied to `evicted`: the key became crowded now
        bool branched;            // the crowded key carries the mark
    };
    using TagOf = std::uint8_t (*)(const void* state, std::uint32_t position);
    Filed insert(std::uint64_t hash, std::uint32_t position, std::uint8_t tag, TagOf firstTag,
                 const void* state, std::uint32_t (&evicted)[kCap]) noexcept;
    // Marks the crowded key under `hash` as branched; false if there is no such key.
    bool markBranched(std::uint64_t hash) noexcept;
    // Empty, the table's memory released. The lists stay in the pool: clear it as well once no
    // map that shares it holds any.
    void clear();
    std::size_t memoryBytes() const;  // of the table, without the pool

private:
    struct Slot {
        std::uint32_t tag;   // the hash's high half, its two lowest bits replaced by marks
        std::uint32_t data;  // kEmpty, or kListFlag | bucket, or the single position + 1
    };
    static constexpr std::uint32_t kEmpty = 0;
    static constexpr std::uint32_t kListFlag = 0x80000000u;
    // A crowded key: its slot's `data` holds the one position it keeps, + 1.
    static constexpr std::uint32_t kCrowdedTag = 1;
    static constexpr std::uint32_t kBranchedTag = 2;
    static constexpr std::uint32_t kMarks = kCrowdedTag | kBranchedTag;
    static std::uint32_t tagOf(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32) & ~kMarks;
    }
    std::size_t home(std::uint32_t tag) const { return tag >> m_shift; }
    // The key's slot, or the empty one where it would go.
    Slot& slotFor(std::uint32_t tag) noexcept;
    const Slot& slotFor(std::uint32_t tag) const noexcept;
    void rehash(std::size_t slotCount);
    Filed addToList(Slot& slot, std::uint32_t position, std::uint8_t tag, TagOf firstTag,
                    const void* state, std::uint32_t (&evicted)[kCap]) noexcept;

    RandomAccessBlock<Slot> m_slots{nullptr, RandomAccessBlockFree{0}};
    std::size_t m_slotCount = 0;  // a power of two, or 0; at most 70% used
    std::size_t m_used = 0;
    unsigned m_shift = 32;
    PositionLists* m_lists;
};

}  // namespace seen_text_detail

}  // namespace corvell

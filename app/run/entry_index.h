// An index from hashes to the numbered entries of a record that keeps the entries' texts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "com/cache_prefetch.h"

namespace rosterly {

// Open addressing with linear probing. Every slot holds an entry number and the top 32 bits of
// its hash, so a lookup reads the texts of hash-alike entries only, and growing never needs a
// text: the bits that chose a slot are kept in it. At most four fifths of the slots are used;
// 8 bytes per slot, about 12 per entry.
//
// Entry numbers run from 0 to kNone - 1. The record decides what equal means; the index never
// holds one entry twice if the caller inserts only what find() did not find.
class EntryIndex {
public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    EntryIndex() = default;
    EntryIndex(const EntryIndex&) = delete;
    EntryIndex& operator=(const EntryIndex&) = delete;
    ~EntryIndex();

    // The entry filed under `hash` for which isEntry(entry) holds, or kNone.
    template <typename IsEntry>
    uint32_t find(uint64_t hash, IsEntry isEntry) const {
        if (m_count == 0) return kNone;
        const uint32_t tag = tagOf(hash);
        for (size_t at = homeOf(tag);; at = nextOf(at)) {
            const uint64_t slot = m_slots[at];
            if (slot == 0) return kNone;
            const uint32_t entry = uint32_t(slot) - 1;
            if (uint32_t(slot >> 32) == tag && isEntry(entry)) return entry;
        }
    }

    // Hints that find(hash, ...) or insert(hash, ...) follows soon. A probe for a missing entry
    // often runs on past the end of its first cache line, so the next line is fetched too.
    void prefetch(uint64_t hash) const {
        if (m_capacity == 0) return;
        const size_t home = homeOf(tagOf(hash));
        com::prefetchLine(&m_slots[home]);
        com::prefetchLine(&m_slots[home + kSlotsPerLine < m_capacity ? home + kSlotsPerLine : 0]);
    }

    // Files `entry` under `hash`. Precondition: entry < kNone.
    void insert(uint64_t hash, uint32_t entry);
    // Room for `count` entries in all, so inserting up to there never regrows.
    void reserve(size_t count);
    // A guess of the entries the index will hold in all: once it must grow, it grows to room for
    // them at once instead of by half again, so an index that never has to grow again costs
    // nothing for a guess too high.
    void expect(size_t count) { m_expected = count; }
    size_t size() const { return m_count; }
    // Forgets every entry and gives the memory back.
    void clear();

private:
    static constexpr size_t kSlotsPerLine = 64 / sizeof(uint64_t);
    static uint32_t tagOf(uint64_t hash) { return uint32_t(hash >> 32); }
    // Where the probe for a tag starts: tags spread evenly over the slots.
    size_t homeOf(uint32_t tag) const { return size_t((uint64_t(tag) * m_capacity) >> 32); }
    size_t nextOf(size_t at) const { return at + 1 == m_capacity ? 0 : at + 1; }
    void place(uint64_t slot);
    void resize(size_t capacity);

    uint64_t* m_slots = nullptr;  // zero marks a free slot
    size_t m_capacity = 0;
    size_t m_count = 0;
    size_t m_expected = 0;
};

}  // namespace rosterly

#include "entry_index.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace rosterly {
namespace {

constexpr size_t kMinCapacity = 64;

#ifdef __linux__
// Large tables are read at random, one slot per lookup: on pages of 2 MiB (where the system
// grants them) a lookup costs one cache miss instead of a cache miss and a page-table walk.
constexpr size_t kHugePage = size_t(2) << 20;

uint64_t* allocateSlots(size_t count) {
    const size_t bytes = count * sizeof(uint64_t);
    if (bytes < 2 * kHugePage) return static_cast<uint64_t*>(std::calloc(count, sizeof(uint64_t)));
    void* slots = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (slots == MAP_FAILED) return nullptr;
    madvise(slots, bytes, MADV_HUGEPAGE);
    return static_cast<uint64_t*>(slots);
}

void freeSlots(uint64_t* slots, size_t count) {
    const size_t bytes = count * sizeof(uint64_t);
    if (bytes < 2 * kHugePage) {
        std::free(slots);
    } else {
        munmap(slots, bytes);
    }
}
#else
uint64_t* allocateSlots(size_t count) {
    return static_cast<uint64_t*>(std::calloc(count, sizeof(uint64_t)));
}

void freeSlots(uint64_t* slots, size_t) {
    std::free(slots);
}
#endif

// Slots for `count` entries at most four fifths full.
size_t capacityFor(size_t count) {
    return count + count / 4 + 1;
}

}  // namespace

EntryIndex::~EntryIndex() {
    freeSlots(m_slots, m_capacity);
}

void EntryIndex::insert(uint64_t hash, uint32_t entry) {
    if (capacityFor(m_count + 1) > m_capacity) {
        const size_t grown = std::max(m_capacity + m_capacity / 2, kMinCapacity);
        const size_t expected = capacityFor(m_expected);
        if (expected <= grown) {
            resize(grown);
        } else {
            try {
                resize(expected);
            } catch (const std::bad_alloc&) {
                // Only a guess: the index grows by half again, as without it.
                m_expected = 0;
                resize(grown);
            }
        }
    }
    place((uint64_t(tagOf(hash)) << 32) | (uint64_t(entry) + 1));
    ++m_count;
}

void EntryIndex::reserve(size_t count) {
    if (capacityFor(count) > m_capacity) resize(capacityFor(count));
}

void EntryIndex::clear() {
    freeSlots(m_slots, m_capacity);
    m_slots = nullptr;
    m_capacity = m_count = m_expected = 0;
}

void EntryIndex::place(uint64_t slot) {
    size_t at = homeOf(tagOf(slot));
    while (m_slots[at] != 0) at = nextOf(at);
    m_slots[at] = slot;
}

void EntryIndex::resize(size_t capacity) {
    // Fresh pages come zeroed from the system: nobody clears them twice.
    uint64_t* slots = allocateSlots(capacity);
    if (!slots) throw std::bad_alloc();
    uint64_t* old = m_slots;
    const size_t oldCapacity = m_capacity;
    m_slots = slots;
    m_capacity = capacity;
    for (size_t i = 0; i < oldCapacity; ++i) {
        if (old[i] != 0) place(old[i]);
    }
    freeSlots(old, oldCapacity);
}

}  // namespace rosterly

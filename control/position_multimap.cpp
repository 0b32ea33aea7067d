#include "position_multimap.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "com/cache_prefetch.h"

namespace corvell {

namespace seen_text_detail {

namespace {
constexpr std::size_t kMinSlots = 16;

// The smallest bucket with room for `count` positions.
unsigned classFor(std::uint32_t count) {
    unsigned c = 2;
    while (kListRoom[c] < count) ++c;
    return c;
}

std::uint8_t* tagsOf(PositionLists& lists, std::uint32_t bucket, unsigned sizeClass) {
    return reinterpret_cast<std::uint8_t*>(&lists[bucket + 1 + kListRoom[sizeClass]]);
}
}  // namespace

PositionMultimap::Candidates PositionMultimap::find(std::uint64_t hash) const {
    if (m_used == 0) return {nullptr, nullptr, 0, 0, false, false};
    const Slot& slot = slotFor(tagOf(hash));
    if (slot.data == kEmpty) return {nullptr, nullptr, 0, 0, false, false};
    if ((slot.tag & kCrowdedTag) != 0) {
        return {nullptr, nullptr, slot.data - 1, 0, true, (slot.tag & kBranchedTag) != 0};
    }
    if ((slot.data & kListFlag) == 0) return {nullptr, nullptr, slot.data - 1, 1, false, false};
    const std::uint32_t bucket = slot.data & ~kListFlag;
    PositionLists& lists = *m_lists;
    const std::uint32_t count = lists[bucket];
    return {&lists[bucket + 1], tagsOf(lists, bucket, classFor(count)), 0, count, false, false};
}

void PositionMultimap::prefetch(std::uint64_t hash) const {
    if (m_slotCount != 0) com::prefetchLine(&m_slots[home(tagOf(hash))]);
}

// A list's length, and its first positions, share the bucket's first line: the rest of it is
// mostly not read, since the tags set most positions aside.
void PositionMultimap::prefetchList(std::uint64_t hash) const {
    if (m_used == 0) return;
    const Slot& slot = slotFor(tagOf(hash));
    if ((slot.data & kListFlag) != 0 && (slot.tag & kCrowdedTag) == 0) {
        com::prefetchLine(&(*m_lists)[slot.data & ~kListFlag]);
    }
}

void PositionMultimap::reserve(std::size_t inserts) {
    // A list that moves to a bigger bucket needs the new one before the old is freed.
    m_lists->reserve(std::uint64_t{inserts} << (kListSizeClasses - 1));
    const std::size_t keys = m_used + inserts;
    if (10 * keys > 7 * m_slotCount) {
        rehash(std::max(kMinSlots, std::bit_ceil(10 * keys / 7 + 1)));
    }
}

// Slots are homed by their tag's top bits, so walking the old table in order fills the new one
// almost front to back: growth streams through memory instead of jumping around it.
void PositionMultimap::rehash(std::size_t slotCount) {
    auto old = allocateRandomAccessBlock<Slot>(slotCount);
    std::fill_n(old.get(), slotCount, Slot{0, kEmpty});
    old.swap(m_slots);
    const std::size_t oldCount = std::exchange(m_slotCount, slotCount);
    m_shift = 32 - static_cast<unsigned>(std::countr_zero(slotCount));
    for (std::size_t i = 0; i < oldCount; ++i) {
        if (old[i].data != kEmpty) slotFor(old[i].tag & ~kMarks) = old[i];
    }
}

const PositionMultimap::Slot& PositionMultimap::slotFor(std::uint32_t tag) const noexcept {
    const std::size_t mask = m_slotCount - 1;
    std::size_t i = home(tag);
    while (m_slots[i].data != kEmpty && (m_slots[i].tag & ~kMarks) != tag) i = (i + 1) & mask;
    return m_slots[i];
}

PositionMultimap::Slot& PositionMultimap::slotFor(std::uint32_t tag) noexcept {
    return const_cast<Slot&>(std::as_const(*this).slotFor(tag));
}

PositionMultimap::Filed PositionMultimap::insert(std::uint64_t hash, std::uint32_t position,
                                                 std::uint8_t tag, TagOf firstTag,
                                                 const void* state,
                                                 std::uint32_t (&evicted)[kCap]) noexcept {
    Slot& slot = slotFor(tagOf(hash));
    if (slot.data == kEmpty) {
        slot = Slot{tagOf(hash), position + 1};
        ++m_used;
        return {false, 0, false};
    }
    if ((slot.tag & kCrowdedTag) != 0) return {true, 0, (slot.tag & kBranchedTag) != 0};
    return addToList(slot, position, tag, firstTag, state, evicted);
}

bool PositionMultimap::markBranched(std::uint64_t hash) noexcept {
    if (m_used == 0) return false;
    Slot& slot = slotFor(tagOf(hash));
    if ((slot.tag & kCrowdedTag) == 0) return false;
    slot.tag |= kBranchedTag;
    return true;
}

PositionMultimap::Filed PositionMultimap::addToList(Slot& slot, std::uint32_t position,
                                                    std::uint8_t tag, TagOf firstTag,
                                                    const void* state,
                                                    std::uint32_t (&evicted)[kCap]) noexcept {
    PositionLists& lists = *m_lists;
    if ((slot.data & kListFlag) == 0) {
        const std::uint32_t first = slot.data - 1;
        const std::uint32_t bucket = lists.allocate(classFor(2));
        lists[bucket] = 2;
        lists[bucket + 1] = first;
        lists[bucket + 2] = position;
        std::uint8_t* tags = tagsOf(lists, bucket, classFor(2));
        tags[0] = firstTag(state, first);
        tags[1] = tag;
        slot.data = kListFlag | bucket;
        return {false, 0, false};
    }
    std::uint32_t bucket = slot.data & ~kListFlag;
    const std::uint32_t count = lists[bucket];
    if (count == kCap) {
        // Such a key is never looked through again, so its positions are handed back and let go.
        for (std::uint32_t i = 0; i < kCap; ++i) evicted[i] = lists[bucket + 1 + i];
        lists.release(bucket, classFor(kCap));
        slot.tag |= kCrowdedTag;
        slot.data = evicted[0] + 1;
        return {true, kCap, false};
    }
    const unsigned sizeClass = classFor(count);
    if (count == kListRoom[sizeClass]) {  // the bucket is full
        const unsigned biggerClass = sizeClass + 1;
        const std::uint32_t bigger = lists.allocate(biggerClass);
        for (std::uint32_t i = 0; i <= count; ++i) lists[bigger + i] = lists[bucket + i];
        std::copy_n(tagsOf(lists, bucket, sizeClass), count, tagsOf(lists, bigger, biggerClass));
        lists.release(bucket, sizeClass);
        bucket = bigger;
        slot.data = kListFlag | bucket;
    }
    lists[bucket + 1 + count] = position;
    tagsOf(lists, bucket, classFor(count + 1))[count] = tag;
    lists[bucket] = count + 1;
    return {false, 0, false};
}

void PositionMultimap::clear() {
    *this = PositionMultimap(*m_lists);
}

std::size_t PositionMultimap::memoryBytes() const {
    return m_slotCount * sizeof(Slot);
}

}  // namespace seen_text_detail

}  // namespace corvell

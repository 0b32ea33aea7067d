#include "position_multimap.h"

#include <algorithm>
#include <bit>
#include <new>
#include <utility>

namespace corvell {

namespace seen_text_detail {

namespace {
constexpr std::uint32_t kNoBucket = 0xFFFFFFFFu;
constexpr std::size_t kMinSlots = 16;
}  // namespace

RandomAccessBlock<PositionMultimap::Slot> PositionMultimap::makeSlots(std::size_t count) {
    auto block = allocateRandomAccessBlock<Slot>(count);
    Slot* slots = block.get();
    std::fill_n(slots, count, Slot{0, 0, 0});
    return block;
}

PositionMultimap::Candidates PositionMultimap::find(std::uint64_t hash) const {
    if (used_ == 0) {
        return {nullptr, 0, false};
    }
    const std::size_t mask = slotCount_ - 1;
    for (std::size_t i = home(hash);; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.count == 0) {
            return {nullptr, 0, false};
        }
        if (slot.hash == hash) {
            if (slot.count > kCap) {
                return {nullptr, 0, true};
            }
            return {slot.count == 1 ? &slot.data : &pool_[slot.data], slot.count, false};
        }
    }
}

void PositionMultimap::prefetch(std::uint64_t hash) const {
    if (slotCount_ != 0) {
        __builtin_prefetch(&slots_[home(hash)], 1);
    }
}

void PositionMultimap::reserve(std::size_t inserts) {
    // Growing the pool first is harmless if the table then fails to grow.
    const std::size_t poolNeed = std::size_t{poolTop_} + inserts * kCap;
    if (poolNeed > pool_.size()) {
        if (poolNeed >= kNoBucket) {
            throw std::length_error("SeenText: index full");
        }
        pool_.resize(std::max(poolNeed, 2 * pool_.size()));
    }
    const std::size_t keys = used_ + inserts;
    if (2 * keys > slotCount_) {
        rehash(std::max(kMinSlots, std::bit_ceil(2 * keys)));
    }
}

// Slots are homed by the hash's top bits, so walking the old table in order fills the new one
// almost front to back: growth streams through memory instead of jumping around it.
void PositionMultimap::rehash(std::size_t slotCount) {
    auto old = makeSlots(slotCount);
    old.swap(slots_);
    const std::size_t oldCount = std::exchange(slotCount_, slotCount);
    shift_ = 64 - static_cast<unsigned>(std::countr_zero(slotCount));
    for (std::size_t i = 0; i < oldCount; ++i) {
        if (old[i].count != 0) {
            slotFor(old[i].hash) = old[i];
        }
    }
}

PositionMultimap::Slot& PositionMultimap::slotFor(std::uint64_t hash) noexcept {
    const std::size_t mask = slotCount_ - 1;
    std::size_t i = home(hash);
    while (slots_[i].count != 0 && slots_[i].hash != hash) {
        i = (i + 1) & mask;
    }
    return slots_[i];
}

void PositionMultimap::insert(std::uint64_t hash, std::uint32_t position) noexcept {
    Slot& slot = slotFor(hash);
    const std::uint32_t count = slot.count;
    if (count == 0) {
        slot = Slot{hash, 1, position};
        ++used_;
        return;
    }
    if (count > kCap) {
        return;
    }
    if (count == kCap) {
        // Such a key is never looked through again, so its positions are let go.
        releaseBucket(slot.data, std::countr_zero(kCap));
        slot.count = kCap + 1;
        return;
    }
    if (count == 1) {
        const std::uint32_t bucket = allocateBucket(1);
        pool_[bucket] = slot.data;
        slot.data = bucket;
    } else if (std::has_single_bit(count)) {
        const unsigned sizeClass = static_cast<unsigned>(std::countr_zero(count));
        const std::uint32_t bucket = allocateBucket(sizeClass + 1);
        std::copy_n(&pool_[slot.data], count, &pool_[bucket]);
        releaseBucket(slot.data, sizeClass);
        slot.data = bucket;
    }
    pool_[slot.data + count] = position;
    slot.count = count + 1;
}

std::uint32_t PositionMultimap::allocateBucket(unsigned sizeClass) noexcept {
    std::uint32_t bucket = freeBuckets_[sizeClass];
    if (bucket != 0) {
        --bucket;  // free-list links are stored plus one, so zero-filled storage means "none"
        freeBuckets_[sizeClass] = pool_[bucket];
        return bucket;
    }
    bucket = poolTop_;
    poolTop_ += 1u << sizeClass;
    return bucket;
}

void PositionMultimap::releaseBucket(std::uint32_t bucket, unsigned sizeClass) noexcept {
    pool_[bucket] = freeBuckets_[sizeClass];
    freeBuckets_[sizeClass] = bucket + 1;
}

void PositionMultimap::clear() {
    slots_.reset();
    slotCount_ = 0;
    std::vector<std::uint32_t>().swap(pool_);
    used_ = 0;
    shift_ = 64;
    poolTop_ = 0;
    freeBuckets_.fill(0);
}

std::size_t PositionMultimap::memoryBytes() const {
    return slotCount_ * sizeof(Slot) + pool_.capacity() * sizeof(std::uint32_t);
}

}  // namespace seen_text_detail

}  // namespace corvell

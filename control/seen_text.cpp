#include "seen_text.h"

#include <algorithm>
#include <bit>
#include <new>
#include <stdexcept>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace corvell {

namespace seen_text_detail {

namespace {
constexpr std::uint32_t kNoBucket = 0xFFFFFFFFu;
constexpr std::size_t kMinSlots = 16;
// Large tables are aligned to and advised as huge pages: lookups land anywhere in them, and a
// doubling would otherwise fault in (and the lookups miss the translation cache for) thousands of
// small pages.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

void PositionMultimap::SlotsFree::operator()(Slot* slots) const {
    ::operator delete (slots, std::align_val_t{alignment});
}

std::unique_ptr<PositionMultimap::Slot[], PositionMultimap::SlotsFree> PositionMultimap::makeSlots(
    std::size_t count) {
    const std::size_t bytes = count * sizeof(Slot);
    const std::size_t alignment = bytes >= kHugePage ? kHugePage : 64;
    void* raw = ::operator new (bytes, std::align_val_t{alignment});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (alignment == kHugePage) {
        ::madvise(raw, bytes, MADV_HUGEPAGE);  // advice only; failure just costs speed
    }
#endif
    auto* slots = static_cast<Slot*>(raw);
    std::fill_n(slots, count, Slot{0, 0, 0});
    return std::unique_ptr<Slot[], SlotsFree>(slots, SlotsFree{alignment});
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

namespace {
// Positions are stored in 32 bits and the fallback automaton needs two states per unit.
constexpr std::size_t kMaxText = 0x7FFFFFFE;
// Long pieces are taken in steps whose room is claimed up front, so running out of memory keeps
// a consistent leading part of the piece.
constexpr std::size_t kChunk = 4096;

std::uint64_t mixBits(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}
}  // namespace

SeenText::SeenText() = default;

void SeenText::reset(std::u16string_view initial) {
    std::u16string().swap(text_);
    for (auto& index : index_) {
        index.clear();
    }
    pendingCount_ = 0;
    automaton_.reset();
    fallbacks_ = 0;
    append(initial);
}

void SeenText::append(std::u16string_view piece) {
    if (piece.size() > kMaxText - size()) {
        throw std::length_error("SeenText: text too long");
    }
    for (std::size_t at = 0; at < piece.size(); at += kChunk) {
        appendChunk(piece.substr(at, kChunk));
    }
}

void SeenText::appendChunk(std::u16string_view chunk) {
    const std::size_t newAts =
        static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), u'@'));
    for (auto& index : index_) {
        index.reserve(pendingCount_ + newAts);
    }
    const std::size_t oldSize = text_.size();
    text_.reserve(oldSize + chunk.size());
    text_.append(chunk);

    // Nothing below allocates.
    const std::size_t stillPending = pendingCount_;
    pendingCount_ = 0;
    for (std::size_t i = 0; i < stillPending; ++i) {
        indexAt(pending_[i], oldSize);
    }
    for (std::size_t at = oldSize; newAts != 0 && at < text_.size(); ++at) {
        if (text_[at] == u'@') {
            indexAt(at, oldSize);
        }
    }
}

// Files the '@' at `at` under every resolution whose context became complete since the text had
// `oldSize` units; keeps it pending while some context is still incomplete.
void SeenText::indexAt(std::size_t at, std::size_t oldSize) noexcept {
    const std::u16string_view text(text_);
    std::array<std::uint64_t, kResolutions.size()> hashes{};
    std::array<bool, kResolutions.size()> due{};
    for (std::size_t r = 0; r < kResolutions.size(); ++r) {
        const auto [left, right] = kResolutions[r];
        const std::size_t end = at + 1 + right;
        due[r] = at >= left && end <= text.size() && (at < oldSize ? end > oldSize : true);
        if (due[r]) {
            hashes[r] = keyHash(r, text.substr(at - left, left), text.substr(at + 1, right));
            index_[r].prefetch(hashes[r]);  // the lookups below then overlap
        }
    }
    for (std::size_t r = 0; r < kResolutions.size(); ++r) {
        if (due[r]) {
            index_[r].insert(hashes[r], static_cast<std::uint32_t>(at));
        }
    }
    if (at + 1 + kMaxRight > text.size()) {
        pending_[pendingCount_++] = static_cast<std::uint32_t>(at);
    }
}

std::uint64_t SeenText::keyHash(std::size_t resolution, std::u16string_view left,
                                std::u16string_view right) {
    std::uint64_t h = resolution + 1;
    for (char16_t c : left) {
        h = (h ^ c) * 0x9E3779B97F4A7C15ull;
    }
    for (char16_t c : right) {
        h = (h ^ c) * 0x9E3779B97F4A7C15ull;
    }
    return mixBits(h);
}

// Every '@' of the text with enough context on both sides is filed under the resolution that
// fits the needle, so an occurrence is always among the candidates: when none matches, the
// needle does not occur.
bool SeenText::contains(std::u16string_view needle) const {
    if (needle.empty()) {
        return true;
    }
    if (needle.size() > text_.size()) {
        return false;
    }
    const std::size_t at = needle.find(u'@');
    const int r = at == needle.npos ? -1 : resolutionFor(at, needle.size() - at - 1);
    if (r < 0) {
        return containsExactly(needle);
    }
    const auto [left, right] = kResolutions[r];
    const auto found =
        index_[r].find(keyHash(r, needle.substr(at - left, left), needle.substr(at + 1, right)));
    if (found.tooMany) {
        return containsExactly(needle);
    }
    for (std::uint32_t i = 0; found.count > 1 && i < found.count; ++i) {
        __builtin_prefetch(text_.data() + found.positions[i] -
                           std::min<std::size_t>(at, found.positions[i]));
    }
    for (std::uint32_t i = 0; i < found.count; ++i) {
        if (occursAt(needle, at, found.positions[i])) {
            return true;
        }
    }
    return false;
}

int SeenText::resolutionFor(std::size_t leftSize, std::size_t rightSize) const {
    for (int r = static_cast<int>(kResolutions.size()) - 1; r >= 0; --r) {
        if (kResolutions[r].left <= leftSize && kResolutions[r].right <= rightSize) {
            return r;
        }
    }
    return -1;
}

bool SeenText::occursAt(std::u16string_view needle, std::size_t leftSize, std::size_t at) const {
    return at >= leftSize && at - leftSize + needle.size() <= text_.size() &&
           std::u16string_view(text_).substr(at - leftSize, needle.size()) == needle;
}

bool SeenText::containsExactly(std::u16string_view needle) const {
    ++fallbacks_;
    try {
        if (!automaton_) {
            automaton_ = std::make_unique<SuffixAutomaton>();
        }
        // Catching up only now keeps the automaton's total work linear in the text, and nothing
        // at all for a record that never needs it.
        for (std::size_t i = automaton_->size(); i < text_.size(); ++i) {
            automaton_->extend(text_[i]);
        }
        return automaton_->contains(needle);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // Out of memory for the automaton (it still knows a prefix of the text): a direct search
    // gives the same answer, only slower.
    return std::u16string_view(text_).find(needle) != std::u16string_view::npos;
}

std::size_t SeenText::size() const {
    return text_.size();
}

std::size_t SeenText::memoryBytes() const {
    std::size_t bytes = sizeof(*this) + text_.capacity() * sizeof(char16_t);
    for (const auto& index : index_) {
        bytes += index.memoryBytes();
    }
    return bytes + (automaton_ ? automaton_->memoryBytes() : 0);
}

}  // namespace corvell

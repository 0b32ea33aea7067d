#include "seen_text.h"

#include <algorithm>
#include <bit>
#include <new>
#include <stdexcept>
#include <utility>

namespace corvell {

namespace {
// Positions are stored in 32 bits and the fallback automaton needs two states per unit.
constexpr std::size_t kMaxText = 0x7FFFFFFE;
// Long pieces are taken in steps whose room is claimed up front, so running out of memory keeps
// a consistent leading part of the piece.
constexpr std::size_t kChunk = 4096;
// The piece index serves repeated addresses; longer pieces are left to the other indices.
constexpr std::size_t kMaxIndexedPiece = 1024;

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
    pieces_.clear();
    pendingCount_ = 0;
    automaton_.reset();
    fallbacks_ = 0;
    scannedUnits_ = 0;
    append(initial);
}

void SeenText::append(std::u16string_view piece) {
    if (piece.size() > kMaxText - size()) {
        throw std::length_error("SeenText: text too long");
    }
    if (!piece.empty() && piece.size() <= kMaxIndexedPiece) {
        pieces_.reserve(1);
        pieces_.insert(keyHash(kResolutions.size(), piece, {}),
                       static_cast<std::uint32_t>(text_.size()));
    }
    for (std::size_t at = 0; at < piece.size(); at += kChunk) {
        appendChunk(piece.substr(at, kChunk));
    }
}

bool SeenText::isWholePiece(std::u16string_view needle) const {
    if (needle.size() > kMaxIndexedPiece) {
        return false;
    }
    const auto found = pieces_.find(keyHash(kResolutions.size(), needle, {}));
    for (std::uint32_t i = 0; i < found.count; ++i) {
        if (occursAt(needle, 0, found.positions[i])) {
            return true;
        }
    }
    return false;
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
        return isWholePiece(needle) || containsExactly(needle);
    }
    const auto [left, right] = kResolutions[r];
    const auto found =
        index_[r].find(keyHash(r, needle.substr(at - left, left), needle.substr(at + 1, right)));
    if (found.tooMany) {
        // A crowded key: a repeated address is still found cheaply as a whole piece.
        return isWholePiece(needle) || containsExactly(needle);
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
    const std::u16string_view text(text_);
    // A few fallbacks in a whole harvest are cheaper as direct searches than building the
    // automaton; the searches may read the text kScanBudget times over before the automaton is
    // built, so the total work stays linear however many fallbacks come.
    if (!automaton_ && scannedUnits_ + text.size() <= kScanBudget * text.size()) {
        scannedUnits_ += text.size();
        return text.find(needle) != text.npos;
    }
    try {
        if (!automaton_) {
            automaton_ = std::make_unique<SuffixAutomaton>();
        }
        // Catching up only now keeps the automaton's total work linear in the text, and nothing
        // at all for a record that never needs it.
        for (std::size_t i = automaton_->size(); i < text.size(); ++i) {
            automaton_->extend(text[i]);
        }
        return automaton_->contains(needle);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // Out of memory for the automaton (it still knows a prefix of the text): a direct search
    // gives the same answer, only slower.
    return text.find(needle) != text.npos;
}

std::size_t SeenText::size() const {
    return text_.size();
}

std::size_t SeenText::memoryBytes() const {
    std::size_t bytes = sizeof(*this) + text_.capacity() * sizeof(char16_t);
    for (const auto& index : index_) {
        bytes += index.memoryBytes();
    }
    bytes += pieces_.memoryBytes();
    return bytes + (automaton_ ? automaton_->memoryBytes() : 0);
}

}  // namespace corvell

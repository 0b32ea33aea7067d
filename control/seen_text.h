#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "position_multimap.h"
#include "suffix_automaton.h"

namespace corvell {

// The record of cleaned addresses a Sievan has produced since its last reset: a growing text
// with a literal substring-containment query. Every code unit (0 to 0xFFFF, including '*', '?',
// '#', '[' and 0) matches only itself.
//
// The text is kept as it is. Needles shaped like addresses (an '@' with text on both sides) are
// looked up in an index of the text's '@'s keyed by a few units on either side, then checked
// against the text: a step costs a few cache misses however long the text is. Where that key is
// too common, a needle that repeats a whole appended piece (a repeated address, the commonest
// case in real text) is found through an index of the pieces. All other needles are answered by
// a direct search of the text while such searches have read the text no more than a few times
// over, and after that by an exact suffix automaton, built then and brought up to date only when
// needed again. Memory grows linearly with the text.
//
// The text is limited to 2^31 - 2 code units (index width); a longer append throws
// std::length_error before changing anything. If memory runs out during append(), the text keeps
// a leading part of the piece and the index stays consistent with it. contains() never throws
// for lack of memory (it then searches the text directly). contains() updates lazily built state,
// so even const use must not be concurrent.
class SeenText {
public:
    SeenText();                                       // empty text
    void reset(std::u16string_view initial);          // forget everything; text := initial
    void append(std::u16string_view piece);           // text := text + piece
    bool contains(std::u16string_view needle) const;  // needle occurs in text (empty needle: true)
    std::size_t size() const;                         // code units in the text
    std::size_t memoryBytes() const;                  // bytes held by the text and its indices

    // Diagnostics: whether the exact fallback exists, and how many contains() calls since the
    // last reset needed it.
    bool exactIndexBuilt() const { return automaton_ != nullptr; }
    std::size_t fallbackQueries() const { return fallbacks_; }

private:
    // Units of left and right context a key covers, coarse to fine; the finest that fits the
    // needle is used. The fine ones tell apart addresses that share a common domain start
    // ("example-", "mail.") and a local part ending; the coarse ones serve short needles.
    struct Resolution {
        std::size_t left;
        std::size_t right;
    };
    static constexpr std::array<Resolution, 4> kResolutions{{{1, 2}, {2, 5}, {4, 8}, {8, 12}}};
    static constexpr std::size_t kMaxRight = 12;

    static std::uint64_t keyHash(std::size_t resolution, std::u16string_view left,
                                 std::u16string_view right);
    void appendChunk(std::u16string_view chunk);
    void indexAt(std::size_t at, std::size_t oldSize) noexcept;
    int resolutionFor(std::size_t leftSize, std::size_t rightSize) const;
    bool occursAt(std::u16string_view needle, std::size_t leftSize, std::size_t at) const;
    bool containsExactly(std::u16string_view needle) const;
    bool isWholePiece(std::u16string_view needle) const;

    std::u16string text_;
    std::array<seen_text_detail::PositionMultimap, kResolutions.size()> index_;
    // Start positions of the appended pieces, by a hash of the whole piece.
    seen_text_detail::PositionMultimap pieces_;
    // The '@'s whose right context is not complete at every resolution yet.
    std::array<std::uint32_t, kMaxRight> pending_{};
    std::size_t pendingCount_ = 0;
    mutable std::unique_ptr<SuffixAutomaton> automaton_;  // knows a prefix of text_
    mutable std::size_t fallbacks_ = 0;
    // Units read by direct searches standing in for the automaton; see containsExactly().
    static constexpr std::size_t kScanBudget = 4;
    mutable std::size_t scannedUnits_ = 0;
};

}  // namespace corvell

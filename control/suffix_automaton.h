#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "bucket_pool.h"

namespace corvell {

// Exact substring index of a growing text: its suffix automaton over UTF-16 code units.
// contains() costs time proportional to the needle's length whatever the text's size, extend()
// amortized constant time per code unit, and memory grows linearly with the text (a few dozen
// bytes per unit). Every code unit (0 to 0xFFFF) matches only itself.
//
// The text is limited to 2^31 - 2 code units (two states per unit must fit the 32-bit index
// width); the caller enforces that. extend() either succeeds or throws (std::bad_alloc,
// std::length_error) with the automaton of the previous text intact.
class SuffixAutomaton {
public:
    SuffixAutomaton();                                // automaton of the empty text
    void clear();                                     // back to the empty text
    void extend(char16_t c);                          // text := text + c
    bool contains(std::u16string_view needle) const;  // needle occurs in text (empty needle: true)
    std::size_t size() const;                         // code units in the text
    std::size_t memoryBytes() const;                  // bytes held

private:
    // One automaton state. Most states have at most one outgoing transition, so the first one is
    // kept in the state itself; further ones sit side by side in a bucket of the slot arena.
    struct State {
        std::uint32_t len;     // length of the longest string this state stands for
        std::uint32_t link;    // suffix link; kNone for the root
        std::uint32_t target;  // target of the first transition; 0 (the root) when there is none
        std::uint32_t bucket;  // first slot of the further transitions
        char16_t label;        // label of the first transition
        std::uint16_t extra;   // number of further transitions
    };
    // A further transition: label in the high half, target in the low half. A bucket holds a
    // power-of-two number of slots and starts at a multiple of that number.
    using Slot = std::uint64_t;
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    static constexpr unsigned kBucketClasses = 17;  // 1 to 65536 slots

    std::uint32_t step(std::uint32_t state, char16_t c) const;
    bool redirect(std::uint32_t state, char16_t c, std::uint32_t from, std::uint32_t to) noexcept;
    void addTransition(std::uint32_t state, char16_t c, std::uint32_t target) noexcept;
    std::uint32_t cloneState(std::uint32_t source, std::uint32_t len) noexcept;

    BlockPool<State> states_;
    BucketPool<Slot, kBucketClasses> slots_;
    // The root is reached from everywhere and has the widest fan-out, so its transitions are a
    // direct table indexed by code unit (0 = no transition; no transition ever leads to the root).
    std::unique_ptr<std::uint32_t[]> rootTable_;
    std::uint32_t last_ = 0;            // state of the whole text
    std::vector<std::uint32_t> chain_;  // scratch for extend(): states gaining a transition
};

}  // namespace corvell

// Hashing of short texts for the in-memory tables of the control and the program: one step per
// character, then one finishing mix, so texts stored in different widths hash alike as long as
// their character values are equal.
#pragma once

#include <cstdint>

namespace com {

// The start value of a text hash.
inline constexpr std::uint64_t kHashStart = 0xcbf29ce484222325ull;

// Takes one character value into a running hash (multiplicative, like FNV-1a on whole
// characters): cheap, but its high bits depend on every character seen, its low bits not yet.
constexpr std::uint64_t hashStep(std::uint64_t h, std::uint32_t character) {
    return (h ^ character) * 0x100000001b3ull;
}

// Spreads every bit of `h` over the whole word (the 64-bit finaliser of MurmurHash3), so a table
// may take its slot from any bits, high or low.
constexpr std::uint64_t mixBits(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 33);
}

}  // namespace com

// Hashing of short texts for the in-memory tables of the control and the program: one step per
// character, then one finishing mix, so texts stored in different widths hash alike as long as
// their character values are equal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Hashes a whole text eight bytes a step, starting from `seed`, and spreads the result like
// mixBits(): for texts looked up whole, where a step per character would cost too much.
inline std::uint64_t hashBytes(const void* data, std::size_t size, std::uint64_t seed) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t h = mixBits(seed ^ size);
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    // The last bytes in one word, read in pieces of fixed size (a copy of a size only known now
    // would be a library call): the text's last eight bytes, some of them taken already, or for
    // a shorter text its first and last four, or its first, middle and last byte.
    std::uint64_t tail = 0;
    if (i < size) {
        if (size >= 8) {
            std::memcpy(&tail, bytes + size - 8, 8);
        } else if (size >= 4) {
            std::uint32_t first = 0, last = 0;
            std::memcpy(&first, bytes, 4);
            std::memcpy(&last, bytes + size - 4, 4);
            tail = first | std::uint64_t(last) << 32;
        } else {
            tail = bytes[0] | std::uint64_t(bytes[size / 2]) << 8 |
                   std::uint64_t(bytes[size - 1]) << 16;
        }
    }
    return mixBits((h ^ tail) * kMultiplier);
}

}  // namespace com

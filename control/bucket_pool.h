// Storage for the control's large lookup structures: an append-only array in large fixed-size
// blocks, and on top of it lists kept in power-of-two buckets that can be freed and reused.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "random_access_block.h"

namespace corvell {

// Append-only array of trivially copyable records kept in large fixed-size blocks, so growth
// never moves what is stored (no copy spikes, little slack; only a lone first block doubles) and
// room can be claimed before a change that must not fail half-way. Indices are 32 bits wide.
template <class T>
class BlockPool {
public:
    static constexpr unsigned kShift = 19;
    static constexpr std::uint32_t kBlock = 1u << kShift;

    T& operator[](std::uint32_t i) { return m_blocks[i >> kShift].get()[i & (kBlock - 1)]; }
    const T& operator[](std::uint32_t i) const {
        return m_blocks[i >> kShift].get()[i & (kBlock - 1)];
    }
    std::uint32_t size() const { return m_size; }
    std::uint64_t capacity() const { return m_capacity; }

    // Makes room for `extra` more records; throws (std::bad_alloc, std::length_error) with
    // nothing changed if that is impossible.
    void reserve(std::uint64_t extra) {
        const std::uint64_t need = std::uint64_t{m_size} + extra;
        if (need <= m_capacity) return;
        if (need >= kIndexLimit) throw std::length_error("BlockPool: index full");
        while (m_capacity < need) {
            if (m_blocks.empty()) {
                addBlock(kFirstBlock);
            } else if (m_capacity < kBlock) {
                // The lone first block doubles; the copy is complete before the old block goes.
                auto bigger = allocateRandomAccessBlock<T>(2 * m_capacity);
                std::memcpy(bigger.get(), m_blocks[0].get(), m_size * sizeof(T));
                m_blocks[0] = std::move(bigger);
                m_capacity *= 2;
            } else {
                addBlock(kBlock);
            }
        }
    }
    // Appends one record, or `count` unset ones; room must have been reserved.
    std::uint32_t push(const T& value) noexcept {
        (*this)[m_size] = value;
        return m_size++;
    }
    void advance(std::uint32_t count) noexcept { m_size += count; }
    std::size_t memoryBytes() const {
        return m_capacity * sizeof(T) + m_blocks.capacity() * sizeof(m_blocks[0]);
    }

private:
    // A lone first block starts small, so a structure of a few entries does not pay for a block.
    static constexpr std::size_t kFirstBlock = 1024;
    static constexpr std::uint64_t kIndexLimit = 0xFFFFFFFFu;

    void addBlock(std::size_t records) {
        m_blocks.reserve(m_blocks.size() + 1);
        m_blocks.push_back(allocateRandomAccessBlock<T>(records));
        m_capacity += records;
    }

    std::vector<RandomAccessBlock<T>> m_blocks;
    std::uint32_t m_size = 0;
    std::uint64_t m_capacity = 0;
};

// Lists of words in buckets of 2^c words (c below kClasses), each bucket aligned to its size so
// none straddles a block. A freed bucket is joined with its freed twin (the other half of the
// bucket twice its size) into that bucket, as far as they go; a freed bucket serves a later list
// of its size, or is split for a smaller one. So lists that grow through the sizes, or let go of
// their buckets, leave room that later lists of any size take up before the pool grows.
//
// A freed bucket of two words or more is linked into its size's free list both ways, by its
// first two words, and marked in that size's map; a freed single word only by its first word.
template <class Word, unsigned kClasses>
class BucketPool {
    static_assert(sizeof(Word) >= sizeof(std::uint32_t));

public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    BucketPool() { m_free.fill(kNone); }

    Word& operator[](std::uint32_t i) { return m_words[i]; }
    const Word& operator[](std::uint32_t i) const { return m_words[i]; }

    // Room for buckets of `words` words in all, counting what alignment may waste: twice that.
    // Throws (std::bad_alloc, std::length_error) with nothing that matters changed.
    void reserve(std::uint64_t words) {
        m_words.reserve(2 * words);
        if (m_mapped == m_words.capacity()) return;
        for (unsigned c = 1; c < kClasses; ++c) {
            m_freeMaps[c].resize(std::size_t((m_words.capacity() >> c) / 64 + 1));
        }
        m_mapped = m_words.capacity();
    }
    // First word of a bucket of 2^sizeClass words; room must have been reserved.
    std::uint32_t allocate(unsigned sizeClass) noexcept {
        for (unsigned c = sizeClass; c < kClasses; ++c) {
            if (m_free[c] == kNone) continue;
            const std::uint32_t bucket = m_free[c];
            unlink(bucket, c);
            // A larger bucket serves with its first part; the rest is freed in aligned halves.
            for (unsigned half = c; half-- > sizeClass;) push(bucket + (1u << half), half);
            return bucket;
        }
        // The gap that alignment leaves goes to the free lists in aligned power-of-two pieces.
        const std::uint32_t size = 1u << sizeClass;
        std::uint32_t top = m_words.size();
        while ((top & (size - 1)) != 0) {
            const std::uint32_t piece = top & (0u - top);
            m_words.advance(piece);
            release(top, static_cast<unsigned>(std::countr_zero(piece)));
            top += piece;
        }
        m_words.advance(size);
        return top;
    }
    void release(std::uint32_t bucket, unsigned sizeClass) noexcept {
        while (sizeClass >= 1 && sizeClass + 1 < kClasses) {
            const std::uint32_t twin = bucket ^ (1u << sizeClass);
            if (!isFree(twin, sizeClass)) break;
            unlink(twin, sizeClass);
            bucket = std::min(bucket, twin);
            ++sizeClass;
        }
        push(bucket, sizeClass);
    }
    std::size_t memoryBytes() const {
        std::size_t bytes = m_words.memoryBytes();
        for (const auto& map : m_freeMaps) bytes += map.capacity() * sizeof(map[0]);
        return bytes;
    }

private:
    bool isFree(std::uint32_t bucket, unsigned sizeClass) const {
        const std::uint64_t bit = bucket >> sizeClass;
        return std::uint64_t{bucket} + (1u << sizeClass) <= m_words.size() &&
               (m_freeMaps[sizeClass][bit / 64] >> (bit % 64) & 1) != 0;
    }
    void mark(std::uint32_t bucket, unsigned sizeClass, bool free) {
        const std::uint64_t bit = bucket >> sizeClass;
        std::uint64_t& word = m_freeMaps[sizeClass][bit / 64];
        word =
            free ? word | std::uint64_t{1} << (bit % 64) : word & ~(std::uint64_t{1} << (bit % 64));
    }
    void push(std::uint32_t bucket, unsigned sizeClass) noexcept {
        const std::uint32_t next = m_free[sizeClass];
        m_words[bucket] = static_cast<Word>(next);
        m_free[sizeClass] = bucket;
        if (sizeClass == 0) return;
        m_words[bucket + 1] = static_cast<Word>(kNone);
        if (next != kNone) m_words[next + 1] = static_cast<Word>(bucket);
        mark(bucket, sizeClass, true);
    }
    // Takes a freed bucket out of its list; a single word only from the front.
    void unlink(std::uint32_t bucket, unsigned sizeClass) noexcept {
        const auto next = static_cast<std::uint32_t>(m_words[bucket]);
        if (sizeClass == 0) {
            m_free[0] = next;
            return;
        }
        const auto previous = static_cast<std::uint32_t>(m_words[bucket + 1]);
        if (previous == kNone) {
            m_free[sizeClass] = next;
        } else {
            m_words[previous] = static_cast<Word>(next);
        }
        if (next != kNone) m_words[next + 1] = static_cast<Word>(previous);
        mark(bucket, sizeClass, false);
    }

    BlockPool<Word> m_words;
    std::array<std::uint32_t, kClasses> m_free;
    // Per size of two words or more: one bit per place such a bucket can start, set while a
    // freed bucket of that size starts there.
    std::array<std::vector<std::uint64_t>, kClasses> m_freeMaps;
    std::uint64_t m_mapped = 0;  // the capacity the maps cover
};

}  // namespace corvell

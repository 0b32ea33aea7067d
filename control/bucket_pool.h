// Storage for the control's large lookup structures: an append-only array in large fixed-size
// blocks, and on top of it lists kept in power-of-two buckets that can be freed and reused.
#pragma once

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
// none straddles a block; freed buckets are reused by later lists of the same size, or split
// for smaller ones. A freed bucket's first word links it into its free list.
template <class Word, unsigned kClasses>
class BucketPool {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    BucketPool() { m_free.fill(kNone); }

    Word& operator[](std::uint32_t i) { return m_words[i]; }
    const Word& operator[](std::uint32_t i) const { return m_words[i]; }

    // Room for buckets of `words` words in all, counting what alignment may waste: twice that.
    void reserve(std::uint64_t words) { m_words.reserve(2 * words); }
    // First word of a bucket of 2^sizeClass words; room must have been reserved.
    std::uint32_t allocate(unsigned sizeClass) noexcept {
        if (m_free[sizeClass] != kNone) return takeFree(sizeClass);
        // Lists that stop growing (or leave) let go of larger buckets than the next lists need:
        // the smallest larger one is split, its first part serves and the rest is freed in
        // aligned halves, so the pool grows only when no freed bucket is large enough.
        for (unsigned larger = sizeClass + 1; larger < kClasses; ++larger) {
            if (m_free[larger] == kNone) continue;
            const std::uint32_t bucket = takeFree(larger);
            for (unsigned half = larger; half-- > sizeClass;) release(bucket + (1u << half), half);
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
        m_words[bucket] = static_cast<Word>(m_free[sizeClass]);
        m_free[sizeClass] = bucket;
    }
    std::size_t memoryBytes() const { return m_words.memoryBytes(); }

private:
    std::uint32_t takeFree(unsigned sizeClass) noexcept {
        const std::uint32_t bucket = m_free[sizeClass];
        m_free[sizeClass] = static_cast<std::uint32_t>(m_words[bucket]);
        return bucket;
    }

    BlockPool<Word> m_words;
    std::array<std::uint32_t, kClasses> m_free;
};

}  // namespace corvell

// A growing text of UTF-16 code units stored one byte per unit while every unit is below 0x100,
// two bytes per unit from the first wider one on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "com/cache_prefetch.h"

namespace corvell {

// One-byte units in one block. A large block is mapped from the system and grows by remapping,
// so a long text never exists twice over while it grows, as it would when copied to a bigger
// block; a small one grows like a vector, through operator new.
class ByteUnits {
public:
    ByteUnits() = default;
    ByteUnits(ByteUnits&& other) noexcept { swap(other); }
    ByteUnits& operator=(ByteUnits&& other) noexcept {
        ByteUnits(std::move(other)).swap(*this);
        return *this;
    }
    ~ByteUnits() { release(); }
    void swap(ByteUnits& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_mapped, other.m_mapped);
    }

    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    const std::uint8_t* data() const { return m_data; }
    std::uint8_t operator[](std::size_t i) const { return m_data[i]; }

    // Room for `extra` more units; throws std::bad_alloc with nothing changed if impossible.
    void reserve(std::size_t extra);
    // Appends the units, each below 0x100; room must have been reserved.
    void append(std::u16string_view units) noexcept;
    void release() noexcept;  // empty, memory given back

private:
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    bool m_mapped = false;  // the block comes from the system's mapping, not from new
};

class CompactText {
public:
    std::size_t size() const { return m_wide ? m_units16.size() : m_units8.size(); }
    bool wide() const { return m_wide; }
    // The units where they stand, valid until the next change: one byte each (narrowUnits(),
    // null once the text is wide) or two (wideUnits(), null while it is not).
    const std::uint8_t* narrowUnits() const { return m_wide ? nullptr : m_units8.data(); }
    const char16_t* wideUnits() const { return m_wide ? m_units16.data() : nullptr; }
    char16_t operator[](std::size_t i) const { return m_wide ? m_units16[i] : m_units8[i]; }

    // text := text + piece. Throws std::bad_alloc with the text unchanged when memory runs out.
    void append(std::u16string_view piece);
    void clear();  // empty, memory released

    // Whether `needle` stands in the text at `at` (at + needle.size() <= size()).
    bool equalsAt(std::size_t at, std::u16string_view needle) const;
    // The first position from `from` on that holds `unit`, or size() if there is none.
    std::size_t find(char16_t unit, std::size_t from) const;
    // Whether `needle` occurs anywhere in the text (a direct search; the empty needle does).
    bool contains(std::u16string_view needle) const;
    // Calls f(unit) for the units [from, to) in order; returns f's final state.
    template <class F>
    F forEach(std::size_t from, std::size_t to, F f) const {
        if (m_wide) {
            for (std::size_t i = from; i < to; ++i) f(m_units16[i]);
        } else {
            for (std::size_t i = from; i < to; ++i) f(char16_t{m_units8[i]});
        }
        return f;
    }
    // Starts fetching the units around `at` (a position below size()) into the cache.
    void prefetch(std::size_t at) const {
        com::prefetchLine(m_wide ? static_cast<const void*>(m_units16.data() + at)
                                 : static_cast<const void*>(m_units8.data() + at));
    }
    std::size_t memoryBytes() const { return m_units8.capacity() + 2 * m_units16.capacity(); }

private:
    void widen(std::size_t extra);

    bool m_wide = false;
    ByteUnits m_units8;
    std::u16string m_units16;
};

}  // namespace corvell

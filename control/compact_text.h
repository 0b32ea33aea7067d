// A growing text of UTF-16 code units stored one byte per unit while every unit is below 0x100,
// two bytes per unit from the first wider one on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvell {

class CompactText {
public:
    std::size_t size() const { return m_wide ? m_units16.size() : m_units8.size(); }
    bool wide() const { return m_wide; }
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
    const void* addressOf(std::size_t i) const {
        return m_wide ? static_cast<const void*>(m_units16.data() + i) : m_units8.data() + i;
    }
    std::size_t memoryBytes() const { return m_units8.capacity() + 2 * m_units16.capacity(); }

private:
    void widen(std::size_t extra);

    bool m_wide = false;
    std::vector<std::uint8_t> m_units8;
    std::u16string m_units16;
};

}  // namespace corvell

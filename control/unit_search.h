// Searches through UTF-16 code units, eight at a time where the processor allows: the record
// looks for the '@' of every address it is given, and for a unit too wide for its one-byte
// text, several times an address.
#pragma once

#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvell {

// The first position from `from` on that holds `unit`; npos if none does.
inline std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from = 0) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
    for (; i + 8 <= text.size(); i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const int found = _mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted));
        if (found != 0) return i + static_cast<std::size_t>(__builtin_ctz(found)) / 2;
    }
#endif
    for (; i < text.size(); ++i) {
        if (text[i] == unit) return i;
    }
    return std::u16string_view::npos;
}

// Whether every unit is below 0x100, so that the text can be held one byte a unit.
inline bool fitsOneByte(std::u16string_view text) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF00));
    __m128i seen = _mm_setzero_si128();
    for (; i + 8 <= text.size(); i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        seen = _mm_or_si128(seen, _mm_and_si128(units, high));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(seen, _mm_setzero_si128())) != 0xFFFF) return false;
#endif
    for (; i < text.size(); ++i) {
        if (text[i] > 0xFF) return false;
    }
    return true;
}

}  // namespace corvell

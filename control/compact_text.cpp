#include "compact_text.h"
#include "unit_search.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvell {

namespace {
// From this size on, the one-byte text is mapped from the system (see ByteUnits).
[[maybe_unused]] constexpr std::size_t kMappedBytes = std::size_t{2} << 20;

// Grows like a vector would, but claims the room first so a failure changes nothing.
template <class Units>
void reserveFor(Units& units, std::size_t extra) {
    const std::size_t need = units.size() + extra;
    if (need > units.capacity()) units.reserve(std::max(need, 2 * units.capacity()));
}
}  // namespace

void ByteUnits::reserve(std::size_t extra) {
    const std::size_t need = m_size + extra;
    if (need <= m_capacity) return;
    const std::size_t capacity = std::max(need, 2 * m_capacity);
#if defined(__linux__)
    if (m_mapped) {
        void* grown = ::mremap(m_data, m_capacity, capacity, MREMAP_MAYMOVE);
        if (grown == MAP_FAILED) throw std::bad_alloc();
        m_data = static_cast<std::uint8_t*>(grown);
        m_capacity = capacity;
        return;
    }
    if (capacity >= kMappedBytes) {
        void* mapped =
            ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) throw std::bad_alloc();
        if (m_size != 0) std::memcpy(mapped, m_data, m_size);
        ::operator delete(m_data);
        m_data = static_cast<std::uint8_t*>(mapped);
        m_capacity = capacity;
        m_mapped = true;
        return;
    }
#endif
    auto* bigger = static_cast<std::uint8_t*>(::operator new(capacity));
    if (m_size != 0) std::memcpy(bigger, m_data, m_size);
    ::operator delete(m_data);
    m_data = bigger;
    m_capacity = capacity;
}

void ByteUnits::append(std::u16string_view units) noexcept {
    // Through a local pointer: the bytes written cannot then alias m_size, and the loop narrows
    // many units a step.
    std::uint8_t* to = m_data + m_size;
    for (std::size_t i = 0; i < units.size(); ++i) to[i] = static_cast<std::uint8_t>(units[i]);
    m_size += units.size();
}

void ByteUnits::release() noexcept {
#if defined(__linux__)
    if (m_mapped) {
        ::munmap(m_data, m_capacity);
    } else {
        ::operator delete(m_data);
    }
#else
    ::operator delete(m_data);
#endif
    m_data = nullptr;
    m_size = m_capacity = 0;
    m_mapped = false;
}

void CompactText::append(std::u16string_view piece) {
    if (!m_wide && !fitsOneByte(piece)) widen(piece.size());
    if (m_wide) {
        reserveFor(m_units16, piece.size());
        m_units16.append(piece);
        return;
    }
    m_units8.reserve(piece.size());
    m_units8.append(piece);
}

// Copies the text into two-byte storage with room for `extra` more units; the one-byte copy goes
// only once the other is complete.
void CompactText::widen(std::size_t extra) {
    std::u16string units;
    units.reserve(m_units8.size() + extra);
    units.assign(m_units8.data(), m_units8.data() + m_units8.size());
    m_units16.swap(units);
    m_units8.release();
    m_wide = true;
}

void CompactText::clear() {
    m_units8.release();
    std::u16string().swap(m_units16);
    m_wide = false;
}

bool CompactText::equalsAt(std::size_t at, std::u16string_view needle) const {
    if (m_wide) return std::u16string_view(m_units16).substr(at, needle.size()) == needle;
    const std::uint8_t* units = m_units8.data() + at;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen units at a time: the text's bytes widened to the needle's two-byte units.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= needle.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        const auto* wanted = reinterpret_cast<const __m128i*>(needle.data() + i);
        const __m128i low =
            _mm_cmpeq_epi16(_mm_unpacklo_epi8(bytes, zero), _mm_loadu_si128(wanted));
        const __m128i high =
            _mm_cmpeq_epi16(_mm_unpackhi_epi8(bytes, zero), _mm_loadu_si128(wanted + 1));
        if (_mm_movemask_epi8(_mm_and_si128(low, high)) != 0xFFFF) return false;
    }
#endif
    for (; i < needle.size(); ++i) {
        if (units[i] != needle[i]) return false;
    }
    return true;
}

std::size_t CompactText::find(char16_t unit, std::size_t from) const {
    if (from >= size()) return size();
    if (m_wide) return std::min(std::u16string_view(m_units16).find(unit, from), size());
    if (unit > 0xFF) return size();
    const void* found = std::memchr(m_units8.data() + from, unit, m_units8.size() - from);
    return found
               ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - m_units8.data())
               : size();
}

bool CompactText::contains(std::u16string_view needle) const {
    if (needle.empty()) return true;
    if (m_wide) return std::u16string_view(m_units16).find(needle) != std::u16string_view::npos;
    // A unit the one-byte text cannot hold occurs nowhere in it.
    if (!fitsOneByte(needle) || needle.size() > m_units8.size()) return false;
    const std::uint8_t* begin = m_units8.data();
    const std::uint8_t* last = begin + (m_units8.size() - needle.size());
    const auto first = static_cast<std::uint8_t>(needle[0]);
    for (const std::uint8_t* at = begin; at <= last; ++at) {
        at = static_cast<const std::uint8_t*>(std::memchr(at, first, last - at + 1));
        if (at == nullptr) return false;
        if (equalsAt(static_cast<std::size_t>(at - begin), needle)) return true;
    }
    return false;
}

}  // namespace corvell

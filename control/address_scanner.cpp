#include "address_scanner.h"
#include "delimiters.h"

#include <array>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvell {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

// Single-unit delimiters; ".." is handled on its own. ';' only counts on the left and '!' only
// on the right. A table, since every unit of a line up to its last '@' is looked up.
enum : unsigned char { Left = 1, Right = 2 };

constexpr std::array<unsigned char, 128> delimiterTable() {
    std::array<unsigned char, 128> table{};
    for (char c : kLeftDelimiters) table[static_cast<unsigned char>(c)] |= Left;
    for (char c : kRightDelimiters) table[static_cast<unsigned char>(c)] |= Right;
    return table;
}

constexpr std::array<unsigned char, 128> delimiters = delimiterTable();

bool isLeftDelimiter(char16_t c) {
    return c < delimiters.size() && (delimiters[c] & Left) != 0;
}

bool isRightDelimiter(char16_t c) {
    return c < delimiters.size() && (delimiters[c] & Right) != 0;
}

// Front phase. While a left delimiter ends before the last '@', the front loses one unit; the last
// '@' itself is never reached, so the front stops one past the start of the last such delimiter.
// Overlapping ".." count separately: in "a...b@" the front stops before the third '.'. The search
// runs backwards from the '@', since the address usually ends a long line.
std::size_t frontAfterLeftDelimiters(std::u16string_view text, std::size_t lastAt) {
    for (std::size_t k = lastAt; k-- > 0;) {
        const bool pairOfStops = text[k] == u'.' && k + 1 < lastAt && text[k + 1] == u'.';
        if (isLeftDelimiter(text[k]) || pairOfStops) {
            return k + 1;
        }
    }
    return 0;
}

// The smallest end index of a right delimiter that starts after `firstAt`; npos when none does.
// Rules 24-44 hold exactly while that delimiter is still inside the text.
std::size_t firstRightDelimiterEnd(std::u16string_view text, std::size_t firstAt) {
    for (std::size_t k = firstAt + 1; k < text.size(); ++k) {
        if (isRightDelimiter(text[k])) {
            return k;
        }
        if (text[k] == u'.' && k + 1 < text.size() && text[k + 1] == u'.') {
            return k + 1;
        }
    }
    return npos;
}

bool isTrimmedAtBack(char16_t last) {
    return last == u'@' || last == u'-' || last == u'.' || last == u';';
}

// Most texts the control is given are already an address: the cleaning would leave them whole.
// One pass over the text tells whether it would, from what the phases look at: no left
// delimiter before the last '@', no right delimiter after the first, no "..", a '.' after the
// first '@', neither end trimmed. Anything else takes the phases themselves. Most units are none
// of those, and one lookup passes them.
enum : unsigned char { At = 4, Stop = 8 };

constexpr std::array<unsigned char, 128> cleanCheckTable() {
    std::array<unsigned char, 128> table = delimiters;
    table[u'@'] |= At;
    table[u'.'] |= Stop;
    return table;
}

constexpr std::array<unsigned char, 128> cleanCheck = cleanCheckTable();

// What the check has seen so far; only units with a kind change it.
class CleanCheck {
public:
    // False when the unit at k already rules the text out.
    bool visit(std::u16string_view text, std::size_t k) {
        const char16_t c = text[k];
        const unsigned char kind = c < cleanCheck.size() ? cleanCheck[c] : 0;
        if (kind == 0) return true;
        if (kind == At) {
            if (m_firstAt == npos) m_firstAt = k;
            m_leftBeforeLastAt = m_seenLeft;
        } else if (kind == Stop) {
            if (k > 0 && text[k - 1] == u'.') return false;
            m_lastStop = k;
        } else {
            m_seenLeft = m_seenLeft || (kind & Left) != 0;
            if ((kind & Right) != 0) m_lastRight = k;
        }
        return true;
    }

    bool clean(std::u16string_view text) const {
        return m_firstAt != npos && m_firstAt > 0 && m_lastStop != npos && m_lastStop > m_firstAt &&
               !m_leftBeforeLastAt && (m_lastRight == npos || m_lastRight < m_firstAt) &&
               !isTrimmedAtBack(text.back());
    }

private:
    std::size_t m_firstAt = npos, m_lastStop = npos, m_lastRight = npos;
    bool m_seenLeft = false;          // a left delimiter so far
    bool m_leftBeforeLastAt = false;  // one before the latest '@'
};

#if defined(__SSE2__)
// Bit i is set where unit i of the eight at `at` may have a kind: anything but a lower-case
// letter, a digit, '-' or '_', which most of an address is made of (the program hands addresses
// over lower-cased).
unsigned mayHaveKind(const char16_t* at) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i zero = _mm_setzero_si128();
    // Below the range's start a unit wraps round to far above its end.
    const auto within = [&](char16_t first, char16_t last) {
        const __m128i offset = _mm_sub_epi16(units, _mm_set1_epi16(short(first)));
        return _mm_cmpeq_epi16(_mm_subs_epu16(offset, _mm_set1_epi16(short(last - first))), zero);
    };
    const __m128i plain =
        _mm_or_si128(_mm_or_si128(within(u'a', u'z'), within(u'0', u'9')),
                     _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(short(u'-'))),
                                  _mm_cmpeq_epi16(units, _mm_set1_epi16(short(u'_')))));
    return ~unsigned(_mm_movemask_epi8(_mm_packs_epi16(plain, zero))) & 0xFFu;
}
#endif

bool isAlreadyClean(std::u16string_view text) {
    CleanCheck check;
    std::size_t k = 0;
#if defined(__SSE2__)
    // Eight units a step; only those that may have a kind are looked up.
    const auto visitEight = [&](std::size_t from, unsigned units) {
        for (; units != 0; units &= units - 1) {
            if (!check.visit(text, from + std::size_t(__builtin_ctz(units)))) return false;
        }
        return true;
    };
    for (; k + 8 <= text.size(); k += 8) {
        if (!visitEight(k, mayHaveKind(text.data() + k))) return false;
    }
    // The last few units as the end of the last eight, leaving out those already seen.
    if (k < text.size() && text.size() >= 8) {
        const std::size_t from = text.size() - 8;
        if (!visitEight(from, mayHaveKind(text.data() + from) & (0xFFu << (k - from)) & 0xFFu))
            return false;
        k = text.size();
    }
#endif
    for (; k < text.size(); ++k) {
        if (!check.visit(text, k)) return false;
    }
    return check.clean(text);
}

}  // namespace

// Both searches run backwards from the end: on a long line the address usually stands near it.
bool hasAddressShape(std::u16string_view text) {
    const std::size_t lastStop = text.rfind(u'.');
    return lastStop != npos && text.substr(0, lastStop).rfind(u'@') != npos;
}

std::u16string_view cleanAddress(std::u16string_view text) {
    if (isAlreadyClean(text)) return text;
    // Trimming at the back never brings a left delimiter rule back, and the shape test only ever
    // turns from true to false as the text shrinks, so the loop is a front phase followed by a
    // back phase, and a lost shape at any point means the empty text.
    std::size_t lastAt = text.rfind(u'@');
    if (lastAt == npos) {
        return {};
    }
    std::size_t front = frontAfterLeftDelimiters(text, lastAt);
    std::u16string_view rest = text.substr(front);
    if (!hasAddressShape(rest) || rest.front() == u'@') {
        // A leading '@' keeps costing the last unit until the shape is gone.
        return {};
    }
    std::size_t firstAt = rest.find(u'@');
    std::size_t rightEnd = firstRightDelimiterEnd(rest, firstAt);
    std::size_t lastStop = rest.rfind(u'.');
    std::size_t end = rest.size();
    for (;;) {
        while (lastStop != npos && (lastStop >= end || rest[lastStop] != u'.')) {
            lastStop = lastStop == 0 ? npos : lastStop - 1;
        }
        if (lastStop == npos || lastStop <= firstAt) {
            return {};
        }
        // With the shape holding, rules 23 and 45-47 reduce to the last unit alone.
        bool delimiterInside = rightEnd != npos && rightEnd < end;
        if (!delimiterInside && !isTrimmedAtBack(rest[end - 1])) {
            return rest.substr(0, end);
        }
        --end;
    }
}

}  // namespace corvell

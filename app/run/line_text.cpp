#include "line_text.h"

#include "platform/text_codec.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace rosterly {

namespace {

#if defined(__SSE2__) || defined(_M_X64)
constexpr qsizetype kBlock = 16;

// Sixteen bytes at a time: whether all are ASCII, and their lower-case UTF-16 form.
bool lowerCasedAsciiBlocks(const char* from, qsizetype blocks, char16_t* to) {
    const __m128i upperA = _mm_set1_epi8(char('A' - 128));
    const __m128i upperZ = _mm_set1_epi8(char('Z' - 128));
    const __m128i flip = _mm_set1_epi8(char(0x80));
    const __m128i caseBit = _mm_set1_epi8(0x20);
    for (qsizetype b = 0; b < blocks; ++b) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + b * kBlock));
        if (_mm_movemask_epi8(bytes) != 0) return false;
        // Signed compares after shifting 'A'..'Z' to the bottom of the signed range.
        const __m128i shifted = _mm_xor_si128(bytes, flip);
        const __m128i notUpper =
            _mm_or_si128(_mm_cmplt_epi8(shifted, upperA), _mm_cmpgt_epi8(shifted, upperZ));
        const __m128i lower = _mm_or_si128(bytes, _mm_andnot_si128(notUpper, caseBit));
        const __m128i zero = _mm_setzero_si128();
        auto* out = reinterpret_cast<__m128i*>(to + b * kBlock);
        _mm_storeu_si128(out, _mm_unpacklo_epi8(lower, zero));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi8(lower, zero));
    }
    return true;
}
#else
constexpr qsizetype kBlock = 1;

bool lowerCasedAsciiBlocks(const char*, qsizetype, char16_t*) {
    return true;
}
#endif

// Bytes one at a time: a line shorter than a block.
bool lowerCasedAsciiTail(const char* from, qsizetype count, char16_t* to) {
    for (qsizetype i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(from[i]);
        if (c >= 0x80) return false;
        to[i] = char16_t(c >= 'A' && c <= 'Z' ? c | 0x20 : c);
    }
    return true;
}

// Folds ASCII `bytes` into `to`, which has room for them; false when a byte is not ASCII.
bool lowerCasedAscii(QByteArrayView bytes, char16_t* to) {
    const qsizetype size = bytes.size();
    const qsizetype blocks = kBlock > 1 ? size / kBlock : 0;
    const qsizetype done = blocks * kBlock;
    if (!lowerCasedAsciiBlocks(bytes.data(), blocks, to)) return false;
    // The bytes after the last whole block as the end of one more block, overlapping the last:
    // folding a byte twice gives what folding it once does.
    if (blocks > 0 && done < size) {
        return lowerCasedAsciiBlocks(bytes.data() + size - kBlock, 1, to + size - kBlock);
    }
    return lowerCasedAsciiTail(bytes.data() + done, size - done, to + done);
}

}  // namespace

// Most lines are plain ASCII: they are folded straight into `out` without decoding.
void appendLowerCasedLine(QByteArrayView bytes, QString& out) {
    const qsizetype start = out.size();
    // QString leaves the new room as it is, where a standard string would clear it first.
    out.resize(start + bytes.size());
    if (lowerCasedAscii(bytes, reinterpret_cast<char16_t*>(out.data()) + start)) return;
    out.truncate(start);
    out.append(decodeBytes(bytes).toLower());
}

}  // namespace rosterly

#include "rtf_writer.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "byte_append.h"

namespace rosterly {
namespace {

constexpr char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
    "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
    "\\pard\\plain\\f0\\fs20 ";

void appendHexByte(QByteArray& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\'";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

// The fallback a reader without \u support shows: the 1252 byte, if any.
void appendFallback(QByteArray& out, QChar c) {
    const ushort unicode = c.unicode();
    if (unicode >= 0xA0 && unicode <= 0xFF) {
        appendHexByte(out, static_cast<unsigned char>(unicode));
        return;
    }
    out += '?';
}

// Each escape gets a group of its own: some readers skip everything up to
// the next blank after a \uN fallback, which would swallow the rest of an
// address otherwise.
void appendUnicode(QByteArray& out, QChar c) {
    // RTF control words take signed 16-bit parameters.
    out += "{\\u";
    out += QByteArray::number(static_cast<qint16>(c.unicode()));
    appendFallback(out, c);
    out += '}';
}

void appendChar(QByteArray& out, QChar c) {
    const ushort unicode = c.unicode();
    if (unicode == '\\' || unicode == '{' || unicode == '}') {
        out += '\\';
        out += static_cast<char>(unicode);
    } else if (unicode == '\t') {
        out += "\\tab ";
    } else if (unicode < 0x20) {
        appendHexByte(out, static_cast<unsigned char>(unicode));
    } else if (unicode < 0x80) {
        out += static_cast<char>(unicode);
    } else {
        appendUnicode(out, c);
    }
}

// Characters that stand for themselves in RTF.
bool isPlain(char16_t c) {
    return c >= 0x20 && c < 0x80 && c != u'\\' && c != u'{' && c != u'}';
}

// Whether every one of `count` bytes is plain, sixteen a step where the processor allows.
bool allPlain(const unsigned char* bytes, qsizetype count) {
    qsizetype i = 0;
#if defined(__SSE2__)
    // Plain is 0x20 to 0x7F but for the three RTF specials: shifted down by 0x20, the plain
    // bytes are the ones that compare below 0x60 as signed bytes, with 0x80 flipped away.
    const __m128i shift = _mm_set1_epi8(char(0x60));  // -0x20, then the sign bit flipped
    const __m128i limit = _mm_set1_epi8(char(0x60 - 0x80));
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    for (; i + 16 <= count; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i inRange = _mm_cmplt_epi8(_mm_add_epi8(chunk, shift), limit);
        const __m128i special =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, backslash),
                         _mm_or_si128(_mm_cmpeq_epi8(chunk, open), _mm_cmpeq_epi8(chunk, close)));
        if (_mm_movemask_epi8(_mm_andnot_si128(special, inRange)) != 0xFFFF) return false;
    }
#endif
    for (; i < count; ++i) {
        if (!isPlain(bytes[i])) return false;
    }
    return true;
}

}  // namespace

QByteArray rtfBegin() {
    return QByteArray(kHeader);
}

namespace {

// The text of appendRtfText(), as UTF-16 units or as ASCII bytes.
template <class Unit>
void appendRtfUnits(QByteArray& out, const Unit* text, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i) {
        // Runs of plain characters, most of a list, are copied in one step.
        qsizetype end = i;
        while (end < size && isPlain(text[end])) ++end;
        if (end > i) {
            const qsizetype at = out.size();
            out.resize(at + (end - i));
            std::copy(text + i, text + end, out.data() + at);
            i = end - 1;
            continue;
        }
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') ++i;
            out += "\\par\r\n";
            continue;
        }
        appendChar(out, QChar(c));
    }
}

}  // namespace

void appendRtfText(QByteArray& out, QStringView text) {
    appendRtfUnits(out, text.utf16(), text.size());
}

bool appendRtfAscii(QByteArray& out, QByteArrayView piece) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    // A list line is mostly plain characters and its CR LF: one look at each byte, one resize.
    const qsizetype size = piece.size();
    if (size >= 2 && bytes[size - 2] == '\r' && bytes[size - 1] == '\n' &&
        allPlain(bytes, size - 2)) {
        static constexpr char kParagraph[] = "\\par\r\n";
        constexpr qsizetype kParagraphSize = sizeof kParagraph - 1;
        const qsizetype at = out.size();
        out.resize(at + size - 2 + kParagraphSize);
        char* to = std::copy(piece.data(), piece.data() + size - 2, out.data() + at);
        std::copy(kParagraph, kParagraph + kParagraphSize, to);
        return true;
    }
    if (std::any_of(bytes, bytes + piece.size(), [](unsigned char b) { return b >= 0x80; })) {
        return false;
    }
    appendRtfUnits(out, bytes, piece.size());
    return true;
}

QByteArray rtfEnd() {
    return QByteArray("}\r\n");
}

QByteArray writeRtf(QStringView text) {
    QByteArray out = rtfBegin();
    out.reserve(out.size() + text.size() + text.size() / 4);
    appendRtfText(out, text);
    out += rtfEnd();
    return out;
}

}  // namespace rosterly

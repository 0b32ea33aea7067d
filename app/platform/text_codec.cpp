#include "text_codec.h"

#include <array>

namespace rosterly {
namespace {

// Windows-1252 for 0x80..0x9F; the rest of the high half equals Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t fromCp1252(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
    return byte;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence starting at bytes[at], or 0 when
// the bytes there are not one (overlong forms, surrogates and code points
// beyond U+10FFFF included). *codePoint receives the decoded value.
int utf8SequenceAt(QByteArrayView bytes, qsizetype at, char32_t* codePoint) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if (!isContinuation(next)) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return length;
}

}  // namespace

QString decodeBytes(QByteArrayView bytes) {
    // Every byte gives at most one UTF-16 unit and every UTF-8 sequence at most one unit per
    // byte, so the text never needs more units than there are bytes.
    QString text(bytes.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype written = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        char32_t codePoint = 0;
        const int length = byte < 0x80 ? 0 : utf8SequenceAt(bytes, at, &codePoint);
        if (length == 0) {
            out[written++] = byte < 0x80 ? char16_t(byte) : fromCp1252(byte);
            ++at;
        } else if (codePoint < 0x10000) {
            out[written++] = char16_t(codePoint);
            at += length;
        } else {
            out[written++] = char16_t(0xD800 + ((codePoint - 0x10000) >> 10));
            out[written++] = char16_t(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
            at += length;
        }
    }
    text.truncate(written);
    return text;
}

QByteArray encodeText(QStringView text) {
    return text.toUtf8();
}

}  // namespace rosterly

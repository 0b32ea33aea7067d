#include "folded_key.h"

#include <QString>

#include <algorithm>

#include "accepted_addresses.h"
#include "platform/case_fold.h"

namespace rosterly {
namespace {

void appendCodeUnit(char16_t unit, std::string& out) {
    if (unit < 0x80) {
        out += char(unit);
    } else if (unit < 0x800) {
        out += char(0xC0 | (unit >> 6));
        out += char(0x80 | (unit & 0x3F));
    } else {
        out += char(0xE0 | (unit >> 12));
        out += char(0x80 | ((unit >> 6) & 0x3F));
        out += char(0x80 | (unit & 0x3F));
    }
}

bool isAscii(QByteArrayView text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    return std::all_of(bytes, bytes + text.size(), [](unsigned char b) { return b < 0x80; });
}

char foldedAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

}  // namespace

void foldedKeyPrefix(QByteArrayView text, unsigned char* prefix, std::size_t size,
                     std::string& scratch) {
    std::fill(prefix, prefix + size, 0);
    if (isAscii(text)) {
        const std::size_t count = std::min(size, std::size_t(text.size()));
        for (std::size_t i = 0; i < count; ++i) prefix[i] = foldedAscii(text[qsizetype(i)]);
        return;
    }
    scratch.clear();
    appendFoldedKey(text, scratch);
    std::copy_n(scratch.begin(), std::min(size, scratch.size()), prefix);
}

void appendFoldedKey(QByteArrayView text, std::string& out) {
    if (isAscii(text)) {
        const size_t from = out.size();
        out.append(text.data(), size_t(text.size()));
        for (size_t i = from; i < out.size(); ++i) out[i] = foldedAscii(out[i]);
        return;
    }
    const QString folded = caseFolded(decodeStored(text));
    for (const QChar c : folded) appendCodeUnit(c.unicode(), out);
}

}  // namespace rosterly

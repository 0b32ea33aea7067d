#include "folded_key.h"

#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstring>

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

// Eight bytes at a time: keys are made of every line of a large list when it is sorted.
bool isAscii(QByteArrayView text) {
    const char* bytes = text.data();
    const auto size = std::size_t(text.size());
    std::uint64_t seen = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        seen |= word;
    }
    for (; i < size; ++i) seen |= static_cast<unsigned char>(bytes[i]);
    return (seen & 0x8080808080808080u) == 0;
}

char foldedAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// foldedAscii() of eight ASCII bytes at once: no byte is above 0x7F, so adding to each carries
// into none of the others, and a byte's top bit tells where it stands against 'A' and 'Z'.
std::uint64_t foldedAsciiWord(std::uint64_t word) {
    const std::uint64_t fromA = word + 0x3F3F3F3F3F3F3F3Fu;  // top bit set from 'A' up
    const std::uint64_t pastZ = word + 0x2525252525252525u;  // top bit set past 'Z'
    const std::uint64_t upper = fromA & ~pastZ & 0x8080808080808080u;
    return word | (upper >> 2);  // 'a' - 'A' is 0x20
}

// The eight ASCII bytes at `bytes`, folded, as they stand in memory.
std::uint64_t foldedAsciiWordAt(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    return foldedAsciiWord(word);
}

}  // namespace

void foldedKeyPrefix(QByteArrayView text, unsigned char* prefix, std::size_t size,
                     std::string& scratch) {
    if (isAscii(text)) {
        const std::size_t count = std::min(size, std::size_t(text.size()));
        std::size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            const std::uint64_t word = foldedAsciiWordAt(text.data() + i);
            std::memcpy(prefix + i, &word, 8);
        }
        for (; i < count; ++i) prefix[i] = foldedAscii(text[qsizetype(i)]);
        std::fill(prefix + count, prefix + size, 0);
        return;
    }
    scratch.clear();
    appendFoldedKey(text, scratch);
    const std::size_t count = std::min(size, scratch.size());
    std::copy_n(scratch.begin(), count, prefix);
    std::fill(prefix + count, prefix + size, 0);
}

int compareFoldedKeys(QByteArrayView a, QByteArrayView b, std::string& scratchA,
                      std::string& scratchB) {
    if (!isAscii(a) || !isAscii(b)) {
        scratchA.clear();
        scratchB.clear();
        appendFoldedKey(a, scratchA);
        appendFoldedKey(b, scratchB);
        return scratchA.compare(scratchB);
    }
    const auto common = std::size_t(std::min(a.size(), b.size()));
    std::size_t i = 0;
    for (; i + 8 <= common; i += 8) {
        const std::uint64_t wordA = foldedAsciiWordAt(a.data() + i);
        const std::uint64_t wordB = foldedAsciiWordAt(b.data() + i);
        if (wordA != wordB) {
            // As numbers read first byte first, the words compare as their bytes do.
            const auto first = qFromBigEndian<std::uint64_t>(&wordA);
            const auto second = qFromBigEndian<std::uint64_t>(&wordB);
            return first < second ? -1 : 1;
        }
    }
    for (; i < common; ++i) {
        const auto byteA = static_cast<unsigned char>(foldedAscii(a[qsizetype(i)]));
        const auto byteB = static_cast<unsigned char>(foldedAscii(b[qsizetype(i)]));
        if (byteA != byteB) return byteA < byteB ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
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

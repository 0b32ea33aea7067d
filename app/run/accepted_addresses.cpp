#include "accepted_addresses.h"

#include <algorithm>
#include <cstring>

namespace rosterly {
namespace {

// A stored text: a 32-bit header (the length in characters, the top bit set for the one-byte
// form), then the characters, one byte each or two bytes each.
constexpr uint32_t kNarrowFlag = 0x80000000u;
constexpr size_t kHeaderBytes = sizeof(uint32_t);
constexpr size_t kChunkBytes = size_t(1) << 20;

bool fitsOneByte(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

// Hashes character values, so both stored forms of a text hash alike.
template <typename CharAt>
uint64_t hashChars(size_t length, CharAt charAt) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < length; ++i) {
        h = (h ^ charAt(i)) * 0x100000001b3ull;
    }
    h ^= h >> 33;  // the table indexes by the low bits
    h *= 0xff51afd7ed558ccdull;
    return h ^ (h >> 33);
}

uint64_t hashText(QStringView text) {
    return hashChars(size_t(text.size()), [&](size_t i) { return text[qsizetype(i)].unicode(); });
}

uint32_t headerOf(const char* record) {
    uint32_t header;
    std::memcpy(&header, record, kHeaderBytes);
    return header;
}

char16_t wideCharAt(const char* chars, size_t i) {
    char16_t c;
    std::memcpy(&c, chars + 2 * i, 2);
    return c;
}

uint64_t hashRecord(const char* record) {
    const uint32_t header = headerOf(record);
    const char* chars = record + kHeaderBytes;
    const size_t length = header & ~kNarrowFlag;
    if (header & kNarrowFlag) {
        return hashChars(length, [&](size_t i) { return uint8_t(chars[i]); });
    }
    return hashChars(length, [&](size_t i) { return wideCharAt(chars, i); });
}

bool recordEquals(const char* record, QStringView text) {
    const uint32_t header = headerOf(record);
    const char* chars = record + kHeaderBytes;
    if ((header & ~kNarrowFlag) != uint32_t(text.size())) {
        return false;
    }
    if (!(header & kNarrowFlag)) {
        return std::memcmp(chars, text.utf16(), size_t(text.size()) * 2) == 0;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() != uint8_t(chars[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

size_t AcceptedAddresses::slotOf(QStringView address, uint64_t hash) const {
    const size_t mask = m_slots.size() - 1;
    size_t slot = size_t(hash) & mask;
    while (m_slots[slot] && !recordEquals(m_slots[slot], address)) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

bool AcceptedAddresses::contains(QStringView address) const {
    return !m_slots.empty() && m_slots[slotOf(address, hashText(address))] != nullptr;
}

bool AcceptedAddresses::insert(QStringView address) {
    // At most half full, so a search for an absent text ends after a few slots.
    if (size_t(m_count + 1) * 2 > m_slots.size()) {
        grow();
    }
    const size_t slot = slotOf(address, hashText(address));
    if (m_slots[slot]) {
        return false;
    }
    m_slots[slot] = store(address);
    ++m_count;
    return true;
}

void AcceptedAddresses::clear() {
    m_slots = {};
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_chunkUsed = m_chunkSize = 0;
    m_count = 0;
}

void AcceptedAddresses::grow() {
    std::vector<const char*> old = std::move(m_slots);
    m_slots.assign(std::max<size_t>(old.size() * 2, 64), nullptr);
    const size_t mask = m_slots.size() - 1;
    for (const char* record : old) {
        if (record) {
            size_t slot = size_t(hashRecord(record)) & mask;
            while (m_slots[slot]) {
                slot = (slot + 1) & mask;
            }
            m_slots[slot] = record;
        }
    }
}

const char* AcceptedAddresses::store(QStringView address) {
    const bool narrow = fitsOneByte(address);
    const size_t length = size_t(address.size());
    const size_t bytes = kHeaderBytes + length * (narrow ? 1 : 2);
    if (m_chunkUsed + bytes > m_chunkSize) {
        m_chunkSize = std::max(bytes, kChunkBytes);
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(m_chunkSize));
        m_chunkUsed = 0;
    }
    char* record = m_chunks.back().get() + m_chunkUsed;
    m_chunkUsed += bytes;
    const uint32_t header = uint32_t(length) | (narrow ? kNarrowFlag : 0);
    std::memcpy(record, &header, kHeaderBytes);
    char* chars = record + kHeaderBytes;
    if (narrow) {
        std::transform(address.begin(), address.end(), chars,
                       [](QChar c) { return char(uint8_t(c.unicode())); });
    } else {
        std::memcpy(chars, address.utf16(), length * 2);
    }
    return record;
}

}  // namespace rosterly

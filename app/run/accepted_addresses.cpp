#include "accepted_addresses.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "com/cache_prefetch.h"
#include "com/hash_mix.h"
#include "platform/text_codec.h"

namespace rosterly {
namespace {

constexpr uint64_t kMaxEntries = EntryIndex::kNone;

// Writes `value` as UTF-8 at `to`; returns the end.
char* putUnit(char32_t value, char* to) {
    if (value < 0x80) {
        *to++ = char(value);
    } else if (value < 0x800) {
        *to++ = char(0xC0 | (value >> 6));
        *to++ = char(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        *to++ = char(0xE0 | (value >> 12));
        *to++ = char(0x80 | ((value >> 6) & 0x3F));
        *to++ = char(0x80 | (value & 0x3F));
    } else {
        *to++ = char(0xF0 | (value >> 18));
        *to++ = char(0x80 | ((value >> 12) & 0x3F));
        *to++ = char(0x80 | ((value >> 6) & 0x3F));
        *to++ = char(0x80 | (value & 0x3F));
    }
    return to;
}

}  // namespace

bool encodeLine(QStringView address, QByteArray& out) {
    const qsizetype size = address.size();
    // A code unit takes at most three bytes. QByteArray leaves the new room as it is, where a
    // standard string would clear it first, for every line.
    out.resize(size * 3 + 2);
    const char16_t* from = address.utf16();
    char* to = out.data();
    bool lone = false;
    qsizetype i = 0;
#if defined(__SSE2__)
    // Addresses are mostly plain ASCII: eight units a step while they are.
    for (; i + 8 <= size; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i high = _mm_and_si128(units, _mm_set1_epi16(short(0xFF80)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_packus_epi16(units, units));
        to += 8;
    }
#endif
    for (; i < size; ++i) {
        const char16_t c = from[i];
        if (c < 0x80) {
            *to++ = char(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < size &&
                   QChar::isLowSurrogate(from[i + 1])) {
            to = putUnit(QChar::surrogateToUcs4(c, from[i + 1]), to);
            ++i;
        } else {
            lone = lone || QChar::isSurrogate(c);
            to = putUnit(c, to);
        }
    }
    *to++ = '\r';
    *to++ = '\n';
    out.truncate(to - out.data());
    return lone;
}

void decodeStored(QByteArrayView bytes, QString& out) {
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    out.resize(size);  // at least one byte a code unit
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = from[i];
        if (lead < 0x80) {
            *to++ = lead;
            ++i;
            continue;
        }
        const int length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t value = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) value = (value << 6) | (from[i + k] & 0x3F);
        i += length;
        if (value >= 0x10000) {
            *to++ = QChar::highSurrogate(value);
            *to++ = QChar::lowSurrogate(value);
        } else {
            *to++ = char16_t(value);
        }
    }
    out.truncate(to - reinterpret_cast<char16_t*>(out.data()));
}

QString decodeStored(QByteArrayView bytes) {
    QString text;
    decodeStored(bytes, text);
    return text;
}

bool AcceptedAddresses::contains(QStringView address) const {
    prepare(address);
    return containsPrepared();
}

std::optional<AcceptedAddresses::Entry> AcceptedAddresses::insert(QStringView address) {
    prepare(address);
    return insertPrepared();
}

void AcceptedAddresses::prepare(QStringView address) const {
    if (m_indexReleased) buildIndex();
    m_scratchLone = encodeLine(address, m_scratch);
    m_scratchAbsent = false;
    m_scratchHash = hashOf(QByteArrayView(m_scratch));
    m_index.prefetch(m_scratchHash);
}

bool AcceptedAddresses::containsPrepared() const {
    if (m_indexReleased) buildIndex();
    const QByteArrayView wanted(m_scratch);
    m_scratchAbsent = m_index.find(m_scratchHash, [&](Entry entry) {
        return line(entry) == wanted;
    }) == EntryIndex::kNone;
    return !m_scratchAbsent;
}

std::optional<AcceptedAddresses::Entry> AcceptedAddresses::insertPrepared() {
    if (uint64_t(size()) == kMaxEntries || (!m_scratchAbsent && containsPrepared())) {
        return std::nullopt;
    }
    const auto entry = Entry(size());
    const uint64_t start = m_lines.size();
    while ((start >> 32) > m_wraps.size()) m_wraps.push_back(entry);
    m_lineStarts.push_back(uint32_t(start));
    m_lines.append(m_scratch.data(), m_scratch.size());
    m_index.insert(m_scratchHash, entry);
    m_holdsLoneSurrogate = m_holdsLoneSurrogate || m_scratchLone;
    m_scratchAbsent = false;  // it is there now
    return entry;
}

uint64_t AcceptedAddresses::hashOf(QByteArrayView line) const {
    return com::hashBytes(line.data(), size_t(line.size()), m_seed);
}

uint64_t AcceptedAddresses::startOf(Entry entry) const {
    if (entry == Entry(size())) return m_lines.size();
    // Wraps are rare (a 4 GiB run of lines each); usually there is none to count.
    const uint64_t wraps =
        m_wraps.empty()
            ? 0
            : uint64_t(std::upper_bound(m_wraps.begin(), m_wraps.end(), entry) - m_wraps.begin());
    return (wraps << 32) | m_lineStarts[entry];
}

// A line's end is where the next one starts, mostly on the same cache line.
void AcceptedAddresses::prefetchStarts(std::span<const Entry> entries) const {
    for (const Entry entry : entries) com::prefetchLine(m_lineStarts.data() + entry);
}

void AcceptedAddresses::prefetchLines(std::span<const Entry> entries) const {
    for (const Entry entry : entries) {
        const QByteArrayView bytes = line(entry);
        com::prefetchLine(bytes.data());
        com::prefetchLine(bytes.data() + bytes.size() - 1);
    }
}

QByteArrayView AcceptedAddresses::line(Entry entry) const {
    return lines(entry, entry + 1);
}

QByteArrayView AcceptedAddresses::lines(Entry first, Entry end) const {
    const uint64_t from = startOf(first);
    return QByteArrayView(m_lines.data() + from, qsizetype(startOf(end) - from));
}

QByteArray AcceptedAddresses::fileLine(Entry entry) const {
    if (!m_holdsLoneSurrogate) return line(entry).toByteArray();
    return encodeText(address(entry)) + "\r\n";
}

QString AcceptedAddresses::address(Entry entry) const {
    return decodeStored(line(entry).chopped(2));
}

void AcceptedAddresses::address(Entry entry, QString& out) const {
    decodeStored(line(entry).chopped(2), out);
}

void AcceptedAddresses::expect(qint64 entries) {
    m_index.expect(size_t(std::clamp<qint64>(entries, 0, qint64(kMaxEntries))));
}

qint64 guessEntries(qint64 before, qint64 now, qint64 bytesRead, qint64 inputBytes) {
    if (bytesRead <= 0 || inputBytes <= bytesRead || now <= before) return now;
    const double input = double(now - before) * double(inputBytes) / double(bytesRead);
    return qint64(std::min(double(before) + 1.1 * input, double(kMaxEntries)));
}

void AcceptedAddresses::releaseIndex() {
    m_index.clear();
    m_indexReleased = true;
}

void AcceptedAddresses::buildIndex() const {
    m_index.reserve(size_t(size()));
    for (Entry entry = 0; entry < Entry(size()); ++entry) {
        m_index.insert(hashOf(line(entry)), entry);
    }
    m_indexReleased = false;
}

void AcceptedAddresses::clear() {
    m_lines.clear();
    m_lineStarts.clear();
    m_wraps.clear();
    m_index.clear();
    m_scratch = QByteArray();
    m_scratchAbsent = false;
    m_holdsLoneSurrogate = false;
    m_indexReleased = false;
}

}  // namespace rosterly

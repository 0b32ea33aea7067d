#include "bounded_line.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "address_bytes.h"

namespace rosterly {
namespace {

using address_bytes::isLeft;
using address_bytes::isRight;

// Bytes that follow() passes over as they come: not "@", ".", ";" or a right delimiter.
constexpr std::array<bool, 256> plainTable() {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[std::size_t(c)] =
            (address_bytes::kClasses[std::size_t(c)] & address_bytes::kRight) == 0 && c != '@' &&
            c != '.' && c != ';';
    }
    return table;
}
constexpr std::array<bool, 256> kPlain = plainTable();

bool isPlain(char c) {
    return kPlain[static_cast<unsigned char>(c)];
}

void appendCapped(std::string& to, const char* from, qint64 count, qsizetype limit) {
    const qint64 room = qint64(limit) - qint64(to.size());
    if (room > 0 && count > 0) to.append(from, size_t(std::min(room, count)));
}

}  // namespace

BoundedLine::BoundedLine(qsizetype limit) : m_limit(std::max<qsizetype>(limit, 1)) {}

void BoundedLine::reset() {
    // Field by field, so the buffers keep their storage: a run reduces millions of lines.
    m_length = 0;
    m_lastByte = 0;
    m_seenAt = false;
    m_shape = false;
    m_segmentStart = 0;
    m_segment.clear();
    m_hasCandidate = false;
    m_front = m_firstAt = m_candidateEnd = 0;
    m_firstDot = m_lastKept = -1;
    m_startsWithAt = m_open = false;
    m_candidate.clear();
    m_frontInLine = nullptr;
}

BoundedLine::Outcome BoundedLine::reduceWhole(QByteArrayView line) {
    reset();
    if (!reduceAroundOnlyAt(line)) {
        reset();
        append(line);
    }
    return outcome();
}

// Most lines hold one "@", and their address ends at a right delimiter, at two full stops or at
// the line's end: such a line is read around its "@" alone, once, and its stand-in is left
// where it stands. False for any other line, leaving this object to be reset.
bool BoundedLine::reduceAroundOnlyAt(QByteArrayView line) {
    if (line.isEmpty()) return true;  // no "@"; and a view of nothing may point nowhere
    const char* begin = line.data();
    const char* end = begin + line.size();
    const auto* at = static_cast<const char*>(std::memchr(begin, '@', size_t(line.size())));
    if (!at) return true;
    if (std::memchr(at + 1, '@', size_t(end - at - 1))) return false;
    m_partBegin = begin;
    if (const char* start = segmentStartIn(begin, at)) m_segmentStart = positionOf(start);
    startCandidate(at);
    m_seenAt = true;
    const char* stop = m_open ? keepRun(at + 1, end) : at + 1;
    m_partBegin = nullptr;
    // After ";" the address may run on.
    if (stop < end && *stop == ';') return false;
    if (!m_shape && std::memchr(stop, '.', size_t(end - stop))) m_shape = true;
    m_frontInLine = begin + m_front;
    return true;
}

// The part is followed by positions alone; only what a later part may still need of its bytes
// is copied, once, when the part has been read.
void BoundedLine::append(QByteArrayView bytes) {
    if (bytes.isEmpty()) return;
    m_partBegin = bytes.data();
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) p = m_open ? follow(p, end) : skip(p, end);
    keepTexts(bytes.data(), end);
    m_lastByte = end[-1];
    m_length += bytes.size();
    m_partBegin = nullptr;
}

// Keeps the candidate's bytes and the segment's bytes of the part just read, each after the
// bytes of earlier parts that still belong to it.
void BoundedLine::keepTexts(const char* begin, const char* end) {
    const qint64 partStart = m_length;
    const qint64 partEnd = partStart + (end - begin);
    const auto at = [&](qint64 position) { return begin + (position - partStart); };
    if (m_hasCandidate) {
        const qint64 candidateEnd = m_open ? partEnd : m_candidateEnd;
        if (m_firstAt >= partStart) {
            // Started in this part: its front is in this part, or the segment of earlier parts
            // it was found in is its front.
            if (m_front < partStart) {
                std::swap(m_candidate, m_segment);
            } else {
                m_candidate.clear();
            }
            const qint64 from = std::max(m_front, partStart);
            appendCapped(m_candidate, at(from), candidateEnd - from, m_limit);
        } else if (candidateEnd > partStart) {
            appendCapped(m_candidate, begin, candidateEnd - partStart, m_limit);
        }
    }
    if (segmentIsCandidate()) return;
    if (m_segmentStart >= partStart) {
        m_segment.clear();
        appendCapped(m_segment, at(m_segmentStart), partEnd - m_segmentStart, m_limit);
    } else {
        appendCapped(m_segment, begin, partEnd - partStart, m_limit);
    }
}

// Where a segment starts within [from, to): after the last left delimiter, or at the second of
// the last two full stops in a row; nullptr when none lies there.
const char* BoundedLine::segmentStartIn(const char* from, const char* to) const {
    for (const char* q = to; q > from;) {
        --q;
        if (isLeft(*q)) return q + 1;
        if (*q == '.' && before(q) == '.') return q;
    }
    return nullptr;
}

// Within the candidate's own segment a further "@" changes nothing: only the start of the
// next segment matters. One pass, however many "@" the segment holds.
const char* BoundedLine::skipCandidateSegment(const char* from, const char* to) {
    const char* p = from;
    while (p < to && !isLeft(*p) && !(*p == '.' && before(p) == '.')) ++p;
    if (m_seenAt && !m_shape && std::memchr(from, '.', size_t(p - from))) m_shape = true;
    if (p == to) return to;
    m_segmentStart = *p == '.' ? positionOf(p) : positionOf(p) + 1;
    return p + 1;
}

// While no candidate is being followed, only an "@" in a new segment can change it: everything
// up to the next one is passed over in a few scans.
const char* BoundedLine::skip(const char* from, const char* to) {
    if (segmentIsCandidate()) return skipCandidateSegment(from, to);
    const auto* at = static_cast<const char*>(std::memchr(from, '@', size_t(to - from)));
    const char* stop = at ? at : to;
    if (m_seenAt && !m_shape && std::memchr(from, '.', size_t(stop - from))) m_shape = true;
    if (const char* start = segmentStartIn(from, stop)) m_segmentStart = positionOf(start);
    if (!at) return to;
    startCandidate(at);
    m_seenAt = true;
    return at + 1;
}

// The candidate runs from the segment's start; it takes bytes until its address can end no
// later (m_candidateEnd).
void BoundedLine::startCandidate(const char* at) {
    m_hasCandidate = true;
    m_front = m_segmentStart;
    m_firstAt = positionOf(at);
    m_firstDot = -1;
    m_lastKept = -1;
    // A text starting with "@" is whittled away from its end until nothing is left.
    m_startsWithAt = m_front == m_firstAt;
    m_open = !m_startsWithAt;
    if (!m_open) m_candidateEnd = m_firstAt + 1;
}

// Byte by byte from the candidate's first "@" until a right delimiter, or two full stops in a
// row, fix the latest end of its address.
const char* BoundedLine::follow(const char* from, const char* to) {
    for (const char* p = from; p < to; ++p) {
        const char c = *p;
        if (c == '@') {
            if (!segmentIsCandidate()) {
                startCandidate(p);
                if (!m_open) return p + 1;
            }
        } else if (isRight(c)) {
            m_open = false;
            m_candidateEnd = positionOf(p);
            if (isLeft(c)) m_segmentStart = positionOf(p) + 1;
            return p + 1;
        } else if (c == '.' && before(p) == '.') {
            m_open = false;
            m_candidateEnd = positionOf(p);
            m_segmentStart = positionOf(p);
            return p + 1;
        } else if (c == ';') {
            // A left delimiter only: the address may still run on past it.
            m_segmentStart = positionOf(p) + 1;
        } else {
            p = keepRun(p, to) - 1;
        }
    }
    return to;
}

// Most of an address is bytes that only go along, and single full stops: they are passed over
// up to the next byte that steers the cleaning. The back is trimmed of "-" and ".".
const char* BoundedLine::keepRun(const char* from, const char* to) {
    const char* end = from;
    const char* lastKept = nullptr;
    for (; end < to; ++end) {
        const char c = *end;
        if (isPlain(c)) {
            if (c != '-') lastKept = end;
        } else if (c == '.' && before(end) != '.') {
            m_shape = true;
            if (m_firstDot < 0) m_firstDot = positionOf(end);
        } else {
            break;
        }
    }
    if (lastKept) m_lastKept = positionOf(lastKept);
    return end;
}

BoundedLine::Outcome BoundedLine::outcome() const {
    if (!m_seenAt) return {Kind::NoAt, 0};
    if (!m_shape) return {Kind::NoShape, 0};
    // The back loses "@", "-", "." and ";" down to the last other byte; a "." must stay
    // between the first "@" and that byte.
    if (m_startsWithAt || m_firstDot < 0 || m_lastKept < m_firstDot) return {Kind::NoAddress, 0};
    const qint64 size = m_lastKept + 1 - m_front;
    if (size > m_limit) return {Kind::TooLong, 0};
    return {Kind::Address, qsizetype(size)};
}

QByteArrayView BoundedLine::standIn(Outcome outcome) const {
    switch (outcome.kind) {
        case Kind::NoShape:
            return "@";
        case Kind::NoAddress:
            return "@.";
        case Kind::Address:
            return QByteArrayView(m_frontInLine ? m_frontInLine : m_candidate.data(), outcome.size);
        case Kind::NoAt:
        case Kind::TooLong:
            break;
    }
    return {};
}

}  // namespace rosterly

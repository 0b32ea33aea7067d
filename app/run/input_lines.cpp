#include "input_lines.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace rosterly {
namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

#if defined(__SSE2__) || defined(_M_X64)
// Bit i is set when byte i of the sixteen at `at` ends a line.
int lineEndMask(const char* at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
    return _mm_movemask_epi8(ends);
}
#endif

// The first CR or LF in [from, to), or nullptr. Both kinds in one pass: searching for each on
// its own would run to the end of the block for the kind a file does not use.
inline const char* findLineEnd(const char* from, const char* to) {
#if defined(__SSE2__) || defined(_M_X64)
    for (; to - from >= 16; from += 16) {
        if (const int mask = lineEndMask(from)) return from + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; from < to; ++from) {
        if (isLineEnd(*from)) return from;
    }
    return nullptr;
}

// The last CR or LF in [from, to), or nullptr.
inline const char* findLastLineEnd(const char* from, const char* to) {
#if defined(__SSE2__) || defined(_M_X64)
    for (; to - from >= 16;) {
        to -= 16;
        if (const int mask = lineEndMask(to)) return to + 31 - __builtin_clz(unsigned(mask));
    }
#endif
    while (to > from) {
        if (isLineEnd(*--to)) return to;
    }
    return nullptr;
}

}  // namespace

// A small file needs a block of twice its size at most (every line of it then comes in one
// part): a run over thousands of small files never clears a whole block for each.
InputLines::InputLines(QIODevice& source, qsizetype blockBytes)
    : m_source(source),
      m_buffer(size_t(std::max<qsizetype>(
          source.isSequential() ? blockBytes : std::min<qint64>(blockBytes, 2 * source.size() + 2),
          2))),
      m_data(m_buffer.data()),
      m_half(qsizetype(m_buffer.size()) / 2) {}

// Where the blocks cannot be lent, the source is read like any other device.
InputLines::InputLines(PrefetchedInput& source)
    : m_source(source),
      m_blocks(source.lendsBlocks() ? &source : nullptr),
      m_buffer(m_blocks ? 0 : std::size_t(2 * source.headroom())),
      m_data(m_buffer.data()),
      m_half(qsizetype(source.headroom())) {}

bool InputLines::refill() {
    if (m_blocks) return refillFromBlocks();
    const qsizetype kept = m_end - m_start;
    if (m_start > 0) {
        std::memmove(m_buffer.data(), begin(), size_t(kept));
        m_offset += m_start;
        m_start = 0;
        m_end = kept;
    }
    const qint64 got = m_source.read(m_buffer.data() + m_end, qint64(m_buffer.size()) - m_end);
    if (got < 0) {
        const QString why = m_source.errorString();
        m_status =
            Status::failure(why.isEmpty() ? QStringLiteral("The input could not be read") : why);
        return false;
    }
    m_sourceDone = got == 0;
    m_end += qsizetype(got);
    return true;
}

// The next lent block, with the unfinished bytes at hand put in its headroom; those are never
// more than half a line part (m_half), which the headroom holds.
bool InputLines::refillFromBlocks() {
    m_carried.assign(begin(), end());
    m_offset += m_start;
    m_start = 0;
    m_end = qsizetype(m_carried.size());
    char* bytes = nullptr;
    qint64 size = 0;
    switch (m_blocks->borrow(bytes, size)) {
        case PrefetchedInput::Borrowed::Bytes:
            m_data = bytes - m_end;
            if (!m_carried.empty()) std::memcpy(m_data, m_carried.data(), m_carried.size());
            m_end += qsizetype(size);
            return true;
        case PrefetchedInput::Borrowed::End:
            m_data = m_carried.data();
            m_sourceDone = true;
            return true;
        case PrefetchedInput::Borrowed::Failed:
            break;
    }
    m_data = m_carried.data();
    m_status = Status::failure(m_blocks->errorString());
    return false;
}

inline void InputLines::consume(qsizetype count) {
    m_start += count;
    m_scanned = 0;
}

// Part when unread bytes are in the buffer, or End or Error.
InputLines::Step InputLines::bytesAtHand() {
    for (;;) {
        if (!m_status.ok()) return Step::Error;
        if (m_start == m_end) {
            if (m_sourceDone) return Step::End;
            if (!refill()) return Step::Error;
            continue;
        }
        if (m_afterReturn) {
            m_afterReturn = false;
            if (*begin() == '\n') {
                ++m_start;
                m_scanned = std::max<qsizetype>(m_scanned - 1, 0);
                continue;
            }
        }
        return Step::Part;
    }
}

inline InputLines::Step InputLines::linePart(Part& part, qsizetype length, bool lineEnds) {
    part = Part{QByteArrayView(begin(), length), lineEnds};
    m_inLine = !lineEnds;
    consume(length);
    return Step::Part;
}

// The bytes at hand up to `stop`, a line end, are the line's last part.
inline InputLines::Step InputLines::lineEndingAt(const char* stop, Part& part) {
    m_afterReturn = *stop == '\r';
    linePart(part, stop - begin(), true);
    ++m_start;
    return Step::Part;
}

InputLines::Step InputLines::next(Part& part) {
    const qsizetype half = m_half;
    for (;;) {
        if (const Step ready = bytesAtHand(); ready != Step::Part) {
            // A line handed over in parts that ran up to the end of the input ends there.
            if (ready == Step::End && m_inLine) return linePart(part, 0, true);
            return ready;
        }
        if (const char* stop = findLineEnd(begin() + m_scanned, end())) {
            return lineEndingAt(stop, part);
        }
        m_scanned = m_end - m_start;
        if (m_sourceDone) return linePart(part, m_end - m_start, true);
        // Handing a long line's bytes over keeps every read at least half a block long.
        if (m_end - m_start > half) return linePart(part, m_end - m_start, false);
        if (!refill()) return Step::Error;
    }
}

InputLines::Step InputLines::nextHolding(char wanted, Part& part) {
    const qsizetype half = m_half;
    for (;;) {
        if (m_inLine) return next(part);
        if (const Step ready = bytesAtHand(); ready != Step::Part) return ready;
        const char* from = begin() + m_scanned;
        if (const void* found = std::memchr(from, wanted, size_t(end() - from))) {
            // The line holding it starts after the last line end before it.
            const char* hit = static_cast<const char*>(found);
            if (const char* lastEnd = findLastLineEnd(from, hit)) consume(lastEnd + 1 - begin());
            // Mostly its end is at hand too, and the whole line goes over at once.
            if (const char* stop = findLineEnd(hit + 1, end())) return lineEndingAt(stop, part);
            m_scanned = hit - begin();
            return next(part);
        }
        // None of these bytes holds it: every line ending among them is skipped whole.
        if (const char* lastEnd = findLastLineEnd(from, end())) {
            // Only a return that ends the bytes read may have its line feed still to come: the
            // unfinished line after any other may go over in parts, and its own line feed must
            // not be taken for that return's.
            m_afterReturn = *lastEnd == '\r' && lastEnd + 1 == end();
            consume(lastEnd + 1 - begin());
        }
        m_scanned = m_end - m_start;
        if (m_sourceDone) {
            consume(m_end - m_start);
            return Step::End;
        }
        if (m_end - m_start > half) return linePart(part, m_end - m_start, false);
        if (!refill()) return Step::Error;
    }
}

}  // namespace rosterly

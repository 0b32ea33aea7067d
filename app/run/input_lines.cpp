#include "input_lines.h"

#include <algorithm>
#include <cstring>

namespace rosterly {

InputLines::InputLines(QIODevice& source, qsizetype blockBytes)
    : m_source(source), m_buffer(size_t(std::max<qsizetype>(blockBytes, 1))) {}

bool InputLines::fillIfDrained() {
    while (m_start == m_end && !m_sourceDone) {
        if (!refill()) {
            return false;
        }
    }
    return true;
}

bool InputLines::refill() {
    const qsizetype kept = m_end - m_start;
    if (m_start > 0) {
        std::memmove(m_buffer.data(), begin(), size_t(kept));
        m_start = 0;
        m_end = kept;
    }
    // Growing while a line fills more than half the buffer keeps every read at least half a
    // buffer long, so a long line is scanned a bounded number of times.
    if (kept > qsizetype(m_buffer.size()) / 2) {
        m_buffer.resize(m_buffer.size() * 2);
    }
    const qint64 got = m_source.read(m_buffer.data() + m_end, qint64(m_buffer.size()) - m_end);
    if (got < 0) {
        m_failed = true;
        m_error = m_source.errorString();
        if (m_error.isEmpty()) {
            m_error = QStringLiteral("The input could not be read.");
        }
        return false;
    }
    m_sourceDone = got == 0;
    m_end += qsizetype(got);
    return true;
}

void InputLines::dropLineFeedAfterReturn() {
    if (m_afterReturn && m_start < m_end) {
        if (m_buffer[size_t(m_start)] == '\n') {
            ++m_start;
            m_scanned = std::max<qsizetype>(m_scanned - 1, 0);
        }
        m_afterReturn = false;
    }
}

// Line when unread bytes are in the buffer, or End or Error.
InputLines::Step InputLines::bytesAtHand() {
    for (;;) {
        if (m_failed || !fillIfDrained()) {
            return Step::Error;
        }
        dropLineFeedAfterReturn();
        if (m_start != m_end) {
            return Step::Line;
        }
        if (m_sourceDone) {
            return Step::End;
        }
    }
}

InputLines::Step InputLines::next(QByteArrayView& line) {
    for (;;) {
        if (const Step ready = bytesAtHand(); ready != Step::Line) {
            return ready;
        }
        const char* from = begin() + m_scanned;
        if (const void* found = std::memchr(from, '\r', size_t(end() - from))) {
            const char* stop = static_cast<const char*>(found);
            line = QByteArrayView(begin(), stop - begin());
            m_start += line.size() + 1;
            m_scanned = 0;
            m_afterReturn = true;
            return Step::Line;
        }
        m_scanned = m_end - m_start;
        if (m_sourceDone) {
            line = QByteArrayView(begin(), m_end - m_start);
            m_start = m_end;
            m_scanned = 0;
            return Step::Line;
        }
        if (!refill()) {
            return Step::Error;
        }
    }
}

InputLines::Step InputLines::nextHolding(char wanted, QByteArrayView& line) {
    for (;;) {
        if (const Step ready = bytesAtHand(); ready != Step::Line) {
            return ready;
        }
        const qsizetype held = m_end - m_start;
        if (const void* found = std::memchr(begin(), wanted, size_t(held))) {
            // The line holding it starts after the last carriage return before it.
            const char* hit = static_cast<const char*>(found);
            if (const void* lastReturn = memrchr(begin(), '\r', size_t(hit - begin()))) {
                m_start += static_cast<const char*>(lastReturn) + 1 - begin();
                m_scanned = 0;
                if (m_buffer[size_t(m_start)] == '\n') {
                    ++m_start;
                }
            }
            return next(line);
        }
        // None of these bytes holds it: every line ending among them is skipped whole.
        if (const void* lastReturn = memrchr(begin(), '\r', size_t(held))) {
            m_start += static_cast<const char*>(lastReturn) + 1 - begin();
            m_afterReturn = true;
        }
        m_scanned = m_end - m_start;
        if (m_sourceDone) {
            m_start = m_end;
            return Step::End;
        }
        if (!refill()) {
            return Step::Error;
        }
    }
}

}  // namespace rosterly

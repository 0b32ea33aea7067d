// Reading an 8-bit input as lines, in large blocks, without decoding it.
#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <vector>

namespace rosterly {

// Splits an input into lines: a line ends at a carriage return, and a line feed right after
// that carriage return is dropped with it; any other line feed stays inside the line. The last
// line needs no end, and an empty input has no lines. Bytes are passed on as they are, NUL
// included, so lines that are skipped are never decoded.
//
// Memory stays at about one block, or at the longest line when that is longer: a line is always
// handed over whole.
//
// The source must be open for reading, must outlive this object and must deliver data on every
// read until its end (a file or a buffer, not a socket). A line is a view into this object's
// buffer, valid until the next call.
class InputLines {
public:
    static constexpr qsizetype kDefaultBlockBytes = qsizetype(1) << 20;

    enum class Step { Line, End, Error };

    explicit InputLines(QIODevice& source, qsizetype blockBytes = kDefaultBlockBytes);

    // The next line. After End or Error every further call gives the same.
    Step next(QByteArrayView& line);

    // The next line that holds `wanted`, skipping the lines before it. Lines without it cost one
    // scan of their bytes and are never handed over. `wanted` is neither CR nor LF.
    Step nextHolding(char wanted, QByteArrayView& line);

    // Why the source could not be read; empty unless a call gave Error.
    const QString& errorString() const { return m_error; }

private:
    Step bytesAtHand();
    bool fillIfDrained();
    bool refill();
    void dropLineFeedAfterReturn();
    const char* begin() const { return m_buffer.data() + m_start; }
    const char* end() const { return m_buffer.data() + m_end; }

    QIODevice& m_source;
    std::vector<char> m_buffer;
    qsizetype m_start = 0;       // first unconsumed byte; always the start of a line
    qsizetype m_end = 0;         // end of the bytes read so far
    qsizetype m_scanned = 0;     // bytes from m_start already known to hold no carriage return
    bool m_afterReturn = false;  // the last line ended at a carriage return that ended the block
    bool m_sourceDone = false;
    bool m_failed = false;
    QString m_error;
};

}  // namespace rosterly

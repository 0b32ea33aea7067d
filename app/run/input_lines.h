// Reading an 8-bit input as lines, in blocks of bounded size, without decoding it.
#pragma once

#include <QByteArrayView>
#include <QIODevice>

#include <vector>

#include "platform/status.h"
#include "prefetched_input.h"

namespace rosterly {

// Splits an input into lines: a line ends at a carriage return, at a line feed, or at a
// carriage return followed by a line feed (one line end, not two). The last line needs no end,
// and an empty input has no lines. Bytes are passed on as they are, NUL included, so lines that
// are skipped are never decoded.
//
// Memory stays at one block whatever the input: a line is handed over in parts, each a view of
// the line's next bytes. A line of up to half a block always comes as one part; a longer line
// may come in several, each at least half a block long except the last. The last part of every
// line says so (`lineEnds`), also when it is empty.
//
// The source must be open for reading, must outlive this object and must deliver data on every
// read until its end (a file or a buffer, not a socket). A part views this object's buffer, or
// the source's own block, and is valid until the next call.
class InputLines {
public:
    static constexpr qsizetype kDefaultBlockBytes = qsizetype(1) << 20;

    enum class Step { Part, End, Error };

    struct Part {
        QByteArrayView bytes;   // never holds a line end
        bool lineEnds = false;  // the line ends after these bytes
    };

    // `blockBytes` is at least 2; a file of less than half of it gets a block of twice its size.
    explicit InputLines(QIODevice& source, qsizetype blockBytes = kDefaultBlockBytes);
    // Lines scanned where the read-ahead put them: only the unfinished end of a block is copied,
    // in front of the next. The block is the source's block plus its headroom.
    explicit InputLines(PrefetchedInput& source);

    // The next part of the next line. After End or Error every further call gives the same; a
    // line cut short by a read error never gets its last part.
    Step next(Part& part);

    // The same, skipping the lines that do not hold `wanted` (neither CR nor LF): such a line
    // costs one scan of its bytes. Only a line too long to be judged in one block is handed
    // over without holding it, from its start, so that a long line holding `wanted` late is
    // not lost.
    Step nextHolding(char wanted, Part& part);

    // Bytes of the input handed over or skipped so far, line ends included.
    qint64 bytesConsumed() const { return m_offset + m_start; }

    // Why the input could not be read; a success unless a call gave Error.
    const Status& status() const { return m_status; }

private:
    Step bytesAtHand();
    bool refill();
    void consume(qsizetype count);
    Step linePart(Part& part, qsizetype length, bool lineEnds);
    Step lineEndingAt(const char* stop, Part& part);
    bool refillFromBlocks();
    const char* begin() const { return m_data + m_start; }
    const char* end() const { return m_data + m_end; }

    QIODevice& m_source;
    PrefetchedInput* m_blocks = nullptr;  // lends its blocks, or else is read into m_buffer
    std::vector<char> m_buffer;
    std::vector<char> m_carried;  // the unfinished end of a block while the next is fetched
    char* m_data = nullptr;       // the bytes at hand: in m_buffer, or around a lent block
    qsizetype m_half = 0;         // a line this long always comes in one part
    qint64 m_offset = 0;          // input bytes before m_data
    qsizetype m_start = 0;        // first unconsumed byte
    qsizetype m_end = 0;          // end of the bytes read so far
    qsizetype m_scanned = 0;      // bytes from m_start known to hold no line end (nor `wanted`)
    bool m_afterReturn = false;   // a line ended at a carriage return that ended the bytes read
    bool m_inLine = false;        // a line is being handed over in parts
    bool m_sourceDone = false;
    Status m_status = Status::success();
};

}  // namespace rosterly

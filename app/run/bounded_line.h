// A line of any length reduced, while its bytes stream past, to a short stand-in that the
// harvesting control cleans to the same result as the whole line.
#pragma once

#include <QByteArrayView>

#include <string>

namespace rosterly {

// Follows the control's cleaning through the bytes of one line (its parts appended in order;
// control characters count as spaces, see address_bytes.h) and keeps only what can still
// decide the result: where the address around the line's last "@" starts, and its bytes up to
// the limit. Memory is bounded by twice the limit, whatever the line.
//
// For every line whose address has at most `limit` bytes, handing the control standIn()
// (decoded and lower-cased like the whole line) gives the same outcome as handing it the
// whole line: the same entry test, the same cleaned text, so the same counters. A line whose
// address would be longer gives TooLong, and is not meant for the control at all.
class BoundedLine {
public:
    static constexpr qsizetype kDefaultLimit = qsizetype(1) << 20;

    enum class Kind {
        NoAt,       // no "@": the control is not asked
        NoShape,    // fails the control's entry test (no "." after an "@")
        NoAddress,  // passes the entry test but cleans to the empty text
        Address,    // cleans to an address of `size` bytes
        TooLong,    // would clean to an address longer than the limit
    };
    struct Outcome {
        Kind kind = Kind::NoAt;
        qsizetype size = 0;
    };

    // `limit` is at least 1.
    explicit BoundedLine(qsizetype limit = kDefaultLimit);

    // Starts a new line.
    void reset();

    // The line's next bytes; they hold no line end.
    void append(QByteArrayView bytes);

    // A whole line at once, for reset() and append(line): the same outcome, and standIn() the
    // same text, though it may view `line` itself, valid while `line` is and until the next
    // reset(). The next line starts with reset().
    Outcome reduceWhole(QByteArrayView line);

    // What the bytes appended so far give. Cheap: a run may ask after every byte.
    Outcome outcome() const;

    // The text to hand the control for `outcome`: the address itself, or a text the control
    // judges the same way as the line ("@" fails the entry test, "@." cleans to the empty
    // text); empty for NoAt and TooLong. Valid until the next reset() or append() of an "@";
    // an outcome taken earlier stays good as long as no "@" was appended since.
    QByteArrayView standIn(Outcome outcome) const;

private:
    const char* skip(const char* from, const char* to);
    const char* skipCandidateSegment(const char* from, const char* to);
    const char* follow(const char* from, const char* to);
    const char* segmentStartIn(const char* from, const char* to) const;
    void startCandidate(const char* at);
    const char* keepRun(const char* from, const char* to);
    void keepTexts(const char* begin, const char* end);
    bool reduceAroundOnlyAt(QByteArrayView line);
    char before(const char* p) const { return p > m_partBegin ? p[-1] : m_lastByte; }
    qint64 positionOf(const char* p) const { return m_length + (p - m_partBegin); }
    bool segmentIsCandidate() const { return m_hasCandidate && m_segmentStart == m_front; }

    qsizetype m_limit;
    qint64 m_length = 0;  // bytes appended before the current part
    const char* m_partBegin = nullptr;
    char m_lastByte = 0;  // the last byte of the previous part
    bool m_seenAt = false;
    bool m_shape = false;  // an "@" with a "." after it: the control's entry test

    // The segment: the bytes after the last left delimiter (or from the second of two full
    // stops). Its first bytes in earlier parts are kept while it is not the candidate's.
    qint64 m_segmentStart = 0;
    std::string m_segment;

    // The candidate: the segment holding the last "@", where the address starts. Its bytes are
    // followed from its first "@" until a right delimiter fixes where it can end at the latest
    // (m_candidateEnd); its first bytes in earlier parts are kept.
    bool m_hasCandidate = false;
    qint64 m_front = 0;
    qint64 m_firstAt = 0;
    qint64 m_candidateEnd = 0;  // where it stopped taking bytes, once it is no longer open
    qint64 m_firstDot = -1;  // the first "." after the first "@"
    qint64 m_lastKept = -1;  // the last byte after the first "@" not trimmed off the back
    bool m_startsWithAt = false;
    bool m_open = false;  // no right delimiter since the first "@" yet
    std::string m_candidate;
    const char* m_frontInLine = nullptr;  // the candidate, where reduceWhole() left it
};

}  // namespace rosterly

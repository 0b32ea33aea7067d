// The run's one record of the addresses it has accepted: the duplicate test, and the text that
// the list files are written from.
#pragma once

#include <QByteArrayView>
#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "compact_array.h"
#include "entry_index.h"

namespace rosterly {

// Every accepted address once, numbered from 0 in order of acceptance (an entry), as the line
// a list file holds for it: the address in UTF-8, then CR LF. The lines stand one after
// another in one block, so a run of entries is a run of the list file's bytes.
//
// Membership is exact, code unit by code unit: no wildcards, no case folding, no substring
// matches; the tail of a longer address is a different address. A lone surrogate, which UTF-8
// cannot hold, is kept as its own three bytes (as UTF-8 would write that value), so distinct
// texts keep distinct lines; such a line is not yet the file's byte form (see fileLine).
//
// Memory: the lines, 4 bytes per entry for where they start, and the duplicate index (about 12
// bytes per entry) until releaseIndex(). Up to 4,294,967,294 entries.
class AcceptedAddresses {
public:
    using Entry = uint32_t;

    AcceptedAddresses() = default;
    AcceptedAddresses(const AcceptedAddresses&) = delete;
    AcceptedAddresses& operator=(const AcceptedAddresses&) = delete;

    bool contains(QStringView address) const;
    // Records `address` as the next entry. Nothing, and no change, when it was recorded
    // already or the record is full.
    std::optional<Entry> insert(QStringView address);

    // The same in two steps, so that the record's memory is fetched while the caller does other
    // work: prepare() takes the address (encoded, so it need not stay alive) and starts fetching;
    // containsPrepared() and insertPrepared() then answer as contains() and insert() would for
    // it. Any other lookup in between replaces the prepared address.
    void prepare(QStringView address) const;
    bool containsPrepared() const;
    std::optional<Entry> insertPrepared();
    qsizetype size() const { return qsizetype(m_lineStarts.size()); }

    // The entry's line as stored. Views stay valid until the next insert or clear.
    QByteArrayView line(Entry entry) const;
    // The lines of entries first to end - 1, one after another.
    QByteArrayView lines(Entry first, Entry end) const;
    // True while every line is the byte form a list file holds: no lone surrogate recorded.
    bool linesAreFileBytes() const { return !m_holdsLoneSurrogate; }
    // The entry's line as a list file holds it: UTF-8 as encodeText() writes it, then CR LF.
    QByteArray fileLine(Entry entry) const;
    // The address of an entry, exactly as recorded.
    QString address(Entry entry) const;
    void address(Entry entry, QString& out) const;

    // Fetching the lines of `entries`, read at random, into the cache before they are read, all
    // of them at once: prefetchLines() reads where each line starts (loads that do not wait on
    // each other overlap) and starts fetching the lines, so a group costs about two trips to
    // memory instead of two each. A reader that knows its entries a step further ahead calls
    // prefetchStarts() first, which waits for nothing.
    void prefetchStarts(std::span<const Entry> entries) const;
    void prefetchLines(std::span<const Entry> entries) const;

    // The run's guess of how many entries it will hold in all: when the duplicate index must
    // grow next, it grows to room for them at once instead of step by step, each step placing
    // every entry again in memory the system must clear first. A guess too high costs nothing
    // unless the index has to grow again; one too low changes nothing.
    void expect(qint64 entries);

    // Gives the duplicate index's memory back once the run reads no more; a later contains()
    // or insert() builds it anew.
    void releaseIndex();
    // Forgets every address and gives the memory back.
    void clear();

private:
    uint64_t startOf(Entry entry) const;
    void buildIndex() const;
    uint64_t hashOf(QByteArrayView line) const;

    CompactArray<char> m_lines;           // every entry's line, in order
    CompactArray<uint32_t> m_lineStarts;  // low 32 bits of where each line starts
    CompactArray<Entry> m_wraps;          // entries whose start is a further 4 GiB on
    mutable EntryIndex m_index;
    // The program's random seed keeps a crafted input from knowing which lines collide. Taken
    // once: the index must hash a line alike for as long as it holds it.
    const uint64_t m_seed = uint64_t(QHashSeed::globalSeed());
    // The line being looked up, and what prepare() found out about it.
    mutable QByteArray m_scratch;
    mutable uint64_t m_scratchHash = 0;
    mutable bool m_scratchLone = false;
    mutable bool m_scratchAbsent = false;  // a lookup found it missing, and nothing came since
    bool m_holdsLoneSurrogate = false;
    mutable bool m_indexReleased = false;
};

// A run of consecutive entries of a record: first to end - 1.
struct EntryRange {
    AcceptedAddresses::Entry first = 0;
    AcceptedAddresses::Entry end = 0;
    bool isEmpty() const { return first == end; }
};

// How many entries a run will hold once an input is read, if the rest of its `inputBytes` adds
// them at the rate its first `bytesRead` did: `before` were held before the input, `now` are
// held after those bytes. The input's share is taken a tenth larger, so that a close guess does
// not leave a last step of growth for the end of the input. At least `now`.
qint64 guessEntries(qint64 before, qint64 now, qint64 bytesRead, qint64 inputBytes);

// The line of `address` as the record stores it: its code units as UTF-8 (a lone surrogate as
// the three bytes of its value), then CR LF. `out` is replaced. True when a lone surrogate
// was among them.
bool encodeLine(QStringView address, QByteArray& out);
// The text of stored bytes: a line without its CR LF, or any part of one cut between
// characters. decodeStored(line without CR LF) is the address encodeLine was given.
QString decodeStored(QByteArrayView bytes);
// As above, into `out`, reusing its storage.
void decodeStored(QByteArrayView bytes, QString& out);

}  // namespace rosterly

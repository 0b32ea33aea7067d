// The harvest run behind the "&Extract" button: obtains the input, hands every line holding
// "@" to the harvesting control, keeps the new acceptable addresses and writes them as a list
// file or as piece files, with the summary and the failure report.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include "accepted_addresses.h"
#include "address_table.h"
#include "harvest_window.h"

namespace rosterly {

class SievanCalls;

// The run state lives as long as the window; a run starts from the window's handler of the
// "&Extract" button after the fields passed checkFields() and the window was locked.
//
// Failures: a step that fails is abandoned, together with the rest of the procedure it ran
// in; the run remembers the failure and goes on with its next step. Its only report is the
// box "File not found." after the output step. A save writes its file completely or not at
// all, and a failed save is such a failure.
class HarvestRun {
public:
    explicit HarvestRun(HarvestParts parts);
    ~HarvestRun();
    HarvestRun(const HarvestRun&) = delete;
    HarvestRun& operator=(const HarvestRun&) = delete;

    // The whole run, up to the summary and the failure report. Returns with the window
    // unlocked, also when the user closed the window during the run: the run then stops
    // reading, closes its files and ends without writing the list or showing a box.
    void Extract();

private:
    // The run's one record of what it has accepted: every accepted address once, its duplicate
    // test, and the text the list files are written from. Emptied at the end of every run.
    AcceptedAddresses m_accepted;

public:
    // The run state. Counts are wide enough for any input. The table and ListText name entries
    // of the run's record.
    rosterly::AddressTable AddressTable{m_accepted};
    // The addresses of the list (or, when splitting, of the current piece) in input order,
    // while alphabetical sorting is off.
    EntryRange ListText;
    QString CurrentAddress;
    qint64 AcceptedCount = 0;
    qint64 DuplicateCount = 0;
    qint64 PieceFill = 0;
    qint64 PieceNumber = 0;

    // Where the run puts a fetched document, and its piece files.
    QString temporaryFilePath() const;
    QString pieceFilePath(qint64 number) const;

private:
    // harvest_run.cpp: the input and the read loop
    void openInput(QFile& input);
    void fetchIntoTemporaryFile(QFile& input);
    void openOutput(QFile& output, const QFile& input);
    void readLines(QFile& input);
    void handleLine(const QString& line);
    void accept(QStringView address);
    void showProgress();
    void reportFailure();

    // harvest_output.cpp: the split step, the last piece and the output step
    bool CheckSize();
    bool writeLastPiece();
    bool SaveFile();
    bool saveList();
    bool saveTable(const QString& path, bool rich);
    bool saveListText(const QString& path, bool rich);
    void forgetRun();
    void showSummary(const QString& text);

    // harvest_domains.cpp
    void DoDomain();
    void SortDomains();

    void fail() { m_failed = true; }

    HarvestParts m_parts;
    HarvestWindow& m_window;
    SievanCalls* m_sievan = nullptr;  // during the read loop
    QString m_line;                   // the current line, lower-cased; reused
    QElapsedTimer m_sinceYield;       // invalid until the run's first yield
    bool m_failed = false;
    bool m_stopped = false;  // the window was closed during the run
};

}  // namespace rosterly

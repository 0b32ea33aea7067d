// The harvest run behind the "&Extract" button: obtains the input, hands every line holding
// "@" to the harvesting control, keeps the new acceptable addresses and writes them as a list
// file or as piece files, with the summary and the failure report.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <unordered_set>
#include <vector>

#include "accepted_addresses.h"
#include "address_table.h"
#include "harvest_window.h"
#include "input_file.h"
#include "platform/status.h"

namespace rosterly {

class ListFile;
class SievanCalls;

// The run state lives as long as the window; a run starts from the window's handler of the
// "&Extract" button after the fields passed checkFields() and the window was locked.
//
// Failures: a step that fails is abandoned, together with the rest of the procedure it ran
// in; the run records why and goes on with its next step. Its only report is the box
// "File not found." after the output step, with every recorded reason as its details. A save
// writes its file completely or not at all, and a failed save is such a failure. No file the
// run reads is ever written: an output or piece file that names an input, under any name, is a
// file that cannot be written.
class HarvestRun {
public:
    explicit HarvestRun(HarvestParts parts);
    ~HarvestRun();
    HarvestRun(const HarvestRun&) = delete;
    HarvestRun& operator=(const HarvestRun&) = delete;

    // The whole run, up to the summary and the failure report. Returns with the window
    // unlocked, also when the user closed the window during the run: the run then stops
    // reading (or fetching), closes its files and ends without writing the list or showing a
    // box.
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
    QString CurrentAddress;  // the latest accepted address, as the status line last showed it
    qint64 AcceptedCount = 0;
    qint64 DuplicateCount = 0;
    qint64 PieceFill = 0;
    qint64 PieceNumber = 0;

    // Where the run puts a fetched document, and its piece files.
    QString temporaryFilePath() const;
    QString pieceFilePath(qint64 number) const;

    // Why the steps of the last run failed, in order, each reason once; empty when none did.
    const QStringList& failures() const { return m_failures; }

private:
    // harvest_input.cpp: the input files, the output file and the read loop
    void planInputs();
    void fetchIntoTemporaryFile();
    Status fetchDocument();
    bool openInput(qsizetype index, QFile& input);
    void openOutput(QFile& output);
    Status checkTarget(const QString& path) const;
    void readInputs(QFile& first);
    void readLines(QFile& input);
    void reportReading(qint64 bytesConsumed);
    void handleLine(QStringView line);
    void settleAddress();

    bool accept(QStringView address);  // false when the record could not take it
    void showProgress(QStringView address);
    void reportFailure();

    // harvest_output.cpp: the split step, the last piece and the output step
    Status CheckSize();
    Status writeLastPiece();
    Status SaveFile();
    Status saveList();
    Status saveTable(const QString& path, bool rich);
    Status saveListText(const QString& path, bool rich);
    void startGrowingList();
    void writeGrowingList();
    Status finishGrowingList();
    void forgetRun();
    void showSummary(const QString& text);

    // harvest_domains.cpp
    void DoDomain();
    void SortDomains();

    // Records why a step failed; a success records nothing.
    void note(const Status& status);
    bool stopped();

    HarvestParts m_parts;
    HarvestWindow& m_window;
    HarvestOptions m_options;  // as they stood when the run started
    QStringList m_inputFiles;  // the files to read, in order
    // Every input known to exist, under whatever name: none of them is ever written.
    std::unordered_set<FileIdentity, FileIdentityHash> m_inputIdentities;
    SievanCalls* m_sievan = nullptr;  // during the read loop
    QElapsedTimer m_sinceYield;       // invalid until the run's first yield
    int m_acceptedSinceClock = 0;     // accepted addresses since m_sinceYield was last read
    QElapsedTimer m_sinceReport;      // since the read loop's position was last shown
    ReadingProgress m_reading;
    // The last line's address: it is looked up in the record only after the control has had the
    // next line, so that its place in the record arrives in the meantime.
    QString m_pendingAddress;
    bool m_addressPending = false;
    bool m_pendingIsRecorded = false;  // m_pendingAddress is settled, and in the record
    // The list of a run that keeps its addresses in input order, in one file: it is written
    // while the input is read, up to m_grownUpTo, and put in place at the output step.
    std::unique_ptr<ListFile> m_growingList;
    AcceptedAddresses::Entry m_grownUpTo = 0;
    QStringList m_failures;            // different reasons, in order of their first failure
    qsizetype m_unlistedFailures = 0;  // different reasons beyond those listed
    bool m_stopped = false;            // the window was closed during the run
};

}  // namespace rosterly

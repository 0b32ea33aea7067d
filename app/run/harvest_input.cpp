// The input side of a run: the files to read (or the document to fetch first), the output
// file's opening, and the read loop.
#include <QDir>

#include "acceptance.h"
#include "fetched_document.h"
#include "harvest_run.h"
#include "input_plan.h"
#include "internet_transfer.h"
#include "platform/rich_text_buffer.h"
#include "read_ahead.h"
#include "sievan_calls.h"

namespace rosterly {
namespace {

// A fetch keeps the window painted and answering at about the pace of the read loop.
constexpr qint64 kFetchYieldIntervalMs = 15;
// Often enough for a progress line to look live.
constexpr qint64 kReadingReportIntervalMs = 100;
// How long the run waits for the next lines of a slow input before the window gets its turn.
constexpr std::chrono::milliseconds kInputWait{15};
constexpr std::size_t kLinesAhead = 8;
// An input this long is read halfway before the run guesses how many addresses it will hold
// (AcceptedAddresses::expect); a shorter one is over before a guess could pay. A guess too high
// costs memory only when addresses still come in after it: halfway, the index then gets room
// for at most 2.2 times the addresses held at the end, where growing step by step leaves room
// for 1.5 times. Guessing earlier would save a little more time at the risk of more memory.
constexpr qint64 kGuessedInputBytes = qint64(16) << 20;
constexpr qint64 kGuessAfterShare = 2;

// How the run reports a call on the control that failed; `what` names the member.
Status controlFailure(HRESULT result, const char* what) {
    return Status::failure(QStringLiteral("The harvesting control failed in %1 (0x%2).")
                               .arg(QLatin1String(what))
                               .arg(quint32(result), 8, 16, QLatin1Char('0')));
}

}  // namespace

void HarvestRun::planInputs() {
    m_inputFiles.clear();
    m_inputIdentities.clear();
    if (m_options.urlMode()) {
        fetchIntoTemporaryFile();
        return;
    }
    InputPlan plan = planInputFiles(m_options.inputs, m_options.readDirectories,
                                    [this](const Status& status) { note(status); });
    m_inputFiles = std::move(plan.files);
    m_inputIdentities.reserve(plan.identities.size());
    m_inputIdentities.insert(plan.identities.begin(), plan.identities.end());
}

// The document goes into the temporary file as it arrives. A failed fetch leaves the file
// empty, so nothing is harvested; a temporary file that cannot be written gives no lines (an
// older copy of it is not read).
void HarvestRun::fetchIntoTemporaryFile() {
    m_window.setStatus(QStringLiteral("Retrieving..."));
    m_parts.rchFile.setText(QString());
    const QString path = temporaryFilePath();
    if (const Status refused = checkTarget(path); !refused.ok()) {
        note(refused);
        return;
    }
    Status fetched = fetchDocument();
    if (!fetched.ok()) {
        note(fetched);
        if (m_stopped) return;
        FetchedDocumentFile empty(path);
        fetched = empty.open();
        if (fetched.ok()) fetched = empty.commit();
        if (!fetched.ok()) {
            note(fetched);
            return;
        }
    }
    m_inputFiles << path;
    if (const auto identity = identityOf(path)) m_inputIdentities.insert(*identity);
}

Status HarvestRun::fetchDocument() {
    FetchedDocumentFile document(temporaryFilePath());
    if (Status opened = document.open(); !opened.ok()) return opened;
    m_parts.Inet1.setUrl(m_options.url);
    QElapsedTimer sinceYield;
    sinceYield.start();
    const Status fetched =
        m_parts.Inet1.fetch([&document](QByteArrayView bytes) { return document.append(bytes); },
                            [this, &sinceYield] {
                                if (sinceYield.elapsed() >= kFetchYieldIntervalMs) {
                                    m_window.yield();
                                    sinceYield.start();
                                }
                                return !stopped();
                            });
    if (!fetched.ok()) {
        return Status::failure(QStringLiteral("Web address \"%1\" could not be fetched: %2")
                                   .arg(m_options.url, fetched.message()));
    }
    return document.commit();
}

// Writing to a file that is being read would lose the input: such a file is refused before
// anything is opened for writing, and so is anything but a regular file.
Status HarvestRun::checkTarget(const QString& path) const {
    if (Status writable = checkWritableFile(path); !writable.ok()) return writable;
    const auto identity = identityOf(path);
    if (identity && m_inputIdentities.contains(*identity)) {
        return Status::failure(
            QStringLiteral("\"%1\" is an input of this run and is not written over.").arg(path));
    }
    return Status::success();
}

bool HarvestRun::openInput(qsizetype index, QFile& input) {
    FileIdentity identity;
    const Status opened = openRegularFile(m_inputFiles[index], input, identity);
    note(opened);
    if (!opened.ok()) return false;
    m_inputIdentities.insert(identity);
    return true;
}

// Nothing is written through this file: opening it creates the list file or empties an old
// one, and the output step replaces it with the list.
void HarvestRun::openOutput(QFile& output) {
    const QString path = m_options.output;
    if (const Status refused = checkTarget(path); !refused.ok()) {
        note(refused);
        return;
    }
    output.setFileName(path);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        note(Status::failure(QStringLiteral("Output file \"%1\" cannot be opened: %2.")
                                 .arg(path, output.errorString())));
    }
}

// `first` is the first input, open or not; the others are opened one after another.
void HarvestRun::readInputs(QFile& first) {
    SievanCalls sievan(m_parts.Sievan1);
    m_sievan = &sievan;
    for (qsizetype i = 0; i < m_inputFiles.size() && !m_stopped; ++i) {
        QFile next;
        QFile& input = i == 0 ? first : next;
        if (i > 0) openInput(i, input);
        m_reading = {i + 1, m_inputFiles.size(), m_inputFiles[i], 0, AcceptedCount};
        m_window.showReading(m_reading, false);
        m_sinceReport.start();
        if (input.isOpen()) readLines(input);
        input.close();
    }
    m_reading.accepted = AcceptedCount;
    m_window.showReading(m_reading, true);
    m_sievan = nullptr;
}

void HarvestRun::reportReading(qint64 bytesConsumed) {
    if (m_sinceReport.elapsed() < kReadingReportIntervalMs) return;
    m_reading.bytesRead = bytesConsumed;
    m_reading.accepted = AcceptedCount;
    m_window.showReading(m_reading, false);
    m_sinceReport.start();
    stopped();
}

// The lines come ready from the reading thread; while none are, the window gets its turn.
void HarvestRun::readLines(QFile& input) {
    ReadAhead lines(input, m_options.everyAddress);
    const qint64 inputBytes = input.isSequential() ? 0 : input.size();
    const qint64 acceptedBefore = AcceptedCount;
    bool guessed = inputBytes < kGuessedInputBytes;
    const ReadAhead::Batch* batch = nullptr;
    ReadAhead::Step step = ReadAhead::Step::End;
    while (!m_stopped && (step = lines.next(batch, kInputWait)) != ReadAhead::Step::End &&
           step != ReadAhead::Step::Error) {
        if (step == ReadAhead::Step::Waiting) {
            m_window.yield();
            stopped();
            continue;
        }
        for (std::size_t i = 0; i < batch->count() && !m_stopped; ++i) {
            // The lines were written on the reading thread's processor: they are fetched ahead.
            if (i + kLinesAhead < batch->count()) batch->prefetch(i + kLinesAhead);
            handleLine(batch->line(i));
        }
        reportReading(batch->bytesConsumed);
        writeGrowingList();
        if (!guessed && batch->bytesConsumed >= inputBytes / kGuessAfterShare) {
            guessed = true;
            m_accepted.expect(
                guessEntries(acceptedBefore, AcceptedCount, batch->bytesConsumed, inputBytes));
        }
    }
    settleAddress();
    if (step == ReadAhead::Step::Error) {
        // By the path the user gave: a file opened on its descriptor no longer knows its name.
        note(Status::failure(QStringLiteral("Input file \"%1\" could not be read: %2.")
                                 .arg(m_reading.path, lines.status().message())));
    }
}

void HarvestRun::handleLine(QStringView line) {
    // Three calls a line: the wording of a failure stays out of their way.
    const auto called = [this](HRESULT result, const char* what) {
        if (FAILED(result)) note(controlFailure(result, what));
        return SUCCEEDED(result);
    };
    called(m_sievan->putAddress(line), "Address");
    // A failed Extract leaves its cleaned text in Address; the run goes on with it.
    called(m_sievan->extract(), "Extract");
    QStringView address;
    const bool got = called(m_sievan->getAddress(address), "Address");
    // The previous line's address is settled only now: its place in the record was fetched
    // while the control had this line.
    settleAddress();
    // The empty text stands for "no address in this line": neither kept nor counted.
    if (!got || address.isEmpty() || m_stopped) return;
    // Lines often repeat the address before them: one the record holds needs no lookup.
    if (m_pendingIsRecorded && address == m_pendingAddress) {
        ++DuplicateCount;
        return;
    }
    m_pendingAddress.setUnicode(address.data(), address.size());
    m_pendingIsRecorded = false;
    m_accepted.prepare(m_pendingAddress);
    m_addressPending = true;
}

// Counts the pending address as a duplicate, or keeps it when it is new and acceptable. A run
// that was stopped keeps nothing more.
void HarvestRun::settleAddress() {
    if (!m_addressPending) return;
    m_addressPending = false;
    if (m_stopped) return;
    m_pendingIsRecorded = m_accepted.containsPrepared();
    if (m_pendingIsRecorded) {
        ++DuplicateCount;
        return;
    }
    if (isAcceptable(m_pendingAddress)) m_pendingIsRecorded = accept(m_pendingAddress);
}

}  // namespace rosterly

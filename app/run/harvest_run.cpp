#include "harvest_run.h"

#include <QDir>

#include "internet_transfer.h"
#include "list_file.h"
#include "platform/freed_memory.h"
#include "platform/rich_text_buffer.h"

namespace rosterly {
namespace {

// The status line and the window are brought up to date at most this often: often enough to
// look live, rarely enough that a fast input is not held up by painting.
constexpr qint64 kYieldIntervalMs = 15;
constexpr int kAcceptedBetweenClocks = 64;

// The failure box lists this many different reasons; a reason that repeats is listed once.
constexpr qsizetype kListedFailures = 20;

}  // namespace

HarvestRun::HarvestRun(HarvestParts parts) : m_parts(std::move(parts)), m_window(m_parts.window) {}

HarvestRun::~HarvestRun() = default;

QString HarvestRun::temporaryFilePath() const {
    return QDir(m_parts.programDirectory).filePath(QStringLiteral("temp.doc"));
}

QString HarvestRun::pieceFilePath(qint64 number) const {
    return QDir(m_parts.programDirectory).filePath(QStringLiteral("file%1.doc").arg(number));
}

void HarvestRun::Extract() {
    m_options = m_window.options();
    m_failures.clear();
    m_unlistedFailures = 0;
    m_stopped = false;
    m_pendingIsRecorded = false;  // the record starts empty
    m_sinceYield.invalidate();
    m_acceptedSinceClock = 0;
    PieceFill = 1;
    PieceNumber = 1;
    ListText = {};

    planInputs();
    QFile input;
    if (!m_inputFiles.isEmpty() && !m_stopped) openInput(0, input);
    QFile output;
    if (!m_stopped) openOutput(output);
    if (output.isOpen()) startGrowingList();
    if (!m_stopped) readInputs(input);
    m_accepted.releaseIndex();  // no more duplicate tests: the lists are written from the record
    returnFreedMemory();        // the reading's buffers, before grouping and sorting
    if (m_options.split && !m_stopped) note(writeLastPiece());

    m_window.setStatus(QString());
    CurrentAddress.clear();
    PieceFill = 0;
    input.close();
    output.close();

    if (m_stopped) {
        forgetRun();
        m_window.enableSSTab1();
        return;
    }
    note(SaveFile());
    if (!m_failures.isEmpty()) reportFailure();
}

void HarvestRun::note(const Status& status) {
    if (status.ok() || m_failures.contains(status.message())) return;
    if (m_failures.size() < kListedFailures) {
        m_failures << status.message();
    } else {
        ++m_unlistedFailures;
    }
}

bool HarvestRun::stopped() {
    if (m_window.closing()) m_stopped = true;
    return m_stopped;
}

// `address` is the one prepared in the record.
bool HarvestRun::accept(QStringView address) {
    const std::optional<AcceptedAddresses::Entry> entry = m_accepted.insertPrepared();
    if (!entry) {
        note(Status::failure(QStringLiteral("More addresses than one run can hold.")));
        return false;
    }
    ++AcceptedCount;
    showProgress(address);
    if (m_options.sort) {
        if (!m_options.domain) AddressTable.appendAddress(*entry);
    } else {
        ListText.end = *entry + 1;
    }
    if (m_options.split) note(CheckSize());
    if (m_options.domain) DoDomain();
    return true;
}

// The window paints only while it handles its events, so the text set just before a yield is
// what the user sees: always the latest accepted address. Nothing else reads CurrentAddress, so
// it takes the address only then.
void HarvestRun::showProgress(QStringView address) {
    // Reading the clock costs about as much as taking a short line: it is read every few
    // addresses, which still come far more often than the window needs painting.
    if (m_sinceYield.isValid() && ++m_acceptedSinceClock < kAcceptedBetweenClocks) return;
    m_acceptedSinceClock = 0;
    if (m_sinceYield.isValid() && m_sinceYield.elapsed() < kYieldIntervalMs) return;
    // Into the same storage, as long as the status line does not share it.
    CurrentAddress.setUnicode(address.data(), address.size());
    m_window.setStatus(CurrentAddress);
    m_window.yield();
    m_sinceYield.start();
    stopped();
}

// The box keeps its one short text; what failed, and why, is in its details.
void HarvestRun::reportFailure() {
    if (!m_stopped) {
        QString details = m_failures.join(u'\n');
        if (m_unlistedFailures > 0)
            details += QStringLiteral("\n... and %1 more.").arg(m_unlistedFailures);
        m_parts.messageBoxes.show(QStringLiteral("File not found."), MessageIcon::Critical,
                                  QStringLiteral("Error"), details);
    }
    m_window.enableSSTab1();
}

}  // namespace rosterly

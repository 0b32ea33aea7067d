#include "harvest_run.h"

#include <QDir>
#include <QFileInfo>

#include "acceptance.h"
#include "field_check.h"
#include "input_lines.h"
#include "internet_transfer.h"
#include "line_text.h"
#include "platform/rich_text_buffer.h"
#include "platform/text_codec.h"
#include "sievan_calls.h"

namespace rosterly {
namespace {

// The status line and the window are brought up to date at most this often: often enough to
// look live, rarely enough that a fast input is not held up by painting.
constexpr qint64 kYieldIntervalMs = 15;

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
    m_failed = false;
    m_stopped = false;
    m_sinceYield.invalidate();
    PieceFill = 1;
    PieceNumber = 1;
    ListText = {};

    QFile input;
    openInput(input);
    QFile output;
    openOutput(output, input);
    if (input.isOpen()) readLines(input);
    m_accepted.releaseIndex();  // no more duplicate tests: the lists are written from the record
    if (m_window.splitOn() && !m_stopped && !writeLastPiece()) fail();

    m_window.setStatus(QString());
    CurrentAddress.clear();
    m_line = QString();
    PieceFill = 0;
    input.close();
    output.close();

    if (m_stopped) {
        forgetRun();
        m_window.enableSSTab1();
        return;
    }
    if (!SaveFile()) fail();
    if (m_failed) reportFailure();
}

void HarvestRun::openInput(QFile& input) {
    if (isUrlMode(m_window.urlText())) {
        fetchIntoTemporaryFile(input);
        return;
    }
    input.setFileName(m_window.inputPath());
    // Unbuffered: the line reader reads in large blocks of its own.
    if (!input.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) fail();
}

void HarvestRun::fetchIntoTemporaryFile(QFile& input) {
    m_window.setStatus(QStringLiteral("Retrieving..."));
    RichTextBuffer& buffer = m_parts.rchFile;
    buffer.setText(QString());
    m_parts.Inet1.setUrl(m_window.urlText());
    if (FetchResult fetched = m_parts.Inet1.fetch(); fetched.ok()) {
        // Documents from the web mostly end their lines with a lone line feed, which would
        // make the whole document one line; the buffer holds CR LF line breaks.
        buffer.setText(withCrLfBreaks(decodeBytes(fetched.document())));
    } else {
        fail();
    }
    // A temporary file that cannot be written gives no lines: an older copy is not read.
    if (!buffer.saveFile(temporaryFilePath(), RichTextBuffer::Format::Plain).ok()) {
        fail();
        return;
    }
    input.setFileName(temporaryFilePath());
    if (!input.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) fail();
}

void HarvestRun::openOutput(QFile& output, const QFile& input) {
    output.setFileName(m_window.outputPath());
    // Emptying the file that is being read would lose the input; the opening fails instead.
    const QFileInfo target(output.fileName());
    if (input.isOpen() && target.exists() &&
        target.canonicalFilePath() == QFileInfo(input.fileName()).canonicalFilePath()) {
        fail();
        return;
    }
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail();
}

void HarvestRun::readLines(QFile& input) {
    InputLines lines(input);
    SievanCalls sievan(m_parts.Sievan1);
    m_sievan = &sievan;
    QByteArrayView bytes;
    InputLines::Step step;
    while ((step = lines.nextHolding('@', bytes)) == InputLines::Step::Line) {
        lowerCasedLine(bytes, m_line);
        handleLine(m_line);
        if (m_stopped) break;
    }
    m_sievan = nullptr;
    if (step == InputLines::Step::Error) fail();
}

void HarvestRun::handleLine(const QString& line) {
    if (FAILED(m_sievan->putAddress(line))) fail();
    // A failed Extract leaves its cleaned text in Address; the run goes on with it.
    if (FAILED(m_sievan->extract())) fail();
    QStringView address;
    if (FAILED(m_sievan->getAddress(address))) {
        fail();
        return;
    }
    // The empty text stands for "no address in this line": neither kept nor counted.
    if (address.isEmpty()) return;
    if (m_accepted.contains(address)) {
        ++DuplicateCount;
        return;
    }
    if (!isAcceptable(address)) return;
    accept(address);
}

void HarvestRun::accept(QStringView address) {
    const std::optional<AcceptedAddresses::Entry> entry = m_accepted.insert(address);
    if (!entry) {  // the record is full
        fail();
        return;
    }
    ++AcceptedCount;
    // Into the same storage, as long as the status line does not share it.
    CurrentAddress.setUnicode(address.data(), address.size());
    showProgress();
    if (m_window.sortOn()) {
        if (!m_window.domainOn()) AddressTable.appendAddress(*entry);
    } else {
        ListText.end = *entry + 1;
    }
    if (m_window.splitOn() && !CheckSize()) fail();
    if (m_window.domainOn()) DoDomain();
}

// The window paints only while it handles its events, so the text set just before a yield is
// what the user sees: always the latest accepted address.
void HarvestRun::showProgress() {
    if (m_sinceYield.isValid() && m_sinceYield.elapsed() < kYieldIntervalMs) return;
    m_window.setStatus(CurrentAddress);
    m_window.yield();
    m_sinceYield.start();
    if (m_window.closing()) m_stopped = true;
}

void HarvestRun::reportFailure() {
    if (!m_stopped)
        m_parts.messageBoxes.show(QStringLiteral("File not found."), MessageIcon::Critical,
                                  QStringLiteral("Error"));
    m_window.enableSSTab1();
}

}  // namespace rosterly

// The split step, the last piece and the output step of a run.
#include "harvest_run.h"
#include "list_file.h"
#include "piece_size.h"

namespace rosterly {
namespace {

QString splitSummary(qint64 accepted, qint64 duplicates) {
    return QStringLiteral(
               "%1 Addresses extracted,\r\n"
               "%2 Duplicates removed.\r\n"
               "These files are saved in the\r\n"
               "Quillan's directory as File#.doc")
        .arg(accepted)
        .arg(duplicates);
}

QString shortSummary(qint64 accepted, qint64 duplicates) {
    return QStringLiteral(
               "%1 Addresses extracted, \r\n"
               "%2 Duplicates removed.")
        .arg(accepted)
        .arg(duplicates);
}

}  // namespace

// The lists are written from the run's record as they stand there, never gathered into one
// text: a list of millions of addresses is not held a second time.
bool HarvestRun::saveTable(const QString& path, bool rich) {
    ListFile file(path, rich ? ListFile::Format::Rich : ListFile::Format::Plain, m_accepted);
    AddressTable.forEachLine([&](AcceptedAddresses::Entry entry) { file.addLine(entry); });
    return file.commit().ok();
}

bool HarvestRun::saveListText(const QString& path, bool rich) {
    ListFile file(path, rich ? ListFile::Format::Rich : ListFile::Format::Plain, m_accepted);
    file.addLines(ListText.first, ListText.end);
    return file.commit().ok();
}

// A piece is written when its N-th address has been stored, so every piece but the last holds
// exactly N. A piece that cannot be written keeps its addresses and the counters keep their
// values: the next address tries the same piece again, one address longer.
bool HarvestRun::CheckSize() {
    const qint64 size = pieceSize(m_window.pieceSizeText());
    if (PieceFill >= size) {
        if (m_window.sortOn()) {
            SortDomains();
            if (!saveTable(pieceFilePath(PieceNumber), false)) return false;
            AddressTable.clear();
        } else {
            if (!saveListText(pieceFilePath(PieceNumber), false)) return false;
            ListText.first = ListText.end;
        }
        PieceFill = 0;
        ++PieceNumber;
    }
    ++PieceFill;
    return true;
}

// Always written, also when it holds no address.
bool HarvestRun::writeLastPiece() {
    if (!m_window.sortOn()) return saveListText(pieceFilePath(PieceNumber), true);
    SortDomains();
    if (!saveTable(pieceFilePath(PieceNumber), true)) return false;
    AddressTable.clear();
    return true;
}

bool HarvestRun::SaveFile() {
    const bool saved = saveList();
    forgetRun();
    return saved;
}

void HarvestRun::forgetRun() {
    AddressTable.clear();
    ListText = {};
    m_accepted.clear();
    AcceptedCount = 0;
    DuplicateCount = 0;
}

// The window is unlocked only once the list is written, so no second run can start while this
// one sorts or writes; it is unlocked before the summary shows.
bool HarvestRun::saveList() {
    const QString output = m_window.outputPath();
    if (m_window.splitOn()) {
        showSummary(splitSummary(AcceptedCount, DuplicateCount));
        return true;
    }
    if (m_window.domainOn()) {
        // Every group is written: each domain has exactly one, so none repeats another. An
        // empty table is still a list: "<END>" alone.
        if (m_window.sortOn()) SortDomains();
        if (!saveTable(output, false)) return false;
    } else if (m_window.sortOn()) {
        SortDomains();
        if (!saveTable(output, true)) return false;
    } else {
        if (!saveListText(output, false)) return false;
    }
    showSummary(shortSummary(AcceptedCount, DuplicateCount));
    return true;
}

void HarvestRun::showSummary(const QString& text) {
    m_window.enableSSTab1();
    if (!m_stopped) m_parts.messageBoxes.show(text, MessageIcon::Information);
}

}  // namespace rosterly

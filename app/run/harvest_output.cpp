// The split step, the last piece and the output step of a run.
#include "harvest_run.h"
#include "list_file.h"
#include "piece_size.h"

namespace rosterly {
namespace {

// A list written while the input is read goes out in blocks of about this size.
constexpr qsizetype kGrowingListBlockBytes = qsizetype(1) << 20;

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

// Every file the run writes goes through these two, so none of them can replace an input. The
// lists are written from the run's record as they stand there, never gathered into one text:
// a list of millions of addresses is not held a second time.
Status HarvestRun::saveTable(const QString& path, bool rich) {
    if (Status refused = checkTarget(path); !refused.ok()) return refused;
    ListFile file(path, rich ? ListFile::Format::Rich : ListFile::Format::Plain, m_accepted);
    AddressTable.forEachLineRun(
        [&](std::span<const AcceptedAddresses::Entry> lines) { file.addLines(lines); });
    return file.commit();
}

Status HarvestRun::saveListText(const QString& path, bool rich) {
    if (Status refused = checkTarget(path); !refused.ok()) return refused;
    ListFile file(path, rich ? ListFile::Format::Rich : ListFile::Format::Plain, m_accepted);
    file.addLines(ListText.first, ListText.end);
    return file.commit();
}

// A plain list in input order needs nothing from the end of the run but its last lines: it is
// written as it grows, so that the run's end is not held up by writing all of it. Nothing
// reaches the output file before the output step puts the list in place; a run that stops
// leaves no trace of it.
void HarvestRun::startGrowingList() {
    if (m_options.split || m_options.sort || m_options.domain) return;
    m_growingList =
        std::make_unique<ListFile>(m_options.output, ListFile::Format::Plain, m_accepted);
    m_grownUpTo = ListText.first;
}

void HarvestRun::writeGrowingList() {
    if (!m_growingList ||
        m_accepted.lines(m_grownUpTo, ListText.end).size() < kGrowingListBlockBytes) {
        return;
    }
    m_growingList->addLines(m_grownUpTo, ListText.end);
    m_grownUpTo = ListText.end;
}

Status HarvestRun::finishGrowingList() {
    const std::unique_ptr<ListFile> list = std::move(m_growingList);
    if (Status refused = checkTarget(m_options.output); !refused.ok()) return refused;
    list->addLines(m_grownUpTo, ListText.end);
    return list->commit();
}

// A piece is written when its N-th address has been stored, so every piece but the last holds
// exactly N. A piece that cannot be written keeps its addresses and the counters keep their
// values: the next address tries the same piece again, one address longer.
Status HarvestRun::CheckSize() {
    const qint64 size = pieceSize(m_options.pieceSizeText);
    if (PieceFill >= size) {
        if (m_options.sort) {
            SortDomains();
            if (Status saved = saveTable(pieceFilePath(PieceNumber), false); !saved.ok())
                return saved;
            AddressTable.clear();
        } else {
            if (Status saved = saveListText(pieceFilePath(PieceNumber), false); !saved.ok())
                return saved;
            ListText.first = ListText.end;
        }
        PieceFill = 0;
        ++PieceNumber;
    }
    ++PieceFill;
    return Status::success();
}

// Always written, also when it holds no address.
Status HarvestRun::writeLastPiece() {
    if (!m_options.sort) return saveListText(pieceFilePath(PieceNumber), true);
    SortDomains();
    if (Status saved = saveTable(pieceFilePath(PieceNumber), true); !saved.ok()) return saved;
    AddressTable.clear();
    return Status::success();
}

Status HarvestRun::SaveFile() {
    Status saved = saveList();
    forgetRun();
    return saved;
}

void HarvestRun::forgetRun() {
    m_growingList.reset();
    AddressTable.clear();
    ListText = {};
    m_accepted.clear();
    AcceptedCount = 0;
    DuplicateCount = 0;
}

// The window is unlocked only once the list is written, so no second run can start while this
// one sorts or writes; it is unlocked before the summary shows.
Status HarvestRun::saveList() {
    const QString& output = m_options.output;
    if (m_options.split) {
        showSummary(splitSummary(AcceptedCount, DuplicateCount));
        return Status::success();
    }
    Status saved = Status::success();
    if (m_options.domain) {
        // Every group is written: each domain has exactly one, so none repeats another. An
        // empty table is still a list: "<END>" alone.
        if (m_options.sort) SortDomains();
        saved = saveTable(output, false);
    } else if (m_options.sort) {
        SortDomains();
        saved = saveTable(output, true);
    } else if (m_growingList) {
        saved = finishGrowingList();
    } else {
        saved = saveListText(output, false);
    }
    if (!saved.ok()) return saved;
    showSummary(shortSummary(AcceptedCount, DuplicateCount));
    return Status::success();
}

void HarvestRun::showSummary(const QString& text) {
    m_window.enableSSTab1();
    if (!m_stopped) m_parts.messageBoxes.show(text, MessageIcon::Information);
}

}  // namespace rosterly

#include "list_file.h"

#include <QFileInfo>

#include <cstdio>

#include "platform/byte_append.h"
#include "platform/rtf_writer.h"
#include "two_threads.h"

namespace rosterly {
namespace {

constexpr qsizetype kBlockBytes = qsizetype(1) << 20;
constexpr char kListEnd[] = "<END>";
// A shorter list is written in one piece: a part file and a thread would cost more than they
// save.
constexpr std::size_t kHalvesFrom = std::size_t(1) << 16;
// Lines of a list in sorted order are fetched from the record this many at once.
constexpr std::size_t kGroup = 16;

QString finalPathOf(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

}  // namespace

ListFile::ListFile(const QString& path, Format format, const AcceptedAddresses& record)
    : m_path(finalPathOf(path)),
      m_file(m_path + QStringLiteral(".XXXXXX")),
      m_format(format),
      m_record(record) {
    if (!m_file.open()) {
        m_writer.failure = m_file.errorString();
        return;
    }
    const QFileInfo old(m_path);
    m_file.setPermissions(old.exists()
                              ? old.permissions()
                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                    QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    if (m_format == Format::Rich) m_writer.block = rtfBegin();
}

void ListFile::addLine(Writer& writer, Entry entry) const {
    if (m_format == Format::Rich) {
        // Most lines are ASCII, whatever way the record holds the rest.
        if (!appendRtfAscii(writer.block, m_record.line(entry))) {
            m_record.address(entry, writer.address);
            writer.address += u"\r\n";
            appendRtfText(writer.block, writer.address);
        }
    } else if (m_record.linesAreFileBytes()) {
        appendBytes(writer.block, m_record.line(entry));
    } else {
        writer.block += m_record.fileLine(entry);
    }
    if (writer.block.size() >= kBlockBytes) writer.flush();
}

void ListFile::addLines(Entry first, Entry end) {
    if (m_format == Format::Plain && m_record.linesAreFileBytes()) {
        // The lines stand in the record as the file holds them: one write, no copy.
        m_writer.flush();
        const QByteArrayView lines = m_record.lines(first, end);
        m_writer.write(lines.data(), lines.size());
        return;
    }
    for (Entry entry = first; entry < end; ++entry) addLine(m_writer, entry);
}

void ListFile::addLines(std::span<const Entry> order) {
    if (order.size() >= kHalvesFrom && hasSecondCore() && m_writer.failure.isEmpty()) {
        addInTwoHalves(order);
    } else {
        addInOrder(m_writer, order);
    }
}

// Lines in sorted order stand anywhere in the record: while one group of them is written, the
// lines of the next are fetched, and where the group after that starts.
void ListFile::addInOrder(Writer& writer, std::span<const Entry> order) const {
    const auto group = [order](std::size_t g) {
        const std::size_t from = std::min(g * kGroup, order.size());
        return order.subspan(from, std::min(kGroup, order.size() - from));
    };
    m_record.prefetchStarts(group(0));
    m_record.prefetchStarts(group(1));
    m_record.prefetchLines(group(0));
    for (std::size_t g = 0; g * kGroup < order.size(); ++g) {
        m_record.prefetchStarts(group(g + 2));
        m_record.prefetchLines(group(g + 1));
        for (const Entry entry : group(g)) addLine(writer, entry);
    }
}

// The part file stands beside the list, so that the copy stays on one file system; it goes when
// this returns, whatever happened.
void ListFile::addInTwoHalves(std::span<const Entry> order) {
    QTemporaryFile partFile(m_path + QStringLiteral(".XXXXXX"));
    if (!partFile.open()) {
        addInOrder(m_writer, order);
        return;
    }
    const std::size_t half = order.size() / 2;
    Writer part{partFile, {}, {}, {}};
    runTwo([&] { addInOrder(m_writer, order.first(half)); },
           [&] {
               addInOrder(part, order.subspan(half));
               part.flush();
           });
    if (!part.failure.isEmpty()) {
        if (m_writer.failure.isEmpty()) m_writer.failure = part.failure;
        return;
    }
    append(partFile);
}

// Copies the part file's bytes after the list's.
void ListFile::append(QFileDevice& part) {
    m_writer.flush();
    if (!part.flush() || !part.seek(0)) {
        if (m_writer.failure.isEmpty()) m_writer.failure = part.errorString();
        return;
    }
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    while (m_writer.failure.isEmpty()) {
        const qint64 got = part.read(block.data(), block.size());
        if (got < 0) m_writer.failure = part.errorString();
        if (got <= 0) return;
        m_writer.write(block.data(), got);
    }
}

Status ListFile::commit() {
    if (m_format == Format::Rich) {
        appendRtfText(m_writer.block, QString::fromLatin1(kListEnd));
        m_writer.block += rtfEnd();
    } else {
        m_writer.block += kListEnd;
    }
    m_writer.flush();
    QString& failure = m_writer.failure;
    if (failure.isEmpty() && !m_file.flush()) failure = m_file.errorString();
    if (!failure.isEmpty()) {
        return Status::failure(
            QStringLiteral("\"%1\" cannot be written: %2.").arg(m_path, failure));
    }
    m_file.close();
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(),
                    QFile::encodeName(m_path).constData()) != 0) {
        return Status::failure(
            QStringLiteral("\"%1\" cannot be written: %2.").arg(m_path, qt_error_string(errno)));
    }
    m_file.setAutoRemove(false);
    return Status::success();
}

void ListFile::Writer::flush() {
    write(block.data(), block.size());
    block.resize(0);
}

// The first failure is kept; nothing more is written after it.
void ListFile::Writer::write(const char* data, qsizetype size) {
    if (failure.isEmpty() && size > 0 && file.write(data, size) != size) {
        failure = file.errorString();
    }
}

}  // namespace rosterly

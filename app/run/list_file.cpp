#include "list_file.h"

#include <QFileInfo>

#include <cstdio>

#include "platform/rtf_writer.h"

namespace rosterly {
namespace {

constexpr qsizetype kBlockBytes = qsizetype(1) << 20;
constexpr char kListEnd[] = "<END>";

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
        m_failure = m_file.errorString();
        return;
    }
    const QFileInfo old(m_path);
    m_file.setPermissions(old.exists()
                              ? old.permissions()
                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                    QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    if (m_format == Format::Rich) m_block = rtfBegin();
}

void ListFile::addLine(Entry entry) {
    if (m_format == Format::Rich) {
        // Most lines are ASCII, whatever way the record holds the rest.
        if (!appendRtfAscii(m_block, m_record.line(entry))) {
            m_record.address(entry, m_address);
            m_address += u"\r\n";
            appendRtfText(m_block, m_address);
        }
    } else if (m_record.linesAreFileBytes()) {
        m_block += m_record.line(entry);
    } else {
        m_block += m_record.fileLine(entry);
    }
    flushIfFull();
}

void ListFile::addLines(Entry first, Entry end) {
    if (m_format == Format::Plain && m_record.linesAreFileBytes()) {
        // The lines stand in the record as the file holds them: one write, no copy.
        flush();
        const QByteArrayView lines = m_record.lines(first, end);
        write(lines.data(), lines.size());
        return;
    }
    for (Entry entry = first; entry < end; ++entry) addLine(entry);
}

Status ListFile::commit() {
    if (m_format == Format::Rich) {
        appendRtfText(m_block, QString::fromLatin1(kListEnd));
        m_block += rtfEnd();
    } else {
        m_block += kListEnd;
    }
    flush();
    if (m_failure.isEmpty() && !m_file.flush()) m_failure = m_file.errorString();
    if (!m_failure.isEmpty()) {
        return Status::failure(
            QStringLiteral("\"%1\" cannot be written: %2.").arg(m_path, m_failure));
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

void ListFile::flushIfFull() {
    if (m_block.size() >= kBlockBytes) flush();
}

void ListFile::flush() {
    write(m_block.data(), m_block.size());
    m_block.resize(0);
}

}  // namespace rosterly

namespace rosterly {

// The first failure is kept; nothing more is written after it.
void ListFile::write(const char* data, qsizetype size) {
    if (m_failure.isEmpty() && size > 0 && m_file.write(data, size) != size) {
        m_failure = m_file.errorString();
    }
}

}  // namespace rosterly

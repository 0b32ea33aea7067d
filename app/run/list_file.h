// Writing a list file from the run's record, without holding the list's text a second time.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>

#include <span>

#include "accepted_addresses.h"
#include "platform/status.h"

namespace rosterly {

// A list file: the lines of the entries added, in order (each address, then CR LF), then
// "<END>". Plain is that text as UTF-8 (encodeText); Rich is the RTF document writeRtf() makes
// of it. The text goes out in blocks, as it is added, to a new file beside `path`, which
// commit() renames over `path` in one step: a list that fails on the way never leaves a
// half-written file, and an existing file then keeps its old contents. The new file takes the
// old one's permissions (rw-r--r-- when there is none); a symbolic link at `path` is followed.
//
// The list is not forced to the disk before the rename: a split run writes thousands of piece
// files, and waiting for the disk at each would cost the run most of its time.
class ListFile {
public:
    using Entry = AcceptedAddresses::Entry;
    enum class Format { Plain, Rich };

    // `record` holds the entries added and must outlive the list file.
    ListFile(const QString& path, Format format, const AcceptedAddresses& record);
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;

    // The lines of entries first to end - 1.
    void addLines(Entry first, Entry end);
    // The lines of the entries named in `order`, in that order: a sorted or grouped list, whose
    // lines the record holds at random. A long one is written in two halves at once where the
    // processor has a second core; the second half goes to a part file beside the list until
    // the first is written, and is then copied after it.
    void addLines(std::span<const Entry> order);
    // Ends the list with "<END>" and puts the file in place. Nothing is written without it.
    Status commit();

private:
    // Lines gathered in blocks on their way to one file: the list's, or a part of it.
    struct Writer {
        QFileDevice& file;
        QByteArray block;  // written when it reaches kBlockBytes
        QString address;   // the line being written as RTF; reused
        QString failure;   // why the file cannot be written; empty while it can
        void write(const char* data, qsizetype size);
        void flush();
    };

    void addLine(Writer& writer, Entry entry) const;
    void addInOrder(Writer& writer, std::span<const Entry> order) const;
    void addInTwoHalves(std::span<const Entry> order);
    void append(QFileDevice& part);

    QString m_path;  // where the list goes
    QTemporaryFile m_file;
    const Format m_format;
    const AcceptedAddresses& m_record;
    Writer m_writer{m_file, {}, {}, {}};
};

}  // namespace rosterly

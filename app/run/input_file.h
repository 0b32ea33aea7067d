// Opening the run's input files, and knowing them again under other names.
#pragma once

#include <QFile>
#include <QString>

#include <sys/types.h>
#include <functional>
#include <optional>

#include "platform/status.h"

namespace rosterly {

// What makes a file the same file under any of its names: a symbolic link or another hard link
// to it shares these.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct FileIdentityHash {
    size_t operator()(const FileIdentity& identity) const {
        return std::hash<unsigned long long>()(identity.inode * 0x9E3779B97F4A7C15ull ^
                                               identity.device);
    }
};

// The identity of the file `path` names, following symbolic links; none when it names nothing
// that can be looked at.
std::optional<FileIdentity> identityOf(const QString& path);

// Whether `path` may be written: it names nothing yet, or a regular file (through any links).
// A directory, FIFO, device or socket is refused: opening one for writing could block, and
// replacing it would destroy it. The failure names the path and says why.
Status checkWritableFile(const QString& path);

// Opens `path` for reading into `file` (unbuffered: readers take large blocks of their own) when
// it is a regular file. A directory, FIFO, device or socket is refused at once: the opening
// never waits for a writer at the other end of a FIFO. On success `identity` describes the file
// opened. The failure names the path and says why.
Status openRegularFile(const QString& path, QFile& file, FileIdentity& identity);

}  // namespace rosterly

// The files a run reads, in the order it reads them.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "input_file.h"
#include "platform/status.h"

namespace rosterly {

struct InputPlan {
    QStringList files;                     // in reading order
    std::vector<FileIdentity> identities;  // of those files that exist, in no order
};

// The files `named` stands for: each named path as it stands, except that with
// `readDirectories` a directory stands for the regular files beneath it, recursively, in byte
// order of their paths relative to it. Symbolic links, FIFOs, devices and sockets beneath a
// directory are skipped. A directory or subdirectory that cannot be listed is reported to
// `failed` and the others are still taken.
//
// The files beneath a directory are known by the inode numbers their directory lists for them,
// so a tree of many small files costs no look-up of each before it is read.
InputPlan planInputFiles(const QStringList& named, bool readDirectories,
                         const std::function<void(const Status&)>& failed);

}  // namespace rosterly

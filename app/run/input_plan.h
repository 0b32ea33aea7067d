// The files a run reads, in the order it reads them.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "platform/status.h"

namespace rosterly {

// The files `named` stands for, in reading order: each named path as it stands, except that
// with `readDirectories` a directory stands for the regular files beneath it, recursively, in
// byte order of their paths relative to it. Symbolic links, FIFOs, devices and sockets beneath
// a directory are skipped. A directory or subdirectory that cannot be listed is reported to
// `failed` and the others are still taken.
QStringList inputFilesOf(const QStringList& named, bool readDirectories,
                         const std::function<void(const Status&)>& failed);

}  // namespace rosterly

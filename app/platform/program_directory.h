// The program's own directory: where a web harvest keeps its temporary file and a split run its
// piece files.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <functional>

#include "platform/status.h"

namespace rosterly {

// Whether the user may create files in `directory`.
using DirectoryWritable = std::function<bool(const QString& directory)>;

// The directory of the executable, `executableDirectory`, when `writable` says the user may
// write there; otherwise the per-user data directory: $XDG_DATA_HOME/rosterly, or
// $HOME/.local/share/rosterly when XDG_DATA_HOME is unset or not an absolute path. Creates
// nothing.
QString chooseProgramDirectory(const QString& executableDirectory,
                               const QProcessEnvironment& environment,
                               const DirectoryWritable& writable);

// Whether the effective user may create files in `directory`: write and search permission, on a
// file system mounted for writing.
bool userMayWrite(const QString& directory);

// The running program's directory by the rule above, with the real environment and
// userMayWrite.
QString programDirectory();

// Creates `directory` and its parents when missing; a failure names the directory and the
// system's reason.
Status makeProgramDirectory(const QString& directory);

}  // namespace rosterly

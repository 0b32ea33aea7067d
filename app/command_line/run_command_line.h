// The program started with arguments: a harvest run without a window, for terminals and scripts.
#pragma once

#include <QString>

namespace rosterly {

// Reads the arguments, runs the harvest they ask for with Qt Core only (no display is needed)
// and returns the exit status: 0 on success, 1 when any step failed (the reasons are on
// standard error), 2 for a usage error (with the usage on standard error). The summary goes to
// standard output. `programDirectory` is where temp.doc and the piece files go.
int runCommandLine(int argc, char* argv[], const QString& programDirectory = {});

}  // namespace rosterly

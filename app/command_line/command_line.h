// The program's command line: `rosterly [options]` runs a harvest without a window.
#pragma once

#include <QString>
#include <QStringList>

#include "harvest_options.h"

namespace rosterly {

// What the arguments ask for.
struct CommandLine {
    enum class Action { Harvest, Help, Version, UsageError };
    Action action = Action::UsageError;
    HarvestOptions options;  // for Harvest
    QString error;  // for UsageError: what is wrong, in the window's words where it has them
    QString usage;  // the text --help prints
};

// True when the program was started with arguments: it then runs from the command line, and
// the window is not opened.
bool wantsCommandLine(int argc, char* argv[]);

// Reads `arguments` (the first is the program) as the window reads its fields: the same
// checks, and the same interlocks of its options, which here are errors rather than silently
// cleared boxes.
CommandLine parseCommandLine(const QStringList& arguments);

}  // namespace rosterly

// What a harvest run is asked to do, read once when the run starts.
#pragma once

#include <QString>
#include <QStringList>

#include "domain_groups.h"
#include "field_check.h"

namespace rosterly {

// A plain value: the window fills it from its fields and options, the command line from its
// arguments. Texts are kept as the user gave them; the run interprets them.
struct HarvestOptions {
    QString url;            // txtURL: a web address when longer than 9 characters
    QStringList inputs;     // Text1: the input files, read one after another as one input
    QString output;         // Text2: the list file
    QString pieceSizeText;  // Text3
    bool split = false;     // Check1: piece files instead of the list
    bool domain = false;    // Check2: grouped by domain
    bool sort = false;      // chkSort: alphabetical
    IgnoredDomain ignored;  // Check3 and Text4
    // Inputs that name a directory stand for its regular files, read recursively in byte order
    // of their paths; otherwise a directory is an input that cannot be read.
    bool readDirectories = false;
    // Every address of a line: the line is cut into pieces, each handled as a line of its own.
    bool everyAddress = false;

    bool urlMode() const { return isUrlMode(url); }
};

}  // namespace rosterly

// Putting list entries into the sorted list box's order.
#pragma once

#include <QStringList>

#include <functional>
#include <vector>

namespace rosterly {

// An entry is one address or a group of addresses; its text is each address followed by
// CR LF. Entries are ordered ascending by their whole text compared without regard to case
// (the order of caseFolded texts, see case_fold.h); entries that compare equal keep their
// order. Addresses hold no carriage return: the input reader ends lines there.
//
// No limit on the number of entries; a million entries sort in a fraction of a second.

// The k-th address of entry `entry`, or null when the entry has fewer than k + 1. Every entry
// has at least one address. The sort keeps no pointer beyond its own return.
using EntryPart = std::function<const QString*(qsizetype entry, qsizetype k)>;

// The sorted order of `count` entries: element i is the index of the entry that goes to
// position i.
std::vector<qsizetype> sortedEntryOrder(qsizetype count, const EntryPart& part);

// Sorts entries of one address each in place.
void sortAddresses(QStringList& addresses);

}  // namespace rosterly

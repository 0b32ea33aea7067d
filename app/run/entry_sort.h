// Putting list entries into the sorted list box's order.
#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <vector>

namespace rosterly {

// An entry is one address or a group of addresses; its text is each address followed by
// CR LF. Entries are ordered ascending by their whole text compared without regard to case
// (the order of caseFolded texts, see case_fold.h); entries that compare equal keep their
// order. Addresses hold no carriage return: the input reader ends lines there.
//
// No limit on the number of entries; three million entries sort in about a second, with 16
// bytes of working memory each.

// The k-th line of the entry named `entry` as the record stores it (accepted_addresses.h): an
// address, then CR LF. Empty when the entry has fewer than k + 1 lines; every entry has at
// least one.
using EntryLine = std::function<QByteArrayView(uint32_t entry, uint32_t k)>;

// Puts the entries named in `entries` into that order.
void sortEntries(std::vector<uint32_t>& entries, const EntryLine& line);

}  // namespace rosterly

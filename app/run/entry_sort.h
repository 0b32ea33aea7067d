// Putting list entries into the sorted list box's order.
#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace rosterly {

// An entry is one address or a group of addresses; its text is each address followed by
// CR LF. Entries are ordered ascending by their whole text compared without regard to case
// (the order of caseFolded texts, see case_fold.h); entries that compare equal keep their
// order. Addresses hold no carriage return: the input reader ends lines there.
//
// No limit on the number of entries. Up to `chunk` entries sort at once, with 16 bytes of
// working memory each; more are sorted in chunks, two at a time on two threads where the
// processor has two cores (each half as large then), and merged, with 4 bytes each: three
// million entries sort in about half a second.

// The k-th line of the entry named `entry` as the record stores it (accepted_addresses.h): an
// address, then CR LF. Empty when the entry has fewer than k + 1 lines; every entry has at
// least one.
using EntryLine = std::function<QByteArrayView(uint32_t entry, uint32_t k)>;

// Starts fetching line(entry, 0) of each of `entries` into the cache, all at once, just before
// they are read. Sorted chunks are merged by reading their entries' lines at random, a
// group of each chunk's coming entries at a time.
using EntryFetch = std::function<void(std::span<const uint32_t> entries)>;

// Puts the entries named in `entries` into that order.
constexpr uint32_t kSortChunk = uint32_t(1) << 20;
void sortEntries(std::vector<uint32_t>& entries, const EntryLine& line,
                 const EntryFetch& fetch = {}, uint32_t chunk = kSortChunk);

}  // namespace rosterly

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
// No limit on the number of entries. They are spread over buckets by the first bytes of their
// keys, reading each entry's line twice in the order given, then every bucket is sorted by
// comparing, on two threads where the processor has two cores: 4 bytes of working memory an
// entry, and 16 a key of the bucket being sorted. A bucket of more than `chunk` entries is
// bucketed in turn, or, where its keys' first bytes are all alike, sorted in chunks of up to
// `chunk` keys and merged. About 0.25 s for 3.8 million addresses.

// The k-th line of the entry named `entry` as the record stores it (accepted_addresses.h): an
// address, then CR LF. Empty when the entry has fewer than k + 1 lines; every entry has at
// least one.
using EntryLine = std::function<QByteArrayView(uint32_t entry, uint32_t k)>;

// Starts fetching line(entry, 0) of each of `entries` into the cache, all at once, just before
// they are read. Buckets are sorted, and sorted chunks merged, by reading their entries' lines
// at random, a group of coming entries at a time; each entry is fetched once.
using EntryFetch = std::function<void(std::span<const uint32_t> entries)>;

// Puts the entries named in `entries` into that order.
constexpr uint32_t kSortChunk = uint32_t(1) << 20;
void sortEntries(std::vector<uint32_t>& entries, const EntryLine& line,
                 const EntryFetch& fetch = {}, uint32_t chunk = kSortChunk);

}  // namespace rosterly

#include "entry_sort.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <functional>
#include <numeric>
#include <string>

#include "folded_key.h"
#include "two_threads.h"

namespace rosterly {
namespace {

// The first twelve bytes of an entry's folded key (folded_key.h), zero-padded, as two numbers
// that compare as the bytes do. Most comparisons end here, without reading the record.
struct Keyed {
    uint64_t high;
    uint32_t low;
    uint32_t position;  // in the entries as given
};
static_assert(sizeof(Keyed) == 16);

Keyed keyedOf(uint32_t position, QByteArrayView firstLine, std::string& scratch) {
    unsigned char prefix[12];
    foldedKeyPrefix(firstLine, prefix, sizeof prefix, scratch);
    return {qFromBigEndian<uint64_t>(prefix), qFromBigEndian<uint32_t>(prefix + 8), position};
}

// Compares two entries' whole folded texts line by line. Every line ends in CR LF and holds no
// other CR, so no line's key is a proper prefix of another's: comparing line keys one by one
// orders the texts as comparing them whole does.
int compareTexts(uint32_t a, uint32_t b, const EntryLine& line, std::string& keyA,
                 std::string& keyB) {
    for (uint32_t k = 0;; ++k) {
        const QByteArrayView lineA = line(a, k);
        const QByteArrayView lineB = line(b, k);
        if (lineA.isEmpty() || lineB.isEmpty()) {
            return int(!lineA.isEmpty()) - int(!lineB.isEmpty());
        }
        if (const int c = compareFoldedKeys(lineA, lineB, keyA, keyB)) return c;
    }
}

// Entries in order of their keys' prefixes, then their whole texts. entryOf(key) names a key's
// entry; it is asked only where the prefixes tie, so that a comparison that the prefixes decide
// reads nothing but the two keys.
class EntryOrder {
public:
    explicit EntryOrder(const EntryLine& line) : m_line(line) {}
    template <typename EntryOf>
    int operator()(const Keyed& a, const Keyed& b, EntryOf entryOf) {
        if (a.high != b.high) return a.high < b.high ? -1 : 1;
        if (a.low != b.low) return a.low < b.low ? -1 : 1;
        return compareTexts(entryOf(a), entryOf(b), m_line, m_keyA, m_keyB);
    }

private:
    const EntryLine& m_line;
    std::string m_keyA, m_keyB;
};

// Below this many keys a range is sorted by comparing: spreading them by a byte costs more.
constexpr std::ptrdiff_t kComparedBelow = 32;
constexpr int kPrefixBytes = 12;

// Byte `index` of a key's prefix, in the order the bytes compare.
unsigned prefixByte(const Keyed& key, int index) {
    return index < 8 ? unsigned(key.high >> (56 - 8 * index)) & 0xFF
                     : unsigned(key.low >> (24 - 8 * (index - 8))) & 0xFF;
}

// The first byte of the prefix in which some key of [first, last) differs from the first key;
// kPrefixBytes when none does.
int firstDifferingByte(const Keyed* first, const Keyed* last) {
    uint64_t high = 0;
    uint32_t low = 0;
    for (const Keyed* key = first + 1; key < last; ++key) {
        high |= key->high ^ first->high;
        low |= key->low ^ first->low;
    }
    if (high != 0) return std::countl_zero(high) / 8;
    if (low != 0) return 8 + std::countl_zero(low) / 8;
    return kPrefixBytes;
}

// Sorts [first, last) by `less`, which orders keys by their prefixes first: the keys are spread
// in place over 256 ranges by the first byte in which their prefixes differ, and each range in
// turn by its next one, down to ranges small enough to compare or alike in every byte. Comparing
// prefixes of digits and common letters is a branch no predictor can guess, about as many times
// an entry as the bits that set it apart; a spread reads each key three times per byte that
// does.
template <typename Less>
void spreadKeys(Keyed* first, Keyed* last, const Less& less) {
    if (last - first < kComparedBelow) {
        std::sort(first, last, less);
        return;
    }
    const int byte = firstDifferingByte(first, last);
    if (byte == kPrefixBytes) {
        std::sort(first, last, less);
        return;
    }
    uint32_t counts[256] = {};
    for (const Keyed* key = first; key < last; ++key) ++counts[prefixByte(*key, byte)];
    Keyed* next[256];  // where a range's next key goes
    Keyed* ends[256];
    Keyed* at = first;
    for (int range = 0; range < 256; ++range) {
        next[range] = at;
        at += counts[range];
        ends[range] = at;
    }
    // Each key out of place is swapped into its range, and the key it displaces goes on in
    // its place, until one belongs where the first stood.
    for (unsigned range = 0; range < 256; ++range) {
        while (next[range] < ends[range]) {
            Keyed key = *next[range];
            for (unsigned to = prefixByte(key, byte); to != range; to = prefixByte(key, byte)) {
                std::swap(key, *next[to]++);
            }
            *next[range]++ = key;
        }
    }
    for (int range = 0; range < 256; ++range) {
        if (counts[range] > 1) spreadKeys(ends[range] - counts[range], ends[range], less);
    }
}

// Sorts keys whose positions name entries of `entries`; keys that tie keep their positions'
// order, which makes the unstable sort keep equal entries in order.
void sortKeys(Keyed* first, Keyed* last, const uint32_t* entries, EntryOrder& order) {
    const auto entryOf = [entries](const Keyed& key) { return entries[key.position]; };
    spreadKeys(first, last, [&](const Keyed& a, const Keyed& b) {
        const int c = order(a, b, entryOf);
        return c != 0 ? c < 0 : a.position < b.position;
    });
}

// Sorts runs of entries, all keys of a run at once, keeping its working memory from one run to
// the next.
class ChunkSorter {
public:
    explicit ChunkSorter(const EntryLine& line) : m_line(line), m_order(line) {}

    // Sorts the `count` entries from `entries` on; beforeKeying(i) is called before the i-th is
    // keyed.
    template <typename BeforeKeying>
    void sort(uint32_t* entries, uint32_t count, BeforeKeying beforeKeying) {
        m_keyed.clear();
        for (uint32_t position = 0; position < count; ++position) {
            beforeKeying(position);
            m_keyed.push_back(keyedOf(position, m_line(entries[position], 0), m_scratch));
        }
        sortKeys(m_keyed.data(), m_keyed.data() + count, entries, m_order);
        // Each key takes its entry's name first, so the names can be written back in place.
        for (Keyed& k : m_keyed) k.position = entries[k.position];
        for (uint32_t i = 0; i < count; ++i) entries[i] = m_keyed[i].position;
    }

private:
    const EntryLine& m_line;
    EntryOrder m_order;
    std::vector<Keyed> m_keyed;
    std::string m_scratch;
};

// A sorted range of entries, [next, end) of the entries being sorted.
struct Run {
    uint32_t next, end;
};

// Merges the sorted `runs` of `entries`, given in the order their entries stood, into `out`. An
// earlier run wins a tie, since its entries stood first.
void mergeRuns(std::span<const uint32_t> entries, const std::vector<Run>& runs, uint32_t* out,
               const EntryLine& line, const EntryFetch& fetch) {
    // A run's coming entries are keyed a group at a time, their lines fetched together.
    constexpr uint32_t kGroup = 16;
    struct Head {
        uint32_t next, end;    // the run's entries not yet keyed
        uint32_t at, count;    // the keyed ones in `coming`; coming[at] is the run's next entry
        Keyed coming[kGroup];  // `position` is the entry itself
        const Keyed& key() const { return coming[at]; }
    };
    std::vector<Head> heads;
    std::string scratch;
    const auto keyGroup = [&](Head& head) {
        const uint32_t count = std::min(kGroup, head.end - head.next);
        const std::span<const uint32_t> group(entries.data() + head.next, count);
        if (fetch) fetch(group);
        for (uint32_t i = 0; i < count; ++i) {
            head.coming[i] = keyedOf(group[i], line(group[i], 0), scratch);
        }
        head.next += count;
        head.at = 0;
        head.count = count;
    };
    for (const Run& run : runs) {
        if (run.next == run.end) continue;
        heads.push_back({run.next, run.end, 0, 0, {}});
        keyGroup(heads.back());
    }
    EntryOrder order(line);
    const auto entryItself = [](const Keyed& key) { return key.position; };
    // A heap of the heads with the least on top; heads are numbered by their runs' order.
    const auto after = [&](uint32_t a, uint32_t b) {
        const Keyed& keyA = heads[a].key();
        const Keyed& keyB = heads[b].key();
        const int c = order(keyA, keyB, entryItself);
        return c != 0 ? c > 0 : a > b;
    };
    std::vector<uint32_t> heap(heads.size());
    std::iota(heap.begin(), heap.end(), 0u);
    std::make_heap(heap.begin(), heap.end(), after);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), after);
        Head& head = heads[heap.back()];
        *out++ = head.key().position;
        if (++head.at == head.count) {
            if (head.next == head.end) {
                heap.pop_back();
                continue;
            }
            keyGroup(head);
        }
        std::push_heap(heap.begin(), heap.end(), after);
    }
}

// Merges the sorted chunks of `chunk` entries into one order, in two halves at once: every
// chunk is cut where the entries that come before one pivot entry end, the pivot being the
// middle entry of the chunk whose middle entry is the middle one of all the chunks' (the middle
// of the whole, near enough, however the entries came).
void mergeChunks(std::span<uint32_t> entries, uint32_t chunk, const EntryLine& line,
                 const EntryFetch& fetch) {
    const auto count = uint32_t(entries.size());
    std::vector<Run> runs;
    for (uint32_t first = 0; first < count; first += chunk) {
        runs.push_back({first, first + std::min(chunk, count - first)});
    }
    std::string scratch, scratchB;
    EntryOrder order(line);
    const auto compare = [&](uint32_t a, uint32_t b) {
        return order(keyedOf(a, line(a, 0), scratch), keyedOf(b, line(b, 0), scratchB),
                     [](const Keyed& key) { return key.position; });
    };
    const auto middleOf = [&](const Run& run) {
        return entries[run.next + (run.end - run.next) / 2];
    };
    std::vector<uint32_t> byMiddle(runs.size());
    std::iota(byMiddle.begin(), byMiddle.end(), 0u);
    std::sort(byMiddle.begin(), byMiddle.end(), [&](uint32_t a, uint32_t b) {
        const int c = compare(middleOf(runs[a]), middleOf(runs[b]));
        return c != 0 ? c < 0 : a < b;
    });
    const uint32_t pivotRun = byMiddle[byMiddle.size() / 2];
    const uint32_t pivot = middleOf(runs[pivotRun]);
    // What comes before the pivot: in its own run, what stands before it; in an earlier run,
    // what does not sort after it; in a later one, what sorts before it.
    std::vector<Run> low, high;
    uint32_t lowCount = 0;
    for (uint32_t r = 0; r < runs.size(); ++r) {
        const Run& run = runs[r];
        uint32_t cut;
        if (r == pivotRun) {
            cut = run.next + (run.end - run.next) / 2;
        } else {
            cut =
                uint32_t(std::partition_point(entries.begin() + run.next, entries.begin() + run.end,
                                              [&](uint32_t entry) {
                                                  const int c = compare(entry, pivot);
                                                  return r < pivotRun ? c <= 0 : c < 0;
                                              }) -
                         entries.begin());
        }
        low.push_back({run.next, cut});
        high.push_back({cut, run.end});
        lowCount += cut - run.next;
    }
    std::vector<uint32_t> merged(count);
    runTwo([&] { mergeRuns(entries, high, merged.data() + lowCount, line, fetch); },
           [&] { mergeRuns(entries, low, merged.data(), line, fetch); });
    std::copy(merged.begin(), merged.end(), entries.begin());
}

// Sorts every chunk. Where there are several and the processor has a second core, a second
// thread takes every other chunk, and the chunks are half as large, so the working memory of
// the two at once is that of one chunk. Returns the chunk size used.
uint32_t sortChunks(std::span<uint32_t> entries, const EntryLine& line, uint32_t chunk) {
    const auto count = uint32_t(entries.size());
    const auto sortEvery = [&](uint32_t from, uint32_t step) {
        ChunkSorter sorter(line);
        for (uint32_t first = from * chunk; first < count; first += step * chunk) {
            sorter.sort(entries.data() + first, std::min(chunk, count - first), [](uint32_t) {});
        }
    };
    if (count <= chunk || !hasSecondCore()) {
        sortEvery(0, 1);
        return chunk;
    }
    chunk = std::max(chunk / 2, 1u);
    runTwo([&] { sortEvery(0, 2); }, [&] { sortEvery(1, 2); });
    return chunk;
}

// Sorts entries keying no more than `chunk` of them at once: in chunks, merged.
void sortInChunks(std::span<uint32_t> entries, const EntryLine& line, const EntryFetch& fetch,
                  uint32_t chunk) {
    chunk = sortChunks(entries, line, chunk);
    if (entries.size() > chunk) mergeChunks(entries, chunk, line, fetch);
}

// A key's twelve bytes as one number, which orders keys as their bytes do.
__extension__ typedef unsigned __int128 Prefix;
constexpr int kPrefixBits = 96;

Prefix prefixOf(const Keyed& key) {
    return (Prefix(key.high) << 32) | key.low;
}

// Spreads keys over 2^bits buckets in their order: by the `bits` bits of a key that follow the
// leading bits which a sample of the keys all share. A key whose leading bits are not the
// sample's goes to the first bucket or the last, as it sorts before or after them, so a sample
// that missed a difference costs speed but never order.
class Buckets {
public:
    // Keys of up to 1024 of the entries, evenly spread, are the sample; more entries get more
    // buckets, about sixteen entries each, up to 2^16.
    static Buckets ofSample(std::span<const uint32_t> entries, const EntryLine& line) {
        const auto count = uint32_t(entries.size());
        const int bits = std::clamp(int(std::bit_width(count)) - 4, 1, 16);
        std::string scratch;
        const Prefix first = prefixOf(keyedOf(0, line(entries[0], 0), scratch));
        Prefix differing = 0;
        const uint32_t step = std::max(count / 1024, 1u);
        for (uint32_t i = step; i < count; i += step) {
            differing |= prefixOf(keyedOf(i, line(entries[i], 0), scratch)) ^ first;
        }
        int shared = kPrefixBits;
        for (Prefix rest = differing; rest != 0; rest >>= 1) --shared;
        shared = std::min(shared, kPrefixBits - bits);
        return Buckets(first, kPrefixBits - shared - bits, bits);
    }

    uint32_t count() const { return m_mask + 1; }

    uint32_t of(const Keyed& key) const {
        const Prefix prefix = prefixOf(key);
        const Prefix leading = prefix >> (m_shift + m_bits);
        if (leading != m_leading) return leading < m_leading ? 0 : m_mask;
        return uint32_t(prefix >> m_shift) & m_mask;
    }

private:
    Buckets(Prefix sample, int shift, int bits)
        : m_leading(sample >> (shift + bits)),
          m_shift(shift),
          m_bits(bits),
          m_mask((uint32_t(1) << bits) - 1) {}

    Prefix m_leading;  // the leading bits the sample shares
    int m_shift, m_bits;
    uint32_t m_mask;
};

// Fetches the lines of the laid-out entries of buckets sorted all keys at once, a stretch ahead
// of the one being keyed, a group at a time: in bucket order they stand at random in the record.
class FetchAhead {
public:
    FetchAhead(const uint32_t* entries, const std::vector<uint32_t>& firstOf, uint32_t firstBucket,
               uint32_t endBucket, uint32_t chunk, const EntryFetch& fetch)
        : m_entries(entries),
          m_firstOf(firstOf),
          m_bucket(firstBucket),
          m_endBucket(endBucket),
          m_chunk(chunk),
          m_fetch(fetch),
          m_fetched(firstOf[firstBucket]) {}

    // The laid-out entry at `position` is about to be keyed.
    void before(uint32_t position) {
        if (!m_fetch) return;
        while (m_bucket < m_endBucket && m_fetched < position + kAhead) {
            const uint32_t end = m_firstOf[m_bucket + 1];
            if (end - m_firstOf[m_bucket] > m_chunk) m_fetched = end;  // sorted on its own
            if (m_fetched == end) {
                ++m_bucket;
                continue;
            }
            const uint32_t count = std::min(kGroup, end - m_fetched);
            m_fetch(std::span<const uint32_t>(m_entries + m_fetched, count));
            m_fetched += count;
        }
    }

private:
    static constexpr uint32_t kAhead = 32, kGroup = 16;
    const uint32_t* m_entries;
    const std::vector<uint32_t>& m_firstOf;
    uint32_t m_bucket;
    const uint32_t m_endBucket, m_chunk;
    const EntryFetch& m_fetch;
    uint32_t m_fetched;  // the entries before it are fetched or need no fetching
};

void sortAnyEntries(std::span<uint32_t> entries, const EntryLine& line, const EntryFetch& fetch,
                    uint32_t chunk);

// Sorts by buckets: every entry is keyed once, in the order the entries came (the record's
// order, where it reads fastest), to find its bucket; the entries are then laid out by bucket,
// each bucket's in their order, and every bucket is sorted by comparing, two halves of the
// buckets at once. A bucket of more than `chunk` entries is sorted the same way on its own
// first; one that holds every entry, in chunks. Working memory: 4 bytes an entry.
class BucketSort {
public:
    BucketSort(std::span<uint32_t> entries, const EntryLine& line, const EntryFetch& fetch,
               uint32_t chunk)
        : m_entries(entries),
          m_line(line),
          m_fetch(fetch),
          m_chunk(chunk),
          m_buckets(Buckets::ofSample(entries, line)),
          m_firstOf(m_buckets.count() + 1) {}

    void run() {
        countBuckets();
        std::string scratch;
        if (m_entries.size() > m_chunk && sizeOf(bucketOf(0, scratch)) == m_entries.size()) {
            sortInChunks(m_entries, m_line, m_fetch, m_chunk);  // no bucket tells them apart
            return;
        }
        std::vector<uint32_t> sorted(m_entries.size());
        layOut(sorted);
        for (uint32_t bucket = 0; bucket < m_buckets.count(); ++bucket) {
            if (sizeOf(bucket) > m_chunk) {
                sortAnyEntries(std::span(sorted).subspan(m_firstOf[bucket], sizeOf(bucket)), m_line,
                               m_fetch, m_chunk);
            }
        }
        sortBuckets(sorted);
        std::copy(sorted.begin(), sorted.end(), m_entries.begin());
    }

private:
    // Entries below this many are one thread's work.
    static constexpr uint32_t kTwoThreadsFrom = uint32_t(1) << 15;

    uint32_t sizeOf(uint32_t bucket) const { return m_firstOf[bucket + 1] - m_firstOf[bucket]; }

    // Runs work(half, from, to) on the two halves of the entries, at once where that pays.
    template <typename Work>
    void onHalves(Work work) {
        const auto count = uint32_t(m_entries.size());
        if (count < kTwoThreadsFrom) {
            work(0, 0, count);
            return;
        }
        const uint32_t middle = count / 2;
        runTwo([&] { work(0, 0, middle); }, [&] { work(1, middle, count); });
    }

    uint32_t bucketOf(uint32_t position, std::string& scratch) const {
        return m_buckets.of(keyedOf(position, m_line(m_entries[position], 0), scratch));
    }

    // Counts the entries of each bucket, and finds where each bucket's entries of each half
    // start once laid out: a half's entries follow those of the half before, to keep their order.
    void countBuckets() {
        const uint32_t bucketCount = m_buckets.count();
        for (auto& counts : m_halfStart) counts.assign(bucketCount, 0);
        onHalves([&](int half, uint32_t from, uint32_t to) {
            std::vector<uint32_t>& counts = m_halfStart[half];
            std::string scratch;
            for (uint32_t i = from; i < to; ++i) ++counts[bucketOf(i, scratch)];
        });
        uint32_t first = 0;
        for (uint32_t bucket = 0; bucket < bucketCount; ++bucket) {
            m_firstOf[bucket] = first;
            const uint32_t inFirstHalf = m_halfStart[0][bucket];
            const uint32_t inSecondHalf = m_halfStart[1][bucket];
            m_halfStart[0][bucket] = first;
            m_halfStart[1][bucket] = first + inFirstHalf;
            first += inFirstHalf + inSecondHalf;
        }
        m_firstOf[bucketCount] = first;
    }

    // Lays the entries out by bucket. Each entry's bucket is found again rather than kept from
    // counting: a sort of a grouped run works at the run's peak memory, and reading the record
    // in order twice costs less than the kept buckets would add to that peak.
    void layOut(std::vector<uint32_t>& sorted) {
        onHalves([&](int half, uint32_t from, uint32_t to) {
            std::vector<uint32_t>& next = m_halfStart[half];
            std::string scratch;
            for (uint32_t i = from; i < to; ++i) {
                sorted[next[bucketOf(i, scratch)]++] = m_entries[i];
            }
        });
    }

    // Sorts the buckets of `chunk` entries or fewer, each all keys at once.
    void sortBuckets(std::vector<uint32_t>& sorted) {
        const auto sortRange = [&](uint32_t firstBucket, uint32_t endBucket) {
            FetchAhead ahead(sorted.data(), m_firstOf, firstBucket, endBucket, m_chunk, m_fetch);
            ChunkSorter sorter(m_line);
            for (uint32_t bucket = firstBucket; bucket < endBucket; ++bucket) {
                const uint32_t first = m_firstOf[bucket], size = sizeOf(bucket);
                if (size > m_chunk) continue;
                sorter.sort(sorted.data() + first, size,
                            [&](uint32_t i) { ahead.before(first + i); });
            }
        };
        const uint32_t bucketCount = m_buckets.count();
        if (m_entries.size() < kTwoThreadsFrom) {
            sortRange(0, bucketCount);
            return;
        }
        const auto middle = uint32_t(std::upper_bound(m_firstOf.begin(), m_firstOf.end() - 1,
                                                      uint32_t(m_entries.size() / 2)) -
                                     m_firstOf.begin());
        runTwo([&] { sortRange(0, middle); }, [&] { sortRange(middle, bucketCount); });
    }

    std::span<uint32_t> m_entries;
    const EntryLine& m_line;
    const EntryFetch& m_fetch;
    const uint32_t m_chunk;
    const Buckets m_buckets;
    std::vector<uint32_t> m_firstOf;       // by bucket: where its entries start when laid out
    std::vector<uint32_t> m_halfStart[2];  // by bucket: where the next of a half's goes
};

void sortAnyEntries(std::span<uint32_t> entries, const EntryLine& line, const EntryFetch& fetch,
                    uint32_t chunk) {
    if (entries.size() < 2) return;
    BucketSort(entries, line, fetch, chunk).run();
}

}  // namespace

void sortEntries(std::vector<uint32_t>& entries, const EntryLine& line, const EntryFetch& fetch,
                 uint32_t chunk) {
    sortAnyEntries(entries, line, fetch, std::max(chunk, 1u));
}

}  // namespace rosterly

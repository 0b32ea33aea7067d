#include "entry_sort.h"

#include <algorithm>
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

uint64_t bigEndian(const unsigned char* bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

Keyed keyedOf(uint32_t position, QByteArrayView firstLine, std::string& scratch) {
    unsigned char prefix[12];
    foldedKeyPrefix(firstLine, prefix, sizeof prefix, scratch);
    return {bigEndian(prefix, 8), uint32_t(bigEndian(prefix + 8, 4)), position};
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
        keyA.clear();
        keyB.clear();
        appendFoldedKey(lineA, keyA);
        appendFoldedKey(lineB, keyB);
        if (const int c = keyA.compare(keyB)) return c;
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

// Sorts the `count` entries from `entries` on, all keys at once.
void sortChunk(uint32_t* entries, uint32_t count, const EntryLine& line) {
    std::vector<Keyed> keyed;
    keyed.reserve(count);
    std::string scratch;
    for (uint32_t position = 0; position < count; ++position) {
        keyed.push_back(keyedOf(position, line(entries[position], 0), scratch));
    }
    EntryOrder order(line);
    // The position breaks ties, which makes the unstable sort keep equal entries in order.
    const auto entryOf = [entries](const Keyed& key) { return entries[key.position]; };
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        const int c = order(a, b, entryOf);
        return c != 0 ? c < 0 : a.position < b.position;
    });
    // Each key takes its entry's name first, so the names can be written back in place.
    for (Keyed& k : keyed) k.position = entries[k.position];
    for (uint32_t i = 0; i < count; ++i) entries[i] = keyed[i].position;
}

// A sorted range of entries, [next, end) of the entries being sorted.
struct Run {
    uint32_t next, end;
};

// Merges the sorted `runs` of `entries`, given in the order their entries stood, into `out`. An
// earlier run wins a tie, since its entries stood first.
void mergeRuns(const std::vector<uint32_t>& entries, const std::vector<Run>& runs, uint32_t* out,
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
void mergeChunks(std::vector<uint32_t>& entries, uint32_t chunk, const EntryLine& line,
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
    entries.swap(merged);
}

// Sorts every chunk. Where there are several and the processor has a second core, a second
// thread takes every other chunk, and the chunks are half as large, so the working memory of
// the two at once is that of one chunk. Returns the chunk size used.
uint32_t sortChunks(std::vector<uint32_t>& entries, const EntryLine& line, uint32_t chunk) {
    const auto count = uint32_t(entries.size());
    const auto sortEvery = [&](uint32_t from, uint32_t step) {
        for (uint32_t first = from * chunk; first < count; first += step * chunk) {
            sortChunk(entries.data() + first, std::min(chunk, count - first), line);
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

}  // namespace

void sortEntries(std::vector<uint32_t>& entries, const EntryLine& line, const EntryFetch& fetch,
                 uint32_t chunk) {
    chunk = sortChunks(entries, line, std::max(chunk, 1u));
    if (entries.size() > chunk) mergeChunks(entries, chunk, line, fetch);
}

}  // namespace rosterly

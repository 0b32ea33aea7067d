#include "entry_sort.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "folded_key.h"

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
    scratch.clear();
    appendFoldedKey(firstLine, scratch);
    unsigned char prefix[12] = {};
    std::memcpy(prefix, scratch.data(), std::min<size_t>(scratch.size(), sizeof prefix));
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

}  // namespace

void sortEntries(std::vector<uint32_t>& entries, const EntryLine& line) {
    const auto count = uint32_t(entries.size());
    std::vector<Keyed> keyed;
    keyed.reserve(count);
    std::string scratch;
    for (uint32_t position = 0; position < count; ++position) {
        keyed.push_back(keyedOf(position, line(entries[position], 0), scratch));
    }
    std::string keyA, keyB;
    // The position breaks ties, which makes the unstable sort keep equal entries in order.
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        const int c = compareTexts(entries[a.position], entries[b.position], line, keyA, keyB);
        return c != 0 ? c < 0 : a.position < b.position;
    });
    // Each key takes its entry's name first, so the names can be written back in place.
    for (Keyed& k : keyed) k.position = entries[k.position];
    for (uint32_t i = 0; i < count; ++i) entries[i] = keyed[i].position;
}

}  // namespace rosterly

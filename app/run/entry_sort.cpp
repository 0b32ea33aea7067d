#include "entry_sort.h"

#include "platform/case_fold.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace rosterly {
namespace {

// Compares two addresses each followed by CR LF, both already folded. Zero means the two
// agree up to and including that line end, so the entries' next addresses decide.
int compareLines(QStringView a, QStringView b) {
    const qsizetype common = std::min(a.size(), b.size());
    if (const int c = a.first(common).compare(b.first(common))) {
        return c;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    // The shorter one goes on with its carriage return, which no address holds.
    return a.size() < b.size() ? (u'\r' < b[common].unicode() ? -1 : 1)
                               : (a[common].unicode() < u'\r' ? -1 : 1);
}

// Compares the entries' texts past their first addresses, which compared equal.
int compareRest(qsizetype a, qsizetype b, const EntryPart& part) {
    for (qsizetype k = 1;; ++k) {
        const QString* nextA = part(a, k);
        const QString* nextB = part(b, k);
        if (!nextA || !nextB) {
            return int(nextA != nullptr) - int(nextB != nullptr);
        }
        if (const int c = compareLines(caseFolded(*nextA), caseFolded(*nextB))) {
            return c;
        }
    }
}

// The first eight code units of a folded address followed by its CR LF, zero-padded, packed so
// that comparing the two numbers orders keys as compareLines() does whenever they differ. Most
// comparisons end here, without touching the keys' characters elsewhere in memory.
struct Prefix {
    quint64 high = 0;
    quint64 low = 0;

    explicit Prefix(QStringView key) {
        for (int i = 0; i < 8; ++i) {
            const qsizetype at = i;
            const char16_t unit = at < key.size()        ? key[at].unicode()
                                  : at == key.size()     ? u'\r'
                                  : at == key.size() + 1 ? u'\n'
                                                         : 0;
            quint64& word = i < 4 ? high : low;
            word = (word << 16) | unit;
        }
    }
    bool operator==(const Prefix&) const = default;
    bool operator<(const Prefix& other) const {
        return high != other.high ? high < other.high : low < other.low;
    }
};

struct Keyed {
    Prefix prefix;
    QString key;  // the first address, folded
    qsizetype entry;
};

}  // namespace

std::vector<qsizetype> sortedEntryOrder(qsizetype count, const EntryPart& part) {
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        QString key = caseFolded(*part(i, 0));
        const Prefix prefix(key);
        keyed.push_back({prefix, std::move(key), i});
    }
    // The entry index breaks ties, which makes the unstable sort keep equal entries in order.
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (!(a.prefix == b.prefix)) return a.prefix < b.prefix;
        int c = compareLines(a.key, b.key);
        if (c == 0) {
            c = compareRest(a.entry, b.entry, part);
        }
        return c != 0 ? c < 0 : a.entry < b.entry;
    });
    std::vector<qsizetype> order;
    order.reserve(size_t(count));
    for (const Keyed& k : keyed) {
        order.push_back(k.entry);
    }
    return order;
}

void sortAddresses(QStringList& addresses) {
    const auto order = sortedEntryOrder(addresses.size(), [&](qsizetype entry, qsizetype k) {
        return k == 0 ? &std::as_const(addresses)[entry] : nullptr;
    });
    QStringList sorted;
    sorted.reserve(addresses.size());
    for (qsizetype entry : order) {
        sorted.push_back(std::move(addresses[entry]));
    }
    addresses = std::move(sorted);
}

}  // namespace rosterly

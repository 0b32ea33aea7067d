#include "domain_groups.h"

#include <QHashFunctions>

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>

#include "entry_index.h"
#include "entry_sort.h"
#include "folded_key.h"
#include "two_threads.h"

namespace rosterly {
namespace {

// Only the blank counts here, not tabs or other white space.
template <typename Text>
Text trimSpaces(Text text) {
    while (!text.isEmpty() && text.front() == ' ') text = text.sliced(1);
    while (!text.isEmpty() && text.back() == ' ') text.chop(1);
    return text;
}

// What two addresses of one group have in common: the folded key (folded_key.h) of the
// trimmed domain part of a stored line. Lower-case ASCII domains, the usual case, are their
// own keys and are viewed where they stand; others are folded into `scratch`.
QByteArrayView domainKeyOf(QByteArrayView line, std::string& scratch) {
    QByteArrayView address = line.chopped(2);
    const qsizetype at = address.indexOf('@');
    const QByteArrayView domain = trimSpaces(at < 0 ? address : address.sliced(at + 1));
    if (std::none_of(domain.begin(), domain.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c & 0x80); })) {
        return domain;
    }
    scratch.clear();
    appendFoldedKey(domain, scratch);
    return QByteArrayView(scratch);
}

// Entries whose domains' hashes are taken at once: 512 KiB of hashes.
constexpr size_t kHashedBlock = size_t(1) << 16;

uint64_t hashOf(QByteArrayView key) {
    return qHashBits(key.data(), size_t(key.size()), size_t(QHashSeed::globalSeed()));
}

}  // namespace

QStringView domainPartOf(QStringView address) {
    const qsizetype at = address.indexOf(u'@');
    return at < 0 ? address : address.sliced(at + 1);
}

bool isIgnored(QStringView address, const IgnoredDomain& ignored) {
    return ignored.enabled && trimSpaces(domainPartOf(address)) ==
                                  trimSpaces(QStringView(ignored.text)).toString().toLower();
}

qsizetype DomainGroups::groupCount() const {
    settle();
    return m_starts.empty() ? 0 : qsizetype(m_starts.size() - 1);
}

std::span<const DomainGroups::Entry> DomainGroups::group(qsizetype index) const {
    settle();
    return std::span<const Entry>(m_members).subspan(
        m_starts[size_t(index)], m_starts[size_t(index) + 1] - m_starts[size_t(index)]);
}

// Groups the grouped entries, in their groups' order, followed by the pending ones: the groups
// keep their order and members, and new addresses join them or start groups after them.
void DomainGroups::settle() const {
    if (m_pending.empty()) return;
    EntryList sequence;
    if (m_members.empty()) {
        std::swap(sequence, m_pending);
    } else {
        sequence = EntryList(std::move(m_members));
        m_pending.forEachPart([&](std::span<const Entry> part) {
            for (const Entry entry : part) sequence.append(entry);
        });
        m_pending.clear();
    }
    regroup(sequence);
}

// Memory beyond the sequence and the groups: 4 bytes an entry for its group and the index of
// domains; a group is known by the place of its first member in the sequence. The domains'
// hashes are taken a block of entries at a time, the next block's on a second core while this
// block's entries are filed.
void DomainGroups::regroup(const EntryList& sequence) const {
    const size_t size = sequence.size();
    std::vector<uint32_t> groupOf(size);
    uint32_t groups = 0;
    {
        EntryIndex domains;  // the place of each group's first member, by its domain's hash
        domains.reserve(size);
        const auto hashBlock = [&](size_t from, std::vector<uint64_t>& hashes) {
            hashes.resize(std::min(kHashedBlock, size - from));
            std::string scratch;
            for (size_t k = 0; k < hashes.size(); ++k)
                hashes[k] = hashOf(domainKeyOf(m_record.line(sequence[from + k]), scratch));
        };
        // The index is read at random: each slot is fetched some entries before it is read.
        constexpr size_t kAhead = 16;
        std::string wantedScratch, other;
        const auto fileBlock = [&](size_t from, const std::vector<uint64_t>& hashes) {
            for (size_t k = 0; k < std::min(kAhead, hashes.size()); ++k)
                domains.prefetch(hashes[k]);
            for (size_t k = 0; k < hashes.size(); ++k) {
                if (k + kAhead < hashes.size()) domains.prefetch(hashes[k + kAhead]);
                const size_t i = from + k;
                // The entry's own key is needed only when a group's hash is alike.
                std::optional<QByteArrayView> wanted;
                const uint32_t first = domains.find(hashes[k], [&](uint32_t place) {
                    if (!wanted) wanted = domainKeyOf(m_record.line(sequence[i]), wantedScratch);
                    return domainKeyOf(m_record.line(sequence[place]), other) == *wanted;
                });
                if (first == EntryIndex::kNone) {
                    groupOf[i] = groups++;
                    domains.insert(hashes[k], uint32_t(i));
                } else {
                    groupOf[i] = groupOf[first];
                }
            }
        };
        std::vector<uint64_t> hashes[2];
        if (size > 0) hashBlock(0, hashes[0]);
        for (size_t from = 0, block = 0; from < size; from += kHashedBlock, block ^= 1) {
            const size_t next = from + kHashedBlock;
            if (next >= size) {
                fileBlock(from, hashes[block]);
                break;
            }
            runTwo([&] { fileBlock(from, hashes[block]); },
                   [&] { hashBlock(next, hashes[block ^ 1]); });
        }
    }
    // Counting sort by group, stable, so members keep their order of arrival. Each group's start
    // serves as its cursor and ends as the next group's start, so the starts are shifted back.
    m_starts.assign(size_t(groups) + 1, 0);
    for (const uint32_t group : groupOf) ++m_starts[group + 1];
    std::partial_sum(m_starts.begin(), m_starts.end(), m_starts.begin());
    m_members.assign(sequence.size(), 0);
    for (size_t i = 0; i < sequence.size(); ++i) m_members[m_starts[groupOf[i]]++] = sequence[i];
    std::copy_backward(m_starts.begin(), m_starts.end() - 1, m_starts.end());
    m_starts[0] = 0;
}

// The groups are sorted as their starts in m_members: the starts themselves are put in order, so
// that the sort needs no list of its own beside its merge, and a bit for each member says where
// a group begins (for a group's further lines, and for moving the members). At most three lists
// of 4 bytes an entry then exist at once, however many groups there are.
void DomainGroups::sortGroups() {
    const auto count = uint32_t(groupCount());
    if (count == 0) return;
    const auto size = uint32_t(m_members.size());
    std::vector<bool> begins(size_t(size) + 1);  // the end counts as a beginning
    for (const uint32_t start : m_starts) begins[start] = true;
    std::vector<uint32_t> order = std::move(m_starts);
    order.pop_back();
    try {
        sortEntries(
            order,
            [this, &begins](uint32_t start, uint32_t k) {
                const uint32_t at = start + k;
                return k == 0 || !begins[at] ? m_record.line(m_members[at]) : QByteArrayView();
            },
            [this](std::span<const uint32_t> starts) {
                constexpr size_t kGroup = 16;
                Entry firsts[kGroup];
                for (size_t from = 0; from < starts.size(); from += kGroup) {
                    const size_t part = std::min(kGroup, starts.size() - from);
                    for (size_t i = 0; i < part; ++i) firsts[i] = m_members[starts[from + i]];
                    m_record.prefetchLines(std::span<const Entry>(firsts, part));
                }
            });
        // Each group's members move to their new place, and its new start takes the place of
        // its old one.
        std::vector<Entry> members(size);
        uint32_t at = 0;
        for (uint32_t& start : order) {
            uint32_t member = start;
            start = at;
            do {
                members[at++] = m_members[member++];
            } while (!begins[member]);
        }
        m_members = std::move(members);
        order.push_back(at);  // within the room the end left
        m_starts = std::move(order);
    } catch (...) {
        // Whatever order the starts were left in, they are still the groups' starts.
        std::sort(order.begin(), order.end());
        order.push_back(size);
        m_starts = std::move(order);
        throw;
    }
}

void DomainGroups::clear() {
    m_pending.clear();
    m_members = {};
    m_starts = {};
}

}  // namespace rosterly

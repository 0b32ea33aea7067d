// AddressTable: the run's list entries for the alphabetical and the domain modes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <vector>

#include "accepted_addresses.h"
#include "domain_groups.h"

namespace rosterly {

// In alphabetical mode every entry is one address; in domain mode every entry is the group of
// one domain (domain_groups.h). A run uses one mode only. An entry's text is its addresses,
// each followed by CR LF. The table names the record's entries and holds no text of its own.
// No limit on the number of entries: everything stored reaches the written list.
//
// A run appends its addresses in the record's order, one entry after the next: while they come
// so, the alphabetical table holds only their range, and lists them one by one only to sort
// them, once the run has let go of its duplicate index.
class AddressTable {
public:
    using Entry = AcceptedAddresses::Entry;

    // `record` holds every entry the table is given and must outlive it.
    explicit AddressTable(const AcceptedAddresses& record) : m_groups(record), m_record(record) {}

    // Alphabetical mode: the address of `entry` becomes an entry of its own, after the others.
    void appendAddress(Entry entry);

    enum class Placement { Added, Ignored };
    // Domain mode: puts the address of `entry` into its domain's group, unless its domain is
    // the ignored one.
    Placement addToDomainGroup(Entry entry, const IgnoredDomain& ignored);

    qsizetype entryCount() const {
        return qsizetype(m_addresses.size() + (m_rangeEnd - m_rangeFirst)) + m_groups.groupCount();
    }
    bool isEmpty() const {
        return m_addresses.empty() && m_rangeFirst == m_rangeEnd && m_groups.addressCount() == 0;
    }

    // Puts the entries into ascending order of their whole texts, compared without regard to
    // case (entry_sort.h); equal entries keep their order, the addresses inside a group too.
    void sortEntries();

    // Calls write(lines) with the entries of the list file's lines, in the list's order: every
    // address of every table entry, in a run for each mode.
    template <typename Write>
    void forEachLineRun(Write write) const {
        write(std::span<const Entry>(m_addresses));
        // A range not listed yet (the table was never sorted) goes out a part at a time.
        Entry part[1024];
        for (Entry from = m_rangeFirst; from < m_rangeEnd;) {
            const Entry size = std::min<Entry>(std::size(part), m_rangeEnd - from);
            for (Entry i = 0; i < size; ++i) part[i] = from + i;
            write(std::span<const Entry>(part, size));
            from += size;
        }
        write(m_groups.lines());
    }

    // Empties the table and gives its memory back.
    void clear();

private:
    void listRange();

    // The alphabetical entries: those listed, then (only while none is listed) the range
    // [m_rangeFirst, m_rangeEnd) of entries appended one after another.
    std::vector<Entry> m_addresses;
    Entry m_rangeFirst = 0;
    Entry m_rangeEnd = 0;
    DomainGroups m_groups;
    const AcceptedAddresses& m_record;
};

}  // namespace rosterly

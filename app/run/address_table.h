// AddressTable: the run's list entries for the alphabetical and the domain modes.
#pragma once

#include <cstdint>
#include <span>

#include "accepted_addresses.h"
#include "domain_groups.h"
#include "entry_list.h"

namespace rosterly {

// In alphabetical mode every entry is one address; in domain mode every entry is the group of
// one domain (domain_groups.h). A run uses one mode only. An entry's text is its addresses,
// each followed by CR LF. The table names the record's entries and holds no text of its own.
// No limit on the number of entries: everything stored reaches the written list.
class AddressTable {
public:
    using Entry = AcceptedAddresses::Entry;

    // `record` holds every entry the table is given and must outlive it.
    explicit AddressTable(const AcceptedAddresses& record) : m_groups(record), m_record(record) {}

    // Alphabetical mode: the address of `entry` becomes an entry of its own, after the others.
    void appendAddress(Entry entry) { m_addresses.append(entry); }

    enum class Placement { Added, Ignored };
    // Domain mode: puts the address of `entry` into its domain's group, unless its domain is
    // the ignored one.
    Placement addToDomainGroup(Entry entry, const IgnoredDomain& ignored);

    qsizetype entryCount() const { return qsizetype(m_addresses.size()) + m_groups.groupCount(); }
    bool isEmpty() const { return m_addresses.empty() && m_groups.addressCount() == 0; }

    // Puts the entries into ascending order of their whole texts, compared without regard to
    // case (entry_sort.h); equal entries keep their order, the addresses inside a group too.
    void sortEntries();

    // Calls write(lines) with the entries of the list file's lines, in the list's order: every
    // address of every table entry, in a run for each mode.
    template <typename Write>
    void forEachLineRun(Write write) const {
        m_addresses.forEachPart(write);
        write(m_groups.lines());
    }

    // Empties the table and gives its memory back.
    void clear();

private:
    EntryList m_addresses;
    DomainGroups m_groups;
    const AcceptedAddresses& m_record;
};

}  // namespace rosterly

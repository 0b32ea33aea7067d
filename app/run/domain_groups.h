// Grouping the run's addresses by domain, with one domain left out on request.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <span>
#include <vector>

#include "accepted_addresses.h"
#include "entry_list.h"

namespace rosterly {

// The "ignore this domain" option as the run reads it: whether it is ticked, and the domain
// text exactly as typed.
struct IgnoredDomain {
    bool enabled = false;
    QString text;
};

// The text after the first '@' of `address`, or the whole address when it holds none.
QStringView domainPartOf(QStringView address);

// True when the option is ticked and the address's domain part, without leading and trailing
// spaces, equals the typed text without leading and trailing spaces and lower-cased; the
// comparison itself is exact. A subdomain of the ignored domain is not ignored.
bool isIgnored(QStringView address, const IgnoredDomain& ignored);

// Groups of the record's entries, one per domain. Two addresses share a group exactly when
// their domain parts, without leading and trailing spaces, are equal compared without regard
// to case; a domain that is only the tail of another never joins it. Groups stand in the order
// in which their domains first arrived, addresses inside a group in their order of arrival. No
// limit on the number of groups or addresses.
//
// A group's text is its addresses, each followed by CR LF. Since every domain has exactly one
// group, no two group texts are equal, and a rule that leaves out a group whose text repeats
// an earlier one can never fire. (Leaving out a group whose text merely occurs inside the
// text written so far would lose addresses: the group of "u@d.cc" occurs inside the line
// "x@yu@d.cc", whose domain part is "yu@d.cc". Writers must not do that.)
//
// Entries are grouped when the groups are first looked at after an add, all at once: adding
// costs nothing while entries come in the record's order, one after the next, and 4 bytes an
// entry otherwise (entry_list.h); grouping takes 14 more an entry and 1 MiB in passing, and
// keeps 4 an entry and 4 a group.
class DomainGroups {
public:
    using Entry = AcceptedAddresses::Entry;

    // `record` holds every entry added and must outlive the groups.
    explicit DomainGroups(const AcceptedAddresses& record) : m_record(record) {}

    // Puts `entry` into its domain's group, starting the group when it is the domain's first.
    // Each entry is added at most once.
    void add(Entry entry) { m_pending.append(entry); }

    qsizetype groupCount() const;
    // All addresses in all groups.
    qsizetype addressCount() const { return qsizetype(m_members.size() + m_pending.size()); }
    // The group's entries in order; groups are numbered from 0.
    std::span<const Entry> group(qsizetype index) const;

    // Puts the groups into the sorted list box's order by their whole texts (entry_sort.h):
    // in effect by their first addresses. The addresses inside a group keep their order, and
    // addresses added later still join their domain's group.
    void sortGroups();

    // Every address of every group, in the groups' order; valid until the next change.
    std::span<const Entry> lines() const {
        settle();
        return m_members;
    }

    void clear();

private:
    void settle() const;
    void regroup(const EntryList& sequence) const;

    const AcceptedAddresses& m_record;
    mutable EntryList m_pending;             // added, not yet grouped
    mutable std::vector<Entry> m_members;    // grouped: group 0's entries, then group 1's ...
    mutable std::vector<uint32_t> m_starts;  // where each group starts in m_members, then the end
};

}  // namespace rosterly

// AddressTable: the run's list entries for the alphabetical and the domain modes.
#pragma once

#include <QString>
#include <QStringList>

#include "domain_groups.h"

namespace rosterly {

// In alphabetical mode every entry is one address; in domain mode every entry is the group of
// one domain (domain_groups.h). A run uses one mode only. An entry's text is its addresses,
// each followed by CR LF. No limit on the number of entries: everything stored reaches the
// written list.
class AddressTable {
public:
    // Alphabetical mode: `address` becomes an entry of its own, after the others.
    void appendAddress(const QString& address);

    // Domain mode: puts `address` into its domain's group, unless its domain is the ignored
    // one or the group holds it already.
    DomainGroups::Placement addToDomainGroup(const QString& address, const IgnoredDomain& ignored);

    qsizetype entryCount() const { return m_addresses.size() + m_groups.groupCount(); }
    bool isEmpty() const { return entryCount() == 0; }

    // Puts the entries into ascending order of their whole texts, compared without regard to
    // case (entry_sort.h); equal entries keep their order, the addresses inside a group too.
    void sortEntries();

    // The text of every entry in order, then "<END>": the list file's text.
    QString listText() const;

    // Empties the table and gives its memory back.
    void clear();

private:
    QStringList m_addresses;
    DomainGroups m_groups;
};

// A list file's text: the addresses of `entries` (each followed by CR LF), then "<END>".
QString listFileText(const QString& entries);

}  // namespace rosterly

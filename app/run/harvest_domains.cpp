// Domain grouping and sorting of the run's address table.
#include "harvest_run.h"

namespace rosterly {

// The address just accepted is the record's latest entry.
void HarvestRun::DoDomain() {
    AddressTable.addToDomainGroup(AcceptedAddresses::Entry(m_accepted.size() - 1),
                                  m_options.ignored);
}

// The sort itself takes well under a second for a million entries, so the window yields once
// to show "Sorting..." rather than once per entry.
void HarvestRun::SortDomains() {
    if (!m_options.sort) return;
    m_window.setStatus(QStringLiteral("Sorting..."));
    m_window.yield();
    stopped();
    AddressTable.sortEntries();
    m_window.setStatus(QString());
}

}  // namespace rosterly

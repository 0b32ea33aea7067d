#include "address_table.h"

#include "entry_sort.h"

namespace rosterly {

AddressTable::Placement AddressTable::addToDomainGroup(Entry entry, const IgnoredDomain& ignored) {
    if (ignored.enabled && isIgnored(m_record.address(entry), ignored)) return Placement::Ignored;
    m_groups.add(entry);
    return Placement::Added;
}

void AddressTable::sortEntries() {
    rosterly::sortEntries(
        m_addresses.list(),
        [this](Entry entry, uint32_t k) {
            return k == 0 ? m_record.line(entry) : QByteArrayView();
        },
        [this](std::span<const Entry> entries) { m_record.prefetchLines(entries); });
    m_groups.sortGroups();
}

void AddressTable::clear() {
    m_addresses.clear();
    m_groups.clear();
}

}  // namespace rosterly

#include "address_table.h"

#include "entry_sort.h"

namespace rosterly {

AddressTable::Placement AddressTable::addToDomainGroup(Entry entry, const IgnoredDomain& ignored) {
    if (ignored.enabled && isIgnored(m_record.address(entry), ignored)) return Placement::Ignored;
    m_groups.add(entry);
    return Placement::Added;
}

void AddressTable::appendAddress(Entry entry) {
    if (m_addresses.empty()) {
        if (m_rangeFirst == m_rangeEnd) m_rangeFirst = m_rangeEnd = entry;
        if (entry == m_rangeEnd) {
            ++m_rangeEnd;
            return;
        }
        listRange();
    }
    m_addresses.push_back(entry);
}

// The range's entries become listed ones, in their order.
void AddressTable::listRange() {
    m_addresses.reserve(m_addresses.size() + (m_rangeEnd - m_rangeFirst));
    for (Entry entry = m_rangeFirst; entry < m_rangeEnd; ++entry) m_addresses.push_back(entry);
    m_rangeFirst = m_rangeEnd = 0;
}

void AddressTable::sortEntries() {
    listRange();
    rosterly::sortEntries(
        m_addresses,
        [this](Entry entry, uint32_t k) {
            return k == 0 ? m_record.line(entry) : QByteArrayView();
        },
        [this](std::span<const Entry> entries) { m_record.fetchLines(entries); });
    m_groups.sortGroups();
}

void AddressTable::clear() {
    m_addresses = {};
    m_rangeFirst = m_rangeEnd = 0;
    m_groups.clear();
}

}  // namespace rosterly

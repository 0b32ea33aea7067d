#include "address_table.h"

#include "entry_sort.h"

namespace rosterly {
namespace {

const QString kListEnd = QStringLiteral("<END>");
constexpr QStringView kLineEnd = u"\r\n";

}  // namespace

void AddressTable::appendAddress(const QString& address) {
    m_addresses.push_back(address);
}

DomainGroups::Placement AddressTable::addToDomainGroup(const QString& address,
                                                       const IgnoredDomain& ignored) {
    return m_groups.add(address, ignored);
}

void AddressTable::sortEntries() {
    sortAddresses(m_addresses);
    m_groups.sortGroups();
}

QString AddressTable::listText() const {
    qsizetype size = kListEnd.size();
    for (const QString& address : m_addresses) size += address.size() + kLineEnd.size();
    QString text;
    text.reserve(size);
    for (const QString& address : m_addresses) {
        text += address;
        text += kLineEnd;
    }
    for (qsizetype g = 0; g < m_groups.groupCount(); ++g) {
        for (const QString& address : m_groups.group(g)) {
            text += address;
            text += kLineEnd;
        }
    }
    text += kListEnd;
    return text;
}

void AddressTable::clear() {
    m_addresses = QStringList();
    m_groups.clear();
}

QString listFileText(const QString& entries) {
    return entries + kListEnd;
}

}  // namespace rosterly

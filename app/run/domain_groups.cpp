#include "domain_groups.h"

#include "case_fold.h"
#include "entry_sort.h"

#include <utility>

namespace rosterly {
namespace {

// Only the blank counts here, not tabs or other white space.
QStringView trimSpaces(QStringView text) {
    while (!text.isEmpty() && text.front() == u' ') {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && text.back() == u' ') {
        text.chop(1);
    }
    return text;
}

}  // namespace

QStringView domainPartOf(QStringView address) {
    const qsizetype at = address.indexOf(u'@');
    return at < 0 ? address : address.sliced(at + 1);
}

bool isIgnored(QStringView address, const IgnoredDomain& ignored) {
    return ignored.enabled &&
           trimSpaces(domainPartOf(address)) == trimSpaces(ignored.text).toString().toLower();
}

DomainGroups::Placement DomainGroups::add(const QString& address, const IgnoredDomain& ignored) {
    if (isIgnored(address, ignored)) {
        return Placement::Ignored;
    }
    const QString folded = caseFolded(address);
    if (m_present.contains(folded)) {
        // Equal folded addresses have equal folded domains, so this one's group holds it.
        return Placement::AlreadyPresent;
    }
    m_present.insert(folded);
    const QString domain = caseFolded(trimSpaces(domainPartOf(address)));
    const auto found = m_groupOfDomain.constFind(domain);
    if (found != m_groupOfDomain.constEnd()) {
        m_groups[size_t(*found)].append(address);
    } else {
        m_groupOfDomain.insert(domain, groupCount());
        m_groups.push_back(QStringList{address});
    }
    return Placement::Added;
}

QString DomainGroups::groupText(qsizetype index) const {
    const QStringList& addresses = group(index);
    qsizetype length = 0;
    for (const QString& address : addresses) {
        length += address.size() + 2;
    }
    QString text;
    text.reserve(length);
    for (const QString& address : addresses) {
        text += address;
        text += u"\r\n";
    }
    return text;
}

void DomainGroups::sortGroups() {
    const auto order = sortedEntryOrder(groupCount(), [this](qsizetype entry, qsizetype k) {
        const QStringList& addresses = group(entry);
        return k < addresses.size() ? &addresses[k] : nullptr;
    });
    std::vector<QStringList> sorted;
    sorted.reserve(m_groups.size());
    for (qsizetype entry : order) {
        sorted.push_back(std::move(m_groups[size_t(entry)]));
    }
    m_groups = std::move(sorted);
    for (qsizetype i = 0; i < groupCount(); ++i) {
        m_groupOfDomain[caseFolded(trimSpaces(domainPartOf(m_groups[size_t(i)].front())))] = i;
    }
}

void DomainGroups::clear() {
    m_groups.clear();
    m_groupOfDomain.clear();
    m_present.clear();
}

}  // namespace rosterly

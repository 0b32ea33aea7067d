#include "domain_groups.h"

#include "platform/case_fold.h"
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

// What two addresses of one group have in common.
QString domainKeyOf(QStringView address) {
    return caseFolded(trimSpaces(domainPartOf(address)));
}

bool isIgnored(QStringView address, const IgnoredDomain& ignored) {
    return ignored.enabled &&
           trimSpaces(domainPartOf(address)) == trimSpaces(ignored.text).toString().toLower();
}

DomainGroups::Placement DomainGroups::add(const QString& address, const IgnoredDomain& ignored) {
    if (isIgnored(address, ignored)) {
        return Placement::Ignored;
    }
    const qsizetype before = m_present.size();
    m_present.insert(address);
    if (m_present.size() == before) {
        return Placement::AlreadyPresent;
    }
    const qsizetype group = groupOfDomain(address);
    const qsizetype member = addressCount();
    m_members.push_back({address, -1});
    if (group < groupCount()) {
        m_members[size_t(m_groups[size_t(group)].last)].next = member;
        m_groups[size_t(group)].last = member;
    } else {
        m_groups.push_back({member, member});
    }
    return Placement::Added;
}

// The index of the address's group; groupCount() for a new domain, which is then entered.
qsizetype DomainGroups::groupOfDomain(QStringView address) {
    const QStringView domain = trimSpaces(domainPartOf(address));
    // Lower-case domains, the usual case, are looked up as they stand.
    const QString folded = isCaseFolded(domain) ? QString() : caseFolded(domain);
    // A key over the address's own characters: no copy unless the domain is new.
    const QString key =
        folded.isNull() ? QString::fromRawData(domain.data(), domain.size()) : folded;
    const auto found = m_groupOfDomain.constFind(key);
    if (found != m_groupOfDomain.constEnd()) {
        return *found;
    }
    m_groupOfDomain.insert(QString(key.constData(), key.size()), groupCount());
    return groupCount();
}

const QString* DomainGroups::addressAt(qsizetype group, qsizetype k) const {
    qsizetype member = m_groups[size_t(group)].first;
    for (; member >= 0 && k > 0; --k) {
        member = m_members[size_t(member)].next;
    }
    return member >= 0 ? &m_members[size_t(member)].address : nullptr;
}

QStringList DomainGroups::group(qsizetype index) const {
    QStringList addresses;
    for (qsizetype m = m_groups[size_t(index)].first; m >= 0; m = m_members[size_t(m)].next) {
        addresses.append(m_members[size_t(m)].address);
    }
    return addresses;
}

QString DomainGroups::groupText(qsizetype index) const {
    QString text;
    for (qsizetype m = m_groups[size_t(index)].first; m >= 0; m = m_members[size_t(m)].next) {
        text += m_members[size_t(m)].address;
        text += u"\r\n";
    }
    return text;
}

void DomainGroups::sortGroups() {
    // Groups never tie on their first address (their domains differ), so the walk to later
    // addresses in addressAt is rare.
    const auto order = sortedEntryOrder(
        groupCount(), [this](qsizetype entry, qsizetype k) { return addressAt(entry, k); });
    std::vector<Group> sorted;
    sorted.reserve(m_groups.size());
    for (qsizetype entry : order) {
        sorted.push_back(m_groups[size_t(entry)]);
    }
    m_groups = std::move(sorted);
    m_groupOfDomain.clear();
    for (qsizetype i = 0; i < groupCount(); ++i) {
        m_groupOfDomain.insert(domainKeyOf(*addressAt(i, 0)), i);
    }
}

void DomainGroups::clear() {
    m_members.clear();
    m_groups.clear();
    m_groupOfDomain.clear();
    m_present.clear();
}

}  // namespace rosterly

// Grouping the run's addresses by domain, with one domain left out on request.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

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

// Groups of addresses, one per domain. Two addresses share a group exactly when their domain
// parts, without leading and trailing spaces, are equal compared without regard to case; a
// domain that is only the tail of another never joins it. Groups stand in the order in which
// their domains first arrived, addresses inside a group in their order of arrival. No limit on
// the number of groups or addresses.
//
// A group's text is its addresses, each followed by CR LF. Since every domain has exactly one
// group, no two group texts are equal, and a rule that leaves out a group whose text repeats
// an earlier one can never fire. (Leaving out a group whose text merely occurs inside the
// text written so far would lose addresses: the group of "u@d.cc" occurs inside the line
// "x@yu@d.cc", whose domain part is "yu@d.cc". Writers must not do that.)
class DomainGroups {
public:
    enum class Placement { Added, Ignored, AlreadyPresent };

    // Puts `address` into its domain's group, starting the group when it is the domain's
    // first. Ignored: the address's domain is the ignored one; it goes into no group.
    // AlreadyPresent: its group holds exactly the same address.
    Placement add(const QString& address, const IgnoredDomain& ignored);

    qsizetype groupCount() const { return qsizetype(m_groups.size()); }
    // All addresses in all groups.
    qsizetype addressCount() const { return qsizetype(m_members.size()); }
    // The group's addresses in order; groups are numbered from 0.
    QStringList group(qsizetype index) const;
    // The group's addresses, each followed by CR LF.
    QString groupText(qsizetype index) const;

    // Puts the groups into the sorted list box's order by their whole texts (entry_sort.h):
    // in effect by their first addresses. The addresses inside a group keep their order, and
    // addresses arriving later still join their domain's group.
    void sortGroups();

    void clear();

private:
    // Groups are chains through one array, so adding an address never moves others.
    struct Member {
        QString address;
        qsizetype next;  // the group's next member, or -1
    };
    struct Group {
        qsizetype first;
        qsizetype last;
    };

    qsizetype groupOfDomain(QStringView address);
    const QString* addressAt(qsizetype group, qsizetype k) const;

    std::vector<Member> m_members;
    std::vector<Group> m_groups;
    QHash<QString, qsizetype> m_groupOfDomain;  // folded, trimmed domain part -> group index
    QSet<QString> m_present;                    // every grouped address
};

}  // namespace rosterly

#include "sorted_list.h"

#include <algorithm>

namespace rosterly {
namespace {

// The text ordinary comparison orders as QString::compare orders without
// regard to case. Lists are mostly lower-case ASCII addresses: those share
// the item's own data, other ASCII text is lowered directly, and only the
// rest takes Qt's general (and much slower) case folding.
QString sortKey(const QString& item) {
    bool ascii = true;
    bool upper = false;
    for (QChar c : item) {
        ascii = ascii && c.unicode() < 0x80;
        upper = upper || (c >= u'A' && c <= u'Z');
    }
    if (!ascii) return item.toCaseFolded();
    if (!upper) return item;
    QString key = item;
    for (QChar& c : key)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return key;
}

bool keyLess(const SortedList::Entry& a, const SortedList::Entry& b) {
    return a.key < b.key;
}

}  // namespace

void SortedList::clear() {
    m_items.clear();
    m_ordered = 0;
    m_selected = -1;
}

void SortedList::addItem(const QString& item) {
    m_items.push_back({sortKey(item), item});
}

void SortedList::addItems(const QStringList& items) {
    m_items.reserve(m_items.size() + items.size());
    for (const QString& item : items) addItem(item);
}

QString SortedList::item(int index) const {
    putInOrder();
    return m_items.at(static_cast<std::size_t>(index)).text;
}

void SortedList::setSelectedIndex(int index) {
    m_selected = index >= 0 && index < count() ? index : -1;
}

QString SortedList::selectedText() const {
    return m_selected < 0 ? QString() : item(m_selected);
}

void SortedList::putInOrder() const {
    if (m_ordered == m_items.size()) return;
    const auto tail = m_items.begin() + static_cast<std::ptrdiff_t>(m_ordered);
    // Both steps are stable and the new items all follow the old ones, so
    // equal items keep the order in which they were added.
    std::stable_sort(tail, m_items.end(), keyLess);
    std::inplace_merge(m_items.begin(), tail, m_items.end(), keyLess);
    m_ordered = m_items.size();
}

}  // namespace rosterly

#include "sorted_list.h"

#include <algorithm>

#include "platform/case_fold.h"

namespace rosterly {
namespace {

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
    m_items.push_back({caseFolded(item), item});
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

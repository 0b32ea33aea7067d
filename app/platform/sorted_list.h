// The window's hidden sorted list (`List1`): keeps its items in ascending
// order, compared without regard to case (the order QString::compare gives
// with Qt::CaseInsensitive); items that compare equal keep the order in which
// they were added. It is not a widget and never shows anything.
//
// Adding is cheap: items are appended and put in order the next time the list
// is read, by one stable sort of the new items merged into the ordered ones.
// Filling the list and then reading it back costs O(n log n) in all: a
// million lower-case addresses take about a second; reading between single
// adds costs one merge per read.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace rosterly {

class SortedList {
public:
    void clear();
    void addItem(const QString& item);
    void addItems(const QStringList& items);
    int count() const { return static_cast<int>(m_items.size()); }
    // Precondition: 0 <= index < count().
    QString item(int index) const;

    // The selection: an index, or -1 for none. Clearing the list drops it.
    // Selecting an index outside 0..count()-1 selects nothing.
    void setSelectedIndex(int index);
    int selectedIndex() const { return m_selected; }
    // The selected item's text; empty when nothing is selected.
    QString selectedText() const;

    // An item and the key it is ordered by.
    struct Entry {
        QString key;  // ordinary comparison of keys orders items case-blind
        QString text;
    };

private:
    void putInOrder() const;

    mutable std::vector<Entry> m_items;
    mutable std::size_t m_ordered = 0;  // m_items[0, m_ordered) are in order
    int m_selected = -1;
};

}  // namespace rosterly

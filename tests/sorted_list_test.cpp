#include "platform/sorted_list.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

#include <QRandomGenerator>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

QStringList itemsOf(const SortedList& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.item(i);
    return items;
}

TEST(SortedListTest, KeepsItemsInCaseBlindAscendingOrder) {
    SortedList list;
    for (const QString& item : {u"bob@x.de"_s, u"Ann@y.de"_s, u"carl@z.de"_s, u"ann@a.de"_s})
        list.addItem(item);
    EXPECT_EQ(itemsOf(list),
              (QStringList{u"ann@a.de"_s, u"Ann@y.de"_s, u"bob@x.de"_s, u"carl@z.de"_s}));
}

TEST(SortedListTest, EqualItemsKeepTheOrderTheyWereAdded) {
    SortedList list;
    list.addItems({u"B"_s, u"a"_s, u"b"_s});
    list.addItem(u"A"_s);
    EXPECT_EQ(itemsOf(list), (QStringList{u"a"_s, u"A"_s, u"B"_s, u"b"_s}));
}

TEST(SortedListTest, EmptyItemSortsFirstAndLineBreaksCount) {
    SortedList list;
    list.addItems({u"b@x\r\n"_s, u""_s, u"a@x\r\nz@x\r\n"_s});
    EXPECT_EQ(itemsOf(list), (QStringList{u""_s, u"a@x\r\nz@x\r\n"_s, u"b@x\r\n"_s}));
}

TEST(SortedListTest, AddingBetweenReadsKeepsOrder) {
    SortedList list;
    list.addItem(u"m"_s);
    EXPECT_EQ(list.item(0), u"m"_s);
    list.addItem(u"C"_s);
    list.addItem(u"x"_s);
    EXPECT_EQ(itemsOf(list), (QStringList{u"C"_s, u"m"_s, u"x"_s}));
}

TEST(SortedListTest, OrderMatchesCaseInsensitiveCompare) {
    QStringList items;
    auto* random = QRandomGenerator::global();
    const QString alphabet = u"aAbBzZ09.-_@\u00E9\u00C9\u00DF"_s;
    for (int i = 0; i < 2000; ++i) {
        QString item;
        for (int n = random->bounded(1, 8); n > 0; --n)
            item += alphabet[random->bounded(alphabet.size())];
        items << item;
    }
    SortedList list;
    list.addItems(items);
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(itemsOf(list), items);
}

TEST(SortedListTest, SelectionReadsTheItemAtAnIndexInOrder) {
    SortedList list;
    list.addItems({u"c"_s, u"a"_s, u"b"_s});
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.selectedText(), QString());
    list.setSelectedIndex(1);
    EXPECT_EQ(list.selectedText(), u"b"_s);
    list.setSelectedIndex(3);
    EXPECT_EQ(list.selectedIndex(), -1);
}

TEST(SortedListTest, ClearRemovesItemsAndSelection) {
    SortedList list;
    list.addItems({u"a"_s, u"b"_s});
    list.setSelectedIndex(0);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selectedIndex(), -1);
}

}  // namespace
}  // namespace rosterly

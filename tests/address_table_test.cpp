#include "address_table.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <random>

#include "entry_sort.h"

namespace rosterly {
namespace {

using Entry = AcceptedAddresses::Entry;

// The alphabetical table against a plain list of the same entries, sorted the same way.
class AddressTableTest : public ::testing::Test {
protected:
    // Some thousands of addresses, upper and lower case mixed; repeats are not recorded.
    AddressTableTest() {
        std::mt19937 random(7);
        for (int i = 0; i < 3000; ++i) {
            const char16_t first = char16_t((random() % 2 ? u'a' : u'A') + random() % 26);
            const QString address = QStringLiteral("%1%2@d%3.cc")
                                        .arg(QChar(first))
                                        .arg(random() % 100000)
                                        .arg(random() % 7);
            (void)record.insert(address);
        }
    }

    QStringList written() const {
        QStringList all;
        table.forEachLineRun([&](std::span<const Entry> lines) {
            for (const Entry entry : lines) all << record.address(entry);
        });
        return all;
    }
    QStringList sortedReference(std::vector<uint32_t> entries) const {
        sortEntries(
            entries,
            [this](uint32_t entry, uint32_t k) {
                return k == 0 ? record.line(entry) : QByteArrayView();
            },
            [](std::span<const uint32_t>) {});
        QStringList all;
        for (const uint32_t entry : entries) all << record.address(entry);
        return all;
    }
    QStringList addresses(const std::vector<uint32_t>& entries) const {
        QStringList all;
        for (const uint32_t entry : entries) all << record.address(entry);
        return all;
    }

    AcceptedAddresses record;
    AddressTable table{record};
};

TEST_F(AddressTableTest, EntriesAppendedOneAfterAnotherAreWrittenAndSortedAsAList) {
    std::vector<uint32_t> appended;
    for (Entry entry = 5; entry < Entry(record.size()); ++entry) {
        table.appendAddress(entry);
        appended.push_back(entry);
    }
    EXPECT_EQ(table.entryCount(), qsizetype(appended.size()));
    EXPECT_FALSE(table.isEmpty());
    // Unsorted, the entries go out in their order, across several parts.
    EXPECT_EQ(written(), addresses(appended));
    table.sortEntries();
    EXPECT_EQ(written(), sortedReference(appended));
}

TEST_F(AddressTableTest, AnEntryOutOfTurnKeepsTheOrderOfThoseBefore) {
    std::vector<uint32_t> appended{3, 4, 5, 6, 1, 2, 9, 10, 11, 0};
    for (const uint32_t entry : appended) table.appendAddress(entry);
    EXPECT_EQ(table.entryCount(), qsizetype(appended.size()));
    EXPECT_EQ(written(), addresses(appended));
    table.sortEntries();
    EXPECT_EQ(written(), sortedReference(appended));
}

// A piece that could not be written keeps its sorted entries, and the next ones join them.
TEST_F(AddressTableTest, EntriesAppendedAfterASortAreSortedWithTheOthers) {
    std::vector<uint32_t> appended;
    for (Entry entry = 0; entry < 1500; ++entry) {
        table.appendAddress(entry);
        appended.push_back(entry);
    }
    table.sortEntries();
    for (Entry entry = 1500; entry < 1600; ++entry) {
        table.appendAddress(entry);
        appended.push_back(entry);
    }
    EXPECT_EQ(table.entryCount(), 1600);
    table.sortEntries();
    EXPECT_EQ(written(), sortedReference(appended));
}

TEST_F(AddressTableTest, ClearedTableStartsAFreshRange) {
    for (Entry entry = 0; entry < 10; ++entry) table.appendAddress(entry);
    table.clear();
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.entryCount(), 0);
    EXPECT_TRUE(written().isEmpty());
    for (Entry entry = 10; entry < 13; ++entry) table.appendAddress(entry);
    EXPECT_EQ(written(), addresses({10, 11, 12}));
}

}  // namespace
}  // namespace rosterly

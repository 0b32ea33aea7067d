#include "list_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <numeric>
#include <random>
#include <span>
#include <vector>

#include "platform/rtf_writer.h"
#include "platform/text_codec.h"

namespace rosterly {
namespace {

class ListFileTest : public ::testing::Test {
protected:
    void record(const QStringList& addresses) {
        for (const QString& address : addresses) ASSERT_TRUE(accepted.insert(address));
    }
    QByteArray contents() const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("list.doc"));
    AcceptedAddresses accepted;
};

TEST_F(ListFileTest, PlainListIsTheLinesThenEnd) {
    record({"a@b.cc", "\u00e9t\u00e9@x.fr", "c@d.cc", "\U0001F600@x.cc"});
    ListFile file(path, ListFile::Format::Plain, accepted);
    file.addLines(1, 3);
    const std::vector<AcceptedAddresses::Entry> rest{0, 3};
    file.addLines(std::span<const AcceptedAddresses::Entry>(rest));
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(contents(),
              "\xc3\xa9t\xc3\xa9@x.fr\r\nc@d.cc\r\na@b.cc\r\n\xf0\x9f\x98\x80@x.cc\r\n<END>");
}

TEST_F(ListFileTest, EmptyListIsEndAlone) {
    ListFile file(path, ListFile::Format::Plain, accepted);
    file.addLines(0, 0);
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(contents(), "<END>");
}

TEST_F(ListFileTest, RichListIsTheRtfOfTheWholeText) {
    const QStringList addresses{"a@b.cc", "{x}\\@y.cc", "\u00e9t\u00e9@x.fr", "t\tab@x.cc",
                                "\U0001F600@x.cc"};
    record(addresses);
    ListFile file(path, ListFile::Format::Rich, accepted);
    file.addLines(0, AcceptedAddresses::Entry(addresses.size()));
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(contents(), writeRtf(addresses.join("\r\n") + "\r\n<END>"));
}

TEST_F(ListFileTest, LoneSurrogatesAreWrittenAsTheTextCodecWritesThem) {
    const QString lone = QStringLiteral("a") + QChar(char16_t(0xDC00)) + QStringLiteral("@x.cc");
    record({"b@y.cc", lone});
    for (const auto format : {ListFile::Format::Plain, ListFile::Format::Rich}) {
        ListFile file(path, format, accepted);
        file.addLines(0, 2);
        ASSERT_TRUE(file.commit().ok());
        const QString text = QStringLiteral("b@y.cc\r\n") + lone + QStringLiteral("\r\n<END>");
        EXPECT_EQ(contents(),
                  format == ListFile::Format::Plain ? encodeText(text) : writeRtf(text));
    }
}

TEST_F(ListFileTest, ListLargerThanOneBlockIsWrittenWhole) {
    QByteArray expected;
    for (int i = 0; i < 100000; ++i) {
        const QString address = QStringLiteral("user%1@example.com").arg(i);
        ASSERT_TRUE(accepted.insert(address));
        expected += address.toLatin1() + "\r\n";
    }
    ListFile file(path, ListFile::Format::Plain, accepted);
    std::vector<AcceptedAddresses::Entry> order(100000);
    std::iota(order.begin(), order.end(), 0u);
    file.addLines(std::span<const AcceptedAddresses::Entry>(order));
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(contents(), expected + "<END>");
}

// A long list in sorted order is written in two halves at once, the second by way of a part
// file: the list must come out whole and in order, and the part file must be gone.
TEST_F(ListFileTest, LongListInGivenOrderIsWrittenWholeInBothFormats) {
    constexpr int kCount = 150001;
    QStringList addresses;
    for (int i = 0; i < kCount; ++i) {
        addresses << (i % 1000 == 7 ? QStringLiteral("{\\x%1}@\u00e9t\u00e9.fr").arg(i)
                                    : QStringLiteral("user%1@example.com").arg(i));
    }
    record(addresses);
    std::vector<AcceptedAddresses::Entry> order(kCount);
    std::iota(order.begin(), order.end(), 0u);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    QStringList inOrder;
    for (const auto entry : order) inOrder << addresses[qsizetype(entry)];
    const QString text = inOrder.join("\r\n") + "\r\n<END>";
    for (const auto format : {ListFile::Format::Plain, ListFile::Format::Rich}) {
        ListFile file(path, format, accepted);
        file.addLines(std::span<const AcceptedAddresses::Entry>(order));
        ASSERT_TRUE(file.commit().ok());
        EXPECT_TRUE(contents() ==
                    (format == ListFile::Format::Plain ? encodeText(text) : writeRtf(text)));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.doc"});
    }
}

TEST_F(ListFileTest, FailedListLeavesTheOldFileAndSaysWhy) {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    record({"a@b.cc"});
    {
        ListFile elsewhere(dir.filePath(QStringLiteral("no/such/list.doc")),
                           ListFile::Format::Plain, accepted);
        elsewhere.addLines(0, 1);
        const Status status = elsewhere.commit();
        EXPECT_FALSE(status.ok());
        EXPECT_TRUE(status.message().contains(QStringLiteral("list.doc")));
    }
    {
        ListFile unfinished(path, ListFile::Format::Plain, accepted);
        unfinished.addLines(0, 1);  // never committed
    }
    EXPECT_EQ(contents(), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.doc"});
}

TEST_F(ListFileTest, ReplacedListKeepsItsPermissionsAndNewOneIsReadableByAll) {
    record({"a@b.cc"});
    const auto write = [&] {
        ListFile file(path, ListFile::Format::Plain, accepted);
        file.addLines(0, 1);
        return file.commit().ok();
    };
    ASSERT_TRUE(write());
    EXPECT_TRUE(QFile::permissions(path) & QFile::ReadOther);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(write());
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadOther | QFile::ReadGroup), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.doc"});
}

}  // namespace
}  // namespace rosterly

#include "platform/rich_text_buffer.h"

#include <gtest/gtest.h>

#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

class RichTextBufferTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void writeBytes(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray readBytes(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
    RichTextBuffer m_buffer;
};

TEST_F(RichTextBufferTest, PlainSaveWritesUtf8WithTheTextsLineBreaks) {
    m_buffer.setText(u"m\u00FCller@x.de\r\nann@y.org\r\n<END>"_s);
    ASSERT_TRUE(m_buffer.saveFile(path(u"list.txt"_s), RichTextBuffer::Format::Plain).ok());
    EXPECT_EQ(readBytes(u"list.txt"_s), QByteArray("m\xC3\xBCller@x.de\r\nann@y.org\r\n<END>"));
}

TEST_F(RichTextBufferTest, PlainLoadReplacesTextAndKeepsLineBreaks) {
    writeBytes(u"in.txt"_s, "first\r\nsecond\nm\xFCller\r\n");
    m_buffer.setText(u"old"_s);
    ASSERT_TRUE(m_buffer.loadFile(path(u"in.txt"_s), RichTextBuffer::Format::Plain).ok());
    EXPECT_EQ(m_buffer.text(), u"first\r\nsecond\nm\u00FCller\r\n"_s);
}

TEST_F(RichTextBufferTest, PlainSaveThenLoadRoundTrips) {
    const QString text = u"\u4E2D@x.cn\r\n\u00E9@y.fr\r\n<END>"_s;
    m_buffer.setText(text);
    ASSERT_TRUE(m_buffer.saveFile(path(u"rt.txt"_s), RichTextBuffer::Format::Plain).ok());
    m_buffer.setText({});
    ASSERT_TRUE(m_buffer.loadFile(path(u"rt.txt"_s), RichTextBuffer::Format::Plain).ok());
    EXPECT_EQ(m_buffer.text(), text);
}

TEST_F(RichTextBufferTest, LoadingAMissingFileFailsAndKeepsTheText) {
    m_buffer.setText(u"kept"_s);
    const Status status = m_buffer.loadFile(path(u"absent.txt"_s), RichTextBuffer::Format::Plain);
    EXPECT_FALSE(status.ok());
    EXPECT_TRUE(status.message().contains(u"absent.txt"_s));
    EXPECT_EQ(m_buffer.text(), u"kept"_s);
}

TEST_F(RichTextBufferTest, LoadingRichTextIsRefused) {
    writeBytes(u"doc.rtf"_s, "{\\rtf1 x}");
    EXPECT_FALSE(m_buffer.loadFile(path(u"doc.rtf"_s), RichTextBuffer::Format::Rich).ok());
}

TEST_F(RichTextBufferTest, SavingIntoAMissingDirectoryFailsWithoutAFile) {
    m_buffer.setText(u"a@b.c"_s);
    const QString target = path(u"no/such/dir/list.txt"_s);
    EXPECT_FALSE(m_buffer.saveFile(target, RichTextBuffer::Format::Plain).ok());
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(RichTextBufferTest, FailedSaveLeavesTheOldFileWhole) {
    writeBytes(u"old.txt"_s, "old list\r\n<END>");
    // A read-only directory lets the old file stay readable but refuses the
    // replacement the save writes beside it.
    ASSERT_TRUE(
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    m_buffer.setText(u"new list"_s);
    const Status status = m_buffer.saveFile(path(u"old.txt"_s), RichTextBuffer::Format::Plain);
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (status.ok())
        GTEST_SKIP() << "running with rights that ignore directory permissions";
    EXPECT_EQ(readBytes(u"old.txt"_s), QByteArray("old list\r\n<END>"));
}

}  // namespace
}  // namespace rosterly

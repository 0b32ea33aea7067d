// What a command-line run shows on a terminal: the progress line and the boxes in text form.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include "command_line/console_message_boxes.h"
#include "command_line/console_window.h"

namespace rosterly {
namespace {

// A stream standing in for a terminal, read back as text.
class Captured {
public:
    Captured() : m_file(std::tmpfile()) {}
    ~Captured() { std::fclose(m_file); }
    std::FILE* stream() const { return m_file; }
    QByteArray text() const {
        std::fflush(m_file);
        std::rewind(m_file);
        QByteArray bytes;
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, m_file)) > 0) bytes.append(chunk, got);
        return bytes;
    }

private:
    std::FILE* m_file;
};

TEST(ConsoleWindowTest, ProgressLineForSeveralFilesIsRedrawnInPlaceAndClearedAtTheEnd) {
    Captured terminal;
    {
        ConsoleWindow window({}, terminal.stream());
        window.showReading({1, 2, QStringLiteral("/mail/one.txt"), 0, 0}, false);
        window.showReading({2, 2, QStringLiteral("/mail/two.txt"), 3 << 20, 41}, false);
        window.showReading({2, 2, QStringLiteral("/mail/two.txt"), 4 << 20, 42}, true);
    }
    const QByteArray shown = terminal.text();
    const QByteArray last = "file 2 of 2, 3.0 MiB read, 41 addresses: two.txt";
    EXPECT_TRUE(shown.startsWith("\rfile 1 of 2, 0 KiB read, 0 addresses: one.txt"))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains("\r" + last));
    EXPECT_FALSE(shown.contains('\n'));
    // The last thing drawn wipes the line and returns to its start.
    EXPECT_TRUE(shown.endsWith(last + "\r" + QByteArray(last.size(), ' ') + "\r"))
        << shown.toStdString();
}

TEST(ConsoleWindowTest, NoProgressForOneSmallFileOrWithoutTerminal) {
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.txt"));
    QFile file(small);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("a@b.cc\r\n");
    file.close();
    Captured terminal;
    {
        ConsoleWindow window({}, terminal.stream());
        window.showReading({1, 1, small, 0, 0}, false);
        window.showReading({1, 1, small, 8, 1}, true);
        ConsoleWindow silent({}, nullptr);
        silent.showReading({1, 5, small, 0, 0}, false);
    }
    EXPECT_EQ(terminal.text(), "");
}

TEST(ConsoleMessageBoxesTest, SummaryToOutputFailuresToErrorsOneReasonPerLine) {
    Captured out;
    Captured err;
    ConsoleMessageBoxes boxes(out.stream(), err.stream());
    boxes.show(QStringLiteral("3 Addresses extracted, \r\n1 Duplicates removed."),
               MessageIcon::Information);
    EXPECT_FALSE(boxes.failed());
    boxes.show(QStringLiteral("File not found."), MessageIcon::Critical, QStringLiteral("Error"),
               QStringLiteral("first reason\nsecond reason"));
    boxes.show(QStringLiteral("Using Alphabetical sorting and\r\nDomain sorting"),
               MessageIcon::Exclamation);
    EXPECT_TRUE(boxes.failed());
    EXPECT_EQ(out.text(), "3 Addresses extracted, \n1 Duplicates removed.\n");
    EXPECT_EQ(err.text(),
              "rosterly: first reason\nrosterly: second reason\n"
              "rosterly: Using Alphabetical sorting and Domain sorting\n");
}

}  // namespace
}  // namespace rosterly

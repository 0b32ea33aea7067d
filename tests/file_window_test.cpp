// A window shows the file's bytes wherever the stretch starts, leaves the room in front to its
// owner, and survives the file being cut short under it; a bus error it does not answer for
// still ends the program.
#include "platform/file_window.h"

#include <gtest/gtest.h>

#include <QTemporaryFile>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <random>

#include <sys/mman.h>
#include <unistd.h>

namespace rosterly {
namespace {

QByteArray randomBytes(std::mt19937& random, int size) {
    QByteArray bytes(size, '\0');
    for (char& byte : bytes) byte = char(random());
    return bytes;
}

constexpr qint64 kWindow = qint64(1) << 16;

TEST(FileWindowTest, ShowsAnyStretchWithRoomInFront) {
    std::mt19937 random(11);
    const QByteArray input = randomBytes(random, 300000);
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(input);
    file.flush();
    ASSERT_TRUE(FileWindow::canShow(file.handle(), kWindow));
    EXPECT_FALSE(FileWindow::canShow(file.handle(), kWindow + 1));  // not whole pages

    FileWindow window(kWindow, kWindow);
    for (qint64 offset : {qint64(0), qint64(1), qint64(4095), qint64(4096), qint64(123457),
                          qint64(input.size()) - kWindow, qint64(input.size()) - 5}) {
        const qint64 count = std::min<qint64>(kWindow, input.size() - offset);
        char* shown = window.show(file.handle(), offset, count);
        ASSERT_NE(shown, nullptr) << offset;
        std::memset(shown - kWindow, '#', std::size_t(kWindow));  // the room is the caller's
        EXPECT_EQ(QByteArray(shown, count), input.mid(offset, count)) << offset;
        EXPECT_FALSE(window.cut());
    }
    EXPECT_EQ(window.show(file.handle(), 0, kWindow + 1), nullptr);  // more than a window
}

TEST(FileWindowTest, AFileCutShortReadsAsZerosAndSaysSo) {
    std::mt19937 random(12);
    const QByteArray input = randomBytes(random, 3 * 4096);
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(input);
    file.flush();

    FileWindow window(kWindow, kWindow);
    const char* shown = window.show(file.handle(), 0, input.size());
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(::ftruncate(file.handle(), 100), 0);
    // The page that still holds the file's end keeps its bytes; the pages after it are gone
    // from the file and read as zeros instead of raising a bus error.
    EXPECT_EQ(QByteArray(shown, 100), input.left(100));
    EXPECT_FALSE(window.cut());
    EXPECT_EQ(QByteArray(shown + 4096, 2 * 4096), QByteArray(2 * 4096, '\0'));
    EXPECT_TRUE(window.cut());

    // The next stretch shown starts afresh.
    shown = window.show(file.handle(), 0, 100);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(window.cut());
    EXPECT_EQ(QByteArray(shown, 100), input.left(100));
}

// Resident memory of the process that no file backs, from the system's account of it.
qint64 anonymousResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The file's bytes are shown where the system caches them: a window copies none of its pages,
// whether it starts on a page or inside one.
TEST(FileWindowTest, ShowingCopiesNoPage) {
    const qint64 window = qint64(4) << 20;
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(QByteArray(int(window + 4096), 'x'));
    file.flush();
    FileWindow shown(4096, window);
    for (qint64 offset : {qint64(0), qint64(100)}) {
        const qint64 before = anonymousResidentKiB();
        ASSERT_GE(before, 0);
        const char* bytes = shown.show(file.handle(), offset, window);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(std::count(bytes, bytes + window, 'x'), window);
        EXPECT_LT(anonymousResidentKiB() - before, 1024) << offset;
    }
}

// Reads the page after the end of a file mapped outside any window.
void readPastAMappedFile() {
    QTemporaryFile file;
    if (!file.open()) return;
    file.write(QByteArray(4096, 'x'));
    file.flush();
    void* mapped = ::mmap(nullptr, 2 * 4096, PROT_READ, MAP_PRIVATE, file.handle(), 0);
    if (mapped == MAP_FAILED) return;
    std::printf("%d\n", static_cast<volatile char*>(mapped)[4096]);
}

TEST(FileWindowDeathTest, OtherBusErrorsStillEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FileWindow window(kWindow, kWindow);  // the guard is in place
    // Ended by the signal, or by whoever handled bus errors first (a sanitizer, say).
    EXPECT_DEATH(readPastAMappedFile(), "");
    EXPECT_DEATH(std::raise(SIGBUS), "");
}

}  // namespace
}  // namespace rosterly

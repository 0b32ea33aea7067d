// An input read ahead on its own thread gives the same bytes, in order, however it is read; a
// failure after the bytes before it; and a reader that can always be let go.
#include "prefetched_input.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryFile>

#include <cstring>
#include <memory>
#include <random>

#include "support/test_devices.h"

namespace rosterly {
namespace {

QByteArray readThrough(QIODevice& device, std::mt19937& random, bool& failed) {
    QByteArray bytes;
    char chunk[300];
    failed = false;
    for (;;) {
        const qint64 got = device.read(chunk, qint64(1 + random() % sizeof chunk));
        if (got < 0) failed = true;
        if (got <= 0) return bytes;
        bytes.append(chunk, qsizetype(got));
    }
}

QByteArray randomBytes(std::mt19937& random, int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i) bytes += char(random());
    return bytes;
}

// A closed temporary file holding `bytes`.
std::unique_ptr<QTemporaryFile> fileHolding(const QByteArray& bytes) {
    auto file = std::make_unique<QTemporaryFile>();
    EXPECT_TRUE(file->open());
    file->write(bytes);
    file->close();
    return file;
}

TEST(PrefetchedInputTest, GivesEveryByteInOrderWhateverTheBlocksAndReads) {
    std::mt19937 random(3);
    const QByteArray input = randomBytes(random, 5000);
    for (qint64 blockBytes : {qint64(1), qint64(7), qint64(256), qint64(1) << 16}) {
        QBuffer source;
        source.setData(input);
        source.open(QIODevice::ReadOnly);
        PrefetchedInput prefetched(source, blockBytes);
        bool failed = true;
        EXPECT_EQ(readThrough(prefetched, random, failed), input) << blockBytes;
        EXPECT_FALSE(failed);
        EXPECT_EQ(prefetched.read(1).size(), 0);  // the end stays the end
    }
}

// A file is read in blocks from their places in it, by two threads.
TEST(PrefetchedInputTest, AFileGivesEveryByteInOrderWhateverTheBlocks) {
    std::mt19937 random(4);
    for (int size : {0, 1, 4096, 5000}) {
        const QByteArray input = randomBytes(random, size);
        const auto file = fileHolding(input);
        for (qint64 blockBytes : {qint64(1), qint64(7), qint64(1024), qint64(1) << 16}) {
            QFile source(file->fileName());
            ASSERT_TRUE(source.open(QIODevice::ReadOnly));
            PrefetchedInput prefetched(source, blockBytes);
            bool failed = true;
            EXPECT_EQ(readThrough(prefetched, random, failed), input) << size << " " << blockBytes;
            EXPECT_FALSE(failed);
            EXPECT_EQ(prefetched.read(1).size(), 0);
        }
    }
}

// Lent blocks come in order, and the room in front of each is the borrower's: scribbling all
// over it changes no byte of this block or of any block still to come.
TEST(PrefetchedInputTest, LentBlocksGiveEveryByteAndRoomInFront) {
    std::mt19937 random(6);
    const QByteArray input = randomBytes(random, 20000);
    const auto file = fileHolding(input);
    for (qint64 blockBytes : {qint64(1), qint64(7), qint64(1000), qint64(1) << 16}) {
        QFile fileSource(file->fileName());
        ASSERT_TRUE(fileSource.open(QIODevice::ReadOnly));
        QBuffer bufferSource;
        bufferSource.setData(input);
        bufferSource.open(QIODevice::ReadOnly);
        for (QIODevice* source :
             {static_cast<QIODevice*>(&fileSource), static_cast<QIODevice*>(&bufferSource)}) {
            PrefetchedInput prefetched(*source, blockBytes);
            ASSERT_TRUE(prefetched.lendsBlocks());
            QByteArray got;
            char* bytes = nullptr;
            qint64 size = 0;
            PrefetchedInput::Borrowed step;
            while ((step = prefetched.borrow(bytes, size)) == PrefetchedInput::Borrowed::Bytes) {
                ASSERT_GT(size, 0);
                got.append(bytes, size);
                std::memset(bytes - prefetched.headroom(), '#', size_t(prefetched.headroom()));
            }
            EXPECT_EQ(step, PrefetchedInput::Borrowed::End);
            EXPECT_EQ(got, input) << blockBytes;
        }
    }
}

// A file is shown rather than copied; cut short under the block being read, it reads as far as
// it still goes and then fails, instead of ending the program.
TEST(PrefetchedInputTest, AFileCutShortUnderItsReaderFailsAfterTheBytesBefore) {
    std::mt19937 random(7);
    const qint64 blockBytes = qint64(1) << 16;
    const QByteArray input = randomBytes(random, int(6 * blockBytes));
    const auto file = fileHolding(input);
    QFile source(file->fileName());
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    PrefetchedInput prefetched(source, blockBytes);
    char* bytes = nullptr;
    qint64 size = 0;
    ASSERT_EQ(prefetched.borrow(bytes, size), PrefetchedInput::Borrowed::Bytes);
    ASSERT_EQ(prefetched.borrow(bytes, size), PrefetchedInput::Borrowed::Bytes);
    ASSERT_EQ(size, blockBytes);
    const qint64 kept = blockBytes + 5000;
    ASSERT_TRUE(QFile(file->fileName()).resize(kept));
    EXPECT_EQ(QByteArray(bytes, 5000), input.mid(blockBytes, 5000));
    EXPECT_EQ(QByteArray(bytes + 3 * 4096, size - 3 * 4096), QByteArray(size - 3 * 4096, '\0'));
    EXPECT_EQ(prefetched.borrow(bytes, size), PrefetchedInput::Borrowed::Failed);
    EXPECT_EQ(prefetched.errorString(), "The file was cut short while it was being read");
}

// A regular file whose file system does not map files is read as any other file.
TEST(PrefetchedInputTest, AFileThatCannotBeShownIsRead) {
    QFile source(QStringLiteral("/sys/devices/system/cpu/online"));
    if (!source.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no sysfs here";
    const QByteArray expected = source.readAll();
    ASSERT_FALSE(expected.isEmpty());
    ASSERT_TRUE(source.seek(0));
    PrefetchedInput prefetched(source, 4096);
    std::mt19937 random(8);
    bool failed = true;
    EXPECT_EQ(readThrough(prefetched, random, failed), expected);
    EXPECT_FALSE(failed) << qPrintable(prefetched.errorString());
}

TEST(PrefetchedInputTest, AFailureComesAfterTheBytesBeforeIt) {
    std::mt19937 random(5);
    for (qint64 blockBytes : {qint64(3), qint64(1) << 16}) {
        FailingDevice source("these bytes were read");
        PrefetchedInput prefetched(source, blockBytes);
        bool failed = false;
        EXPECT_EQ(readThrough(prefetched, random, failed), "these bytes were read");
        EXPECT_TRUE(failed);
        EXPECT_EQ(prefetched.errorString(), "disk on fire");
    }
}

TEST(PrefetchedInputTest, StoppingFreesAReaderWaitingForAStalledInput) {
    StalledDevice source("late bytes");
    {
        PrefetchedInput prefetched(source);
        std::thread stopper([&prefetched] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            prefetched.stop();
        });
        char byte;
        EXPECT_EQ(prefetched.read(&byte, 1), -1);  // would wait for ever without stop()
        stopper.join();
        source.release();  // lets the reading thread out of its read, so it can be joined
    }
    EndlessDevice endless;
    PrefetchedInput prefetched(endless, 64);
    EXPECT_EQ(prefetched.read(8), "x@yy.zz\n");
    // Let go while the thread waits for a free block.
}

}  // namespace
}  // namespace rosterly

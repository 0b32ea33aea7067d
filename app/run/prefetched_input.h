// An input read a few blocks ahead of its reader, on threads of its own.
#pragma once

#include <QIODevice>
#include <QString>

#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/file_window.h"

namespace rosterly {

// A sequential device giving the bytes of `source` in order: threads of their own get them into
// a few numbered blocks while the reader scans the ones before. A regular file is shown block by
// block in windows onto it (FileWindow), by one thread, so that its bytes are never copied; a
// file cut short meanwhile makes the input fail after the bytes before, never the program. Any
// other file open on a descriptor is read by two threads at once, each block from its own place
// in the file, so that copying the bytes out of the system and looking through them run on
// several processors at once; any other device by one thread, in order. A read failure of the
// source comes after every byte read before it, with the source's error text. Where no thread
// can be started, or no room for the blocks is left, the source is read directly instead.
//
// The file's bytes are taken as they are when each block is read: the input ends at the first
// block that comes short, even if the file grows later. The source must be open for reading and
// must outlive this device; nothing else may use it meanwhile. Memory: kBlocks blocks of
// `blockBytes`, and the part of their room in front (see borrow()) that a borrower writes.
class PrefetchedInput final : public QIODevice {
public:
    static constexpr qint64 kDefaultBlockBytes = qint64(1) << 19;

    explicit PrefetchedInput(QIODevice& source, qint64 blockBytes = kDefaultBlockBytes);
    ~PrefetchedInput() override;

    bool isSequential() const override { return true; }

    // Reading without copying, instead of read(): the bytes of the next block, or of what is left
    // of the current one, where they were read. They stay the caller's until the next call, and
    // so do the headroom() bytes in front of them, for the caller to write: the unfinished end of
    // one block can be put before the next one without copying the next one. Only while
    // lendsBlocks(); End and Failed come as with read(), and errorString() says why.
    enum class Borrowed { Bytes, End, Failed };
    Borrowed borrow(char*& bytes, qint64& size);
    bool lendsBlocks() const { return !m_direct; }
    qint64 headroom() const { return m_blockBytes; }

    // Ends the reading early: each thread stops after the read it is in, and a reader waiting
    // for bytes gets a failure at once.
    void stop();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    static constexpr std::size_t kBlocks = 4;
    struct Block {
        // The headroom, then the block's bytes: read into room, or shown in window. Left
        // uninitialized: the system gives a page of it memory only once it is written, and most
        // of the headroom never is.
        std::unique_ptr<char[]> room;
        std::unique_ptr<FileWindow> window;
        char* bytes = nullptr;
        qint64 size = 0;
        bool filled = false;  // read, and not yet let go by the reader
        bool last = false;    // no block after this one belongs to the input
        QString failure;      // why it could not be read, when it could not
    };

    bool showWindows();
    void makeRooms();
    void fill(std::size_t first, std::size_t step);  // a reading thread
    qint64 readBlock(std::size_t number, Block& block);
    Borrowed nextBytes(std::unique_lock<std::mutex>& lock, Block*& block);
    QString whyCut(const Block& block) const;

    QIODevice& m_source;
    const qint64 m_blockBytes;
    bool m_direct = false;  // no thread or block could be had: the source is read as it is
    int m_descriptor = -1;  // for reading blocks at their place; -1: read in order
    qint64 m_start = 0;     // the source's position when reading began

    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Block n lives in m_blocks[n % kBlocks]; the reader is at block m_next, so blocks up to
    // m_next + kBlocks - 1 may be filled.
    std::array<Block, kBlocks> m_blocks;
    std::size_t m_next = 0;
    qint64 m_taken = 0;  // bytes of block m_next already given out
    bool m_stopped = false;
    std::vector<std::thread> m_threads;
};

}  // namespace rosterly

// An input read a few blocks ahead of its reader, on a thread of its own.
#pragma once

#include <QIODevice>

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace rosterly {

// A sequential device giving the bytes of `source` in order: a thread of its own reads them
// into a few blocks while the reader scans the ones before, so that copying the bytes out of the
// system and looking through them take turns on two processors instead of one. A read failure of
// the source comes after every byte read before it, with the source's error text.
//
// The source must be open for reading and must outlive this device; nothing else may use it
// meanwhile. Memory: kBlocks blocks of `blockBytes`.
class PrefetchedInput final : public QIODevice {
public:
    static constexpr qint64 kDefaultBlockBytes = qint64(1) << 19;

    explicit PrefetchedInput(QIODevice& source, qint64 blockBytes = kDefaultBlockBytes);
    ~PrefetchedInput() override;

    bool isSequential() const override { return true; }
    // Ends the reading early: the thread stops after the read it is in, and a reader waiting
    // for bytes gets a failure at once.
    void stop();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    static constexpr std::size_t kBlocks = 3;
    struct Block {
        std::vector<char> bytes;
        qint64 size = 0;
    };

    void fill();  // the reading thread

    QIODevice& m_source;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // A ring: the `m_ready` blocks from `m_first` on are filled, the others free for the thread.
    std::array<Block, kBlocks> m_blocks;
    std::size_t m_first = 0;
    std::size_t m_ready = 0;
    qint64 m_taken = 0;         // bytes of the first filled block already given out
    bool m_sourceEnded = false;  // the thread has read its last block
    QString m_failure;           // why the source could not be read, once it ended so
    bool m_stopped = false;
    std::thread m_thread;
};

}  // namespace rosterly

#include "prefetched_input.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rosterly {
namespace {
constexpr std::size_t kPositionalThreads = 2;
const char* const kCutShort = "The file was cut short while it was being read";
}  // namespace

PrefetchedInput::PrefetchedInput(QIODevice& source, qint64 blockBytes)
    : m_source(source), m_blockBytes(std::max<qint64>(blockBytes, 1)) {
    setOpenMode(QIODevice::ReadOnly | QIODevice::Unbuffered);
#ifdef Q_OS_UNIX
    if (auto* file = qobject_cast<QFile*>(&source); file && !file->isSequential()) {
        m_descriptor = file->handle();
        m_start = file->pos();
    }
#endif
    try {
        // Showing a block costs far less than copying it: one thread keeps ahead of the reader.
        const bool shown = showWindows();
        if (!shown) makeRooms();
        const std::size_t threads = shown ? 1 : m_descriptor >= 0 ? kPositionalThreads : 1;
        for (std::size_t t = 0; t < threads; ++t) {
            m_threads.emplace_back([this, t, threads] { fill(t, threads); });
        }
    } catch (const std::exception&) {
        // Without its threads or blocks the source is read directly, in order: reading a block
        // at its place has not moved the source, and reading in order starts with the first
        // thread, so nothing has been taken from it yet.
        stop();
        for (std::thread& thread : m_threads) thread.join();
        m_threads.clear();
        m_direct = true;
    }
}

// Windows for every block where the source is a file they can show; otherwise none.
bool PrefetchedInput::showWindows() {
    if (m_descriptor < 0 || !FileWindow::canShow(m_descriptor, m_blockBytes)) return false;
    try {
        for (Block& block : m_blocks)
            block.window = std::make_unique<FileWindow>(m_blockBytes, m_blockBytes);
        return true;
    } catch (const std::bad_alloc&) {
        for (Block& block : m_blocks) block.window.reset();
        return false;
    }
}

void PrefetchedInput::makeRooms() {
    for (Block& block : m_blocks) {
        block.room.reset(new char[std::size_t(2 * m_blockBytes)]);
        block.bytes = block.room.get() + m_blockBytes;
    }
}

PrefetchedInput::~PrefetchedInput() {
    stop();
    for (std::thread& thread : m_threads) thread.join();
}

void PrefetchedInput::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

// A reading thread: blocks first, first + step, first + 2 * step, ... until the input's last.
void PrefetchedInput::fill(std::size_t first, std::size_t step) {
    for (std::size_t number = first;; number += step) {
        Block& block = m_blocks[number % kBlocks];
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return number < m_next + kBlocks || m_stopped; });
            if (m_stopped) return;
        }
        // The block is this thread's until it is marked filled.
        QString failure;
        qint64 got = -1;
        try {
            got = readBlock(number, block);
            if (got < 0) {
                failure = m_descriptor >= 0
                              ? QString::fromStdString(std::system_category().message(errno))
                              : m_source.errorString();
            }
        } catch (const std::exception&) {
            got = -1;  // out of memory for the reason, or the source itself failed so
        }
        if (got < 0 && failure.isEmpty()) failure = QStringLiteral("The input could not be read");
        const bool last = m_descriptor >= 0 ? got < m_blockBytes : got <= 0;
        {
            const std::lock_guard lock(m_mutex);
            block.size = std::max<qint64>(got, 0);
            block.last = last;
            block.failure = failure;
            block.filled = true;
        }
        m_changed.notify_all();
        if (last) return;
    }
}

qint64 PrefetchedInput::readBlock(std::size_t number, Block& block) {
    const qint64 capacity = m_blockBytes;
    char* const bytes = block.bytes;
#ifdef Q_OS_UNIX
    const qint64 at = m_start + qint64(number) * capacity;
    if (block.window) {
        // As much of the block as the file holds now.
        struct stat status {};
        if (::fstat(m_descriptor, &status) != 0) return -1;
        const qint64 count = std::clamp<qint64>(qint64(status.st_size) - at, 0, capacity);
        if (count == 0) return 0;
        char* const shown = block.window->show(m_descriptor, at, count);
        if (!shown) return -1;
        block.bytes = shown;
        return count;
    }
    if (m_descriptor >= 0) {
        // A whole block unless the file ends in it: a short read is retried from where it ended.
        qint64 done = 0;
        while (done < capacity) {
            const ssize_t got =
                ::pread(m_descriptor, bytes + done, std::size_t(capacity - done), at + done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return -1;
            if (got == 0) break;
            done += got;
        }
        return done;
    }
#endif
    return m_source.read(bytes, capacity);
}

qint64 PrefetchedInput::readData(char* data, qint64 maxSize) {
    if (m_direct) {
        const qint64 got = m_source.read(data, maxSize);
        if (got < 0) setErrorString(m_source.errorString());
        return got;
    }
    std::unique_lock lock(m_mutex);
    Block* block = nullptr;
    switch (nextBytes(lock, block)) {
        case Borrowed::End:
            return 0;
        case Borrowed::Failed:
            return -1;
        case Borrowed::Bytes:
            break;
    }
    // A filled block stays the reader's until it is let go, so it is copied unlocked.
    const qint64 count = std::min(maxSize, block->size - m_taken);
    lock.unlock();
    std::memcpy(data, block->bytes + m_taken, std::size_t(count));
    m_taken += count;  // the reader's own
    return count;
}

PrefetchedInput::Borrowed PrefetchedInput::borrow(char*& bytes, qint64& size) {
    if (m_direct) {
        setErrorString(QStringLiteral("The input could not be read"));
        return Borrowed::Failed;
    }
    std::unique_lock lock(m_mutex);
    Block* block = nullptr;
    if (const Borrowed step = nextBytes(lock, block); step != Borrowed::Bytes) return step;
    // All of it is taken now, so the next call lets the block go.
    bytes = block->bytes + m_taken;
    size = block->size - m_taken;
    m_taken = block->size;
    return Borrowed::Bytes;
}

// A window reads as zeros where the file no longer reaches, or where the disk failed to give
// its bytes: which of the two, the file's size now tells.
QString PrefetchedInput::whyCut(const Block& block) const {
#ifdef Q_OS_UNIX
    struct stat status {};
    const qint64 end = m_start + qint64(m_next) * m_blockBytes + block.size;
    if (::fstat(m_descriptor, &status) == 0 && qint64(status.st_size) >= end)
        return QString::fromStdString(std::system_category().message(EIO));
#else
    Q_UNUSED(block);
#endif
    return QString::fromLatin1(kCutShort);
}

// Waits until the reader's block has bytes it has not taken, letting every block it has taken
// whole go back to the reading threads; at the input's end or a failure (errorString() set)
// says so instead.
PrefetchedInput::Borrowed PrefetchedInput::nextBytes(std::unique_lock<std::mutex>& lock,
                                                     Block*& block) {
    for (;;) {
        m_changed.wait(lock, [this] { return m_blocks[m_next % kBlocks].filled || m_stopped; });
        if (m_stopped) {
            setErrorString(QStringLiteral("Reading was stopped"));
            return Borrowed::Failed;
        }
        block = &m_blocks[m_next % kBlocks];
        if (m_taken < block->size) return Borrowed::Bytes;
        // Every byte of a window the file was cut short under has been read as zero by now.
        if (block->window && block->window->cut()) {
            setErrorString(whyCut(*block));
            return Borrowed::Failed;
        }
        if (block->last) {
            if (block->failure.isEmpty()) return Borrowed::End;
            setErrorString(block->failure);
            return Borrowed::Failed;
        }
        block->filled = false;
        ++m_next;
        m_taken = 0;
        m_changed.notify_all();
    }
}

}  // namespace rosterly

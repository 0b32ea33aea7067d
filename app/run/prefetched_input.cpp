#include "prefetched_input.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

namespace rosterly {

PrefetchedInput::PrefetchedInput(QIODevice& source, qint64 blockBytes) : m_source(source) {
    setOpenMode(QIODevice::ReadOnly | QIODevice::Unbuffered);
    try {
        for (Block& block : m_blocks) block.bytes.resize(std::size_t(std::max<qint64>(blockBytes, 1)));
        m_thread = std::thread([this] { fill(); });
    } catch (const std::bad_alloc&) {
        m_failure = QStringLiteral("not enough memory");
        m_sourceEnded = true;
    } catch (const std::system_error&) {
        m_failure = QStringLiteral("no thread could be started to read it");
        m_sourceEnded = true;
    }
}

PrefetchedInput::~PrefetchedInput() {
    stop();
    if (m_thread.joinable()) m_thread.join();
}

void PrefetchedInput::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

// Runs on the reading thread.
void PrefetchedInput::fill() {
    std::size_t filling = 0;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_ready < kBlocks || m_stopped; });
            if (m_stopped) return;
        }
        // The block is this thread's until it is counted ready.
        Block& block = m_blocks[filling];
        const qint64 got = m_source.read(block.bytes.data(), qint64(block.bytes.size()));
        const std::lock_guard lock(m_mutex);
        if (got <= 0) {
            if (got < 0) {
                m_failure = m_source.errorString();
                if (m_failure.isEmpty()) m_failure = QStringLiteral("The input could not be read.");
            }
            m_sourceEnded = true;
            m_changed.notify_all();
            return;
        }
        block.size = got;
        ++m_ready;
        filling = (filling + 1) % kBlocks;
        m_changed.notify_all();
    }
}

qint64 PrefetchedInput::readData(char* data, qint64 maxSize) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_ready > 0 || m_sourceEnded || m_stopped; });
    if (m_stopped) {
        setErrorString(QStringLiteral("Reading was stopped."));
        return -1;
    }
    if (m_ready == 0) {
        if (m_failure.isEmpty()) return 0;
        setErrorString(m_failure);
        return -1;
    }
    // The first filled block stays the reader's until it is let go, so it is copied unlocked.
    Block& block = m_blocks[m_first];
    const qint64 count = std::min(maxSize, block.size - m_taken);
    lock.unlock();
    std::memcpy(data, block.bytes.data() + m_taken, std::size_t(count));
    m_taken += count;
    if (m_taken == block.size) {
        m_taken = 0;
        lock.lock();
        m_first = (m_first + 1) % kBlocks;
        --m_ready;
        lock.unlock();
        m_changed.notify_all();
    }
    return count;
}

}  // namespace rosterly

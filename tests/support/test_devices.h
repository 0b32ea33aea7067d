// Input devices that misbehave as real inputs do: failing, endless, stalled.
#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <utility>

namespace rosterly {

// Gives `good` bytes and then fails.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray good) : m_good(std::move(good)) {
        open(QIODevice::ReadOnly);
        setErrorString("disk on fire");
    }

protected:
    qint64 readData(char* data, qint64 max) override {
        if (m_good.isEmpty()) return -1;
        const qint64 n = std::min<qint64>(max, m_good.size());
        std::memcpy(data, m_good.constData(), size_t(n));
        m_good.remove(0, qsizetype(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_good;
};

// An input without end: "x@yy.zz" lines as long as anyone reads.
class EndlessDevice : public QIODevice {
public:
    EndlessDevice() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override {
        for (qint64 i = 0; i < max; ++i) data[i] = "x@yy.zz\n"[(m_offset + i) % 8];
        m_offset += max;
        return max;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 m_offset = 0;
};

// Holds back every byte until released: an input on a stalled disk or network.
class StalledDevice : public QIODevice {
public:
    explicit StalledDevice(QByteArray bytes) : m_bytes(std::move(bytes)) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    void release() {
        const std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

protected:
    qint64 readData(char* data, qint64 max) override {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_released; });
        const qint64 count = std::min<qint64>(max, m_bytes.size());
        std::memcpy(data, m_bytes.constData(), std::size_t(count));
        m_bytes.remove(0, qsizetype(count));
        return count;  // 0: the end
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released = false;
    QByteArray m_bytes;
};

}  // namespace rosterly

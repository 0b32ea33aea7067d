#include "background_thread.h"

#include <system_error>
#include <utility>

namespace corvell {

#ifdef _WIN32

Monitor::Monitor() = default;
Monitor::~Monitor() = default;

Monitor::Hold::Hold(Monitor& monitor) : m_monitor(monitor) {
    AcquireSRWLockExclusive(&m_monitor.m_lock);
}

Monitor::Hold::~Hold() {
    ReleaseSRWLockExclusive(&m_monitor.m_lock);
}

void Monitor::Hold::wait() {
    SleepConditionVariableSRW(&m_monitor.m_condition, &m_monitor.m_lock, INFINITE, 0);
}

void Monitor::notifyAll() {
    WakeAllConditionVariable(&m_condition);
}

bool BackgroundThread::start(std::function<void()> body) {
    if (m_thread != nullptr) return false;
    m_body = std::move(body);
    m_thread = CreateThread(nullptr, 0, &BackgroundThread::run, this, 0, nullptr);
    return m_thread != nullptr;
}

DWORD WINAPI BackgroundThread::run(void* self) {
    static_cast<BackgroundThread*>(self)->m_body();
    return 0;
}

bool BackgroundThread::running() const {
    return m_thread != nullptr;
}

void BackgroundThread::join() {
    if (m_thread == nullptr) return;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

#else

Monitor::Monitor() = default;
Monitor::~Monitor() = default;

Monitor::Hold::Hold(Monitor& monitor) : m_lock(monitor.m_mutex), m_condition(monitor.m_condition) {}

Monitor::Hold::~Hold() = default;

void Monitor::Hold::wait() {
    m_condition.wait(m_lock);
}

void Monitor::notifyAll() {
    m_condition.notify_all();
}

bool BackgroundThread::start(std::function<void()> body) {
    if (m_thread.joinable()) return false;
    m_body = std::move(body);
    try {
        m_thread = std::thread([this] { m_body(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool BackgroundThread::running() const {
    return m_thread.joinable();
}

void BackgroundThread::join() {
    if (m_thread.joinable()) m_thread.join();
}

#endif

}  // namespace corvell

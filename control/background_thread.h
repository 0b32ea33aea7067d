// A thread and a monitor (a lock with a condition to wait for) for the control's own background
// work. The standard library's threads on Linux; the system's own on Windows, where the
// toolchain's library has none.
#pragma once

#include <functional>

#ifdef _WIN32
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace corvell {

// A lock and one condition its holders wait on.
class Monitor {
public:
    Monitor();
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Holds the lock for as long as it lives.
    class Hold {
    public:
        explicit Hold(Monitor& monitor);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

        // Releases the lock until someone notifies, then takes it again; may return spuriously.
        void wait();

    private:
#ifdef _WIN32
        Monitor& m_monitor;
#else
        std::unique_lock<std::mutex> m_lock;
        std::condition_variable& m_condition;
#endif
    };

    // Wakes every waiter; the lock may be held or not.
    void notifyAll();

private:
#ifdef _WIN32
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_condition = CONDITION_VARIABLE_INIT;
#else
    std::mutex m_mutex;
    std::condition_variable m_condition;
#endif
};

// One thread running one function; joined when this object goes.
class BackgroundThread {
public:
    BackgroundThread() = default;
    ~BackgroundThread() { join(); }
    BackgroundThread(const BackgroundThread&) = delete;
    BackgroundThread& operator=(const BackgroundThread&) = delete;

    // Starts `body` on a new thread; false when the system cannot give one. At most once.
    bool start(std::function<void()> body);
    bool running() const;
    // Waits for the body to return; nothing if none was started.
    void join();

private:
    std::function<void()> m_body;
#ifdef _WIN32
    static DWORD WINAPI run(void* self);
    HANDLE m_thread = nullptr;
#else
    std::thread m_thread;
#endif
};

}  // namespace corvell

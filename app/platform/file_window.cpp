#include "file_window.h"

#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <new>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rosterly {
namespace {

#ifdef Q_OS_UNIX

// The windows the bus-error handler answers for. The handler reads this table while windows
// come and go on other threads, so every field is atomic, and a range is cleared before its
// memory is let go.
struct GuardedRange {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cut{false};
};
constexpr std::size_t kGuardedRanges = 64;
GuardedRange g_ranges[kGuardedRanges];

std::once_flag g_installed;
struct sigaction g_previous {};
std::uintptr_t g_pageBytes = 4096;  // set before the handler is installed

std::size_t pageBytes() {
    static const std::size_t bytes = std::size_t(::sysconf(_SC_PAGESIZE));
    return bytes;
}

std::size_t roundUpToPage(std::size_t bytes) {
    const std::size_t page = pageBytes();
    return (bytes + page - 1) / page * page;
}

// A bus error is what a read of a mapped file gives where the file has no byte any more (it was
// cut short) or the disk could not give it. Inside a window, the rest of the window is
// replaced with zeros and the read goes on; the window's owner learns of it from cut(). Any
// other bus error is passed to whoever handled it before, or ends the program as it would have.
void onBusError(int signal, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (info->si_code > 0) {  // raised by a fault, not sent by a process
        for (GuardedRange& range : g_ranges) {
            const std::uintptr_t begin = range.begin.load(std::memory_order_acquire);
            const std::uintptr_t end = range.end.load(std::memory_order_acquire);
            if (at < begin || at >= end) continue;
            const std::uintptr_t page = at & ~(g_pageBytes - 1);
            void* zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ | PROT_WRITE,
                                 MAP_PRIVATE | MAP_FIXED | MAP_ANONYMOUS, -1, 0);
            if (zeros == MAP_FAILED) break;
            range.cut.store(true, std::memory_order_relaxed);
            return;
        }
    }
    if (g_previous.sa_flags & SA_SIGINFO) {
        if (g_previous.sa_sigaction) g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    // Delivered once this handler returns, with the system's default action.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(SIGBUS, &fallback, nullptr);
    ::raise(SIGBUS);
}

void installGuard() {
    g_pageBytes = pageBytes();
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previous);
}

#endif

}  // namespace

bool FileWindow::canShow(int descriptor, qint64 windowBytes) {
#ifdef Q_OS_UNIX
    struct stat status {};
    if (windowBytes <= 0 || std::size_t(windowBytes) % pageBytes() != 0 ||
        ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    // Not every file system maps its files (sysfs and some FUSE ones refuse): it is asked.
    void* probe = ::mmap(nullptr, pageBytes(), PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (probe == MAP_FAILED) return false;
    ::munmap(probe, pageBytes());
    return true;
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(windowBytes);
    return false;
#endif
}

FileWindow::FileWindow(qint64 headroom, qint64 windowBytes) {
#ifdef Q_OS_UNIX
    std::call_once(g_installed, installGuard);
    m_headroom = roundUpToPage(std::size_t(std::max<qint64>(headroom, 0)));
    m_windowBytes = roundUpToPage(std::size_t(std::max<qint64>(windowBytes, 1)));
    // A page more than the window: a window that starts inside a page shows all of that page.
    m_regionBytes = m_headroom + m_windowBytes + pageBytes();
    void* region = ::mmap(nullptr, m_regionBytes, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED) throw std::bad_alloc();
    m_region = static_cast<char*>(region);
    for (std::size_t i = 0; i < kGuardedRanges; ++i) {
        bool free = false;
        if (!g_ranges[i].taken.compare_exchange_strong(free, true)) continue;
        m_guard = i;
        g_ranges[i].cut.store(false);
        g_ranges[i].begin.store(reinterpret_cast<std::uintptr_t>(m_region + m_headroom));
        g_ranges[i].end.store(reinterpret_cast<std::uintptr_t>(m_region + m_regionBytes));
        return;
    }
    ::munmap(m_region, m_regionBytes);
#else
    Q_UNUSED(headroom);
    Q_UNUSED(windowBytes);
#endif
    throw std::bad_alloc();
}

FileWindow::~FileWindow() {
#ifdef Q_OS_UNIX
    GuardedRange& range = g_ranges[m_guard];
    range.end.store(0);
    range.begin.store(0);
    ::munmap(m_region, m_regionBytes);
    range.taken.store(false);
#endif
}

char* FileWindow::show(int descriptor, qint64 offset, qint64 count) {
#ifdef Q_OS_UNIX
    if (offset < 0 || count < 0 || std::size_t(count) > m_windowBytes) {
        errno = EINVAL;
        return nullptr;
    }
    const std::size_t within = std::size_t(offset) % pageBytes();
    g_ranges[m_guard].cut.store(false);
    // Filled at once: the pages are found in the system's cache here, on the caller's thread,
    // rather than one fault at a time by whoever reads them. Read-only while filled: filling
    // writable pages would copy every one of them.
    char* const window = m_region + m_headroom;
    void* shown =
        ::mmap(window, roundUpToPage(within + std::size_t(count)), PROT_READ,
               MAP_PRIVATE | MAP_FIXED | MAP_POPULATE, descriptor, off_t(offset) - off_t(within));
    if (shown == MAP_FAILED) return nullptr;
    // The room in front of a stretch that starts inside a page is that page's start: a write
    // there copies the page for this mapping alone, never changing the file.
    if (within > 0 && ::mprotect(window, pageBytes(), PROT_READ | PROT_WRITE) != 0) return nullptr;
    return window + within;
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(offset);
    Q_UNUSED(count);
    errno = ENOSYS;
    return nullptr;
#endif
}

bool FileWindow::cut() const {
#ifdef Q_OS_UNIX
    return g_ranges[m_guard].cut.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

}  // namespace rosterly

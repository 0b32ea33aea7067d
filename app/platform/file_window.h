// Showing a file's bytes in memory, a window at a time, without copying them.
#pragma once

#include <QtGlobal>

#include <cstddef>

namespace rosterly {

// A region of memory: `headroom` bytes of the caller's own, then a window of up to `windowBytes`
// that shows a stretch of a file as the system caches it. Reading a file through windows costs
// no copy of its bytes, which is most of what reading a cached file costs.
//
// A file cut short while it is shown would end the program at the first byte read past its new
// end. Here that byte, and every byte after it in the window, reads as zero instead, and cut()
// says so; the same holds for a byte the system could not read from the disk. For that the first
// window installs a bus-error handler for the whole program; a bus error outside every window
// goes to the handler installed before it, or ends the program as it would have.
//
// One window is shown at a time; showing the next one lets the last one go, so the file's pages
// count in the program's memory only while they are shown. Not copyable: the region is this
// object's.
class FileWindow {
public:
    // Whether windows of `windowBytes` can show the file open on `descriptor`: a regular file,
    // on a file system that maps files, with windows a whole number of pages long.
    static bool canShow(int descriptor, qint64 windowBytes);

    // Throws std::bad_alloc when the region cannot be had, or when too many windows are open.
    FileWindow(qint64 headroom, qint64 windowBytes);
    ~FileWindow();
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;

    // Shows `count` bytes (at most windowBytes) of the file from `offset`; returns where the first
    // of them is, with at least `headroom` bytes in front of it for the caller to write. nullptr
    // when the system refused (errno says why). The bytes are read-only and valid until the next
    // show().
    char* show(int descriptor, qint64 offset, qint64 count);

    // Whether a byte shown since the last show() read as zero because the file had no such byte
    // any more, or it could not be read.
    bool cut() const;

private:
    char* m_region = nullptr;
    std::size_t m_regionBytes = 0;
    std::size_t m_headroom = 0;  // page-aligned; the window starts here
    std::size_t m_windowBytes = 0;
    std::size_t m_guard = 0;  // which guarded range is this window's
};

}  // namespace rosterly

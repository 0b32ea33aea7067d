// The harvest run's window when it runs from a terminal or a script.
#pragma once

#include <QElapsedTimer>

#include <cstdio>

#include "harvest_window.h"

namespace rosterly {

// No fields and no status line: the options come from the command line. An interrupt
// (Ctrl+C) counts as closing the window: the run stops and writes no list; a second one ends
// the program at once. A termination request ends it at once as well. While files are read, a
// progress line is drawn on standard error when that is a terminal and the input is more than one
// file or more than a few megabytes.
class ConsoleWindow final : public HarvestWindow {
public:
    // `progress`: where the progress line goes, or null for none.
    ConsoleWindow(HarvestOptions options, std::FILE* progress);
    ~ConsoleWindow() override;
    ConsoleWindow(const ConsoleWindow&) = delete;
    ConsoleWindow& operator=(const ConsoleWindow&) = delete;

    HarvestOptions options() const override { return m_options; }
    void setStatus(const QString&) override {}
    void yield() override {}
    bool closing() const override;
    void enableSSTab1() override {}
    void showReading(const ReadingProgress& progress, bool done) override;

    // Only one console window may exist at a time: it owns the interrupt handling.
    static bool interrupted();

private:
    void draw(const ReadingProgress& progress);
    void clear();

    HarvestOptions m_options;
    std::FILE* m_progress;
    bool m_worthShowing = false;  // decided when the first file begins
    int m_drawnWidth = 0;
};

}  // namespace rosterly

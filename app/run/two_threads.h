// Running two pieces of work at once where the processor allows.
#pragma once

#include <functional>

namespace rosterly {

// True where the processor has a second core, so that work split in two finishes sooner.
bool hasSecondCore();

// Runs `beside` on a second thread while `here` runs on this one, where the processor has a
// second core; otherwise, or when no thread can be had, one after the other. What either
// throws is thrown here once both are done.
void runTwo(const std::function<void()>& here, const std::function<void()>& beside);

}  // namespace rosterly

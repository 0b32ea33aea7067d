// Asking the processor to start fetching memory that a table lookup will read soon: for the
// in-memory tables of the control and the program.
#pragma once

#include <cstddef>

namespace com {

// The cache line of the processors the program runs on. Data that two threads write apart is
// kept on lines of its own: a line written by one thread is taken away from every other core
// that holds it, and a neighbour read on every call would then miss the cache on every call.
inline constexpr std::size_t kCacheLine = 64;

// Starts fetching the cache line at `address` into every cache level, and returns at once. The
// address may lie outside any object: a prefetch never faults.
//
// Written as an instruction of its own because GCC 12 drops __builtin_prefetch calls it judges
// to have no effect: a prefetch behind a test in an inlined member function, as in most of the
// lookups here, vanished from the program without a word.
inline void prefetchLine(const void* address) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    asm volatile("prefetcht0 (%0)" : : "r"(address));
#else
    __builtin_prefetch(address);
#endif
}

}  // namespace com

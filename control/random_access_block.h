// Memory for the control's large lookup tables, which are read at random
// places: blocks of 2 MiB or more are aligned to and advised as huge pages,
// since with small pages nearly every jump through a big table would also
// miss the address-translation cache.
#pragma once

#include <cstddef>
#include <memory>

namespace corvell {

// Frees a block the way it was allocated: with its alignment, or, for a block mapped directly
// from the system, by unmapping its length.
struct RandomAccessBlockFree {
    std::size_t alignment;
    std::size_t mappedBytes = 0;
    void operator()(void* block) const;
};

template <class T>
using RandomAccessBlock = std::unique_ptr<T[], RandomAccessBlockFree>;

// Uninitialised room for `bytes`; throws std::bad_alloc.
RandomAccessBlock<unsigned char> allocateRandomAccessBytes(std::size_t bytes);

// Uninitialised room for `records` trivially copyable records.
template <class T>
RandomAccessBlock<T> allocateRandomAccessBlock(std::size_t records) {
    auto bytes = allocateRandomAccessBytes(records * sizeof(T));
    const RandomAccessBlockFree free = bytes.get_deleter();
    return RandomAccessBlock<T>(reinterpret_cast<T*>(bytes.release()), free);
}

}  // namespace corvell

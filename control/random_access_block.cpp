#include "random_access_block.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace corvell {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if defined(__linux__)
constexpr std::size_t kPage = 4096;

// A block of whole huge pages straight from the system. A large table is given back to the system
// the moment it is freed (after growing, say), instead of lingering in the allocator's heap where
// a later table of another size may not fit.
void* mapHugePageBlock(std::size_t bytes, std::size_t& mappedBytes) {
    mappedBytes = (bytes + kPage - 1) & ~(kPage - 1);
    const std::size_t length = mappedBytes + kHugePage;
    void* raw = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    // The slack before and after the aligned block goes back at once.
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + length;
    if (end > aligned + mappedBytes) {
        ::munmap(reinterpret_cast<void*>(aligned + mappedBytes), end - (aligned + mappedBytes));
    }
#if defined(MADV_HUGEPAGE)
    ::madvise(reinterpret_cast<void*>(aligned), mappedBytes, MADV_HUGEPAGE);  // advice only
#endif
    return reinterpret_cast<void*>(aligned);
}
#endif
}  // namespace

void RandomAccessBlockFree::operator()(void* block) const {
#if defined(__linux__)
    if (mappedBytes != 0) {
        ::munmap(block, mappedBytes);
        return;
    }
#endif
    ::operator delete (block, std::align_val_t{alignment});
}

RandomAccessBlock<unsigned char> allocateRandomAccessBytes(std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= kHugePage) {
        std::size_t mappedBytes = 0;
        void* block = mapHugePageBlock(bytes, mappedBytes);
        return RandomAccessBlock<unsigned char>(static_cast<unsigned char*>(block),
                                                RandomAccessBlockFree{kHugePage, mappedBytes});
    }
#endif
    const std::size_t alignment = bytes >= kHugePage ? kHugePage : 64;
    void* raw = ::operator new (bytes, std::align_val_t{alignment});
    return RandomAccessBlock<unsigned char>(static_cast<unsigned char*>(raw),
                                            RandomAccessBlockFree{alignment});
}

}  // namespace corvell

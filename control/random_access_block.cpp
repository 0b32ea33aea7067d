#include "random_access_block.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace corvell {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

void RandomAccessBlockFree::operator()(void* block) const {
    ::operator delete (block, std::align_val_t{alignment});
}

RandomAccessBlock<unsigned char> allocateRandomAccessBytes(std::size_t bytes) {
    const std::size_t alignment = bytes >= kHugePage ? kHugePage : 64;
    void* raw = ::operator new (bytes, std::align_val_t{alignment});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (alignment == kHugePage) {
        ::madvise(raw, bytes, MADV_HUGEPAGE);  // advice only; failure just costs speed
    }
#endif
    return RandomAccessBlock<unsigned char>(static_cast<unsigned char*>(raw),
                                            RandomAccessBlockFree{alignment});
}

}  // namespace corvell

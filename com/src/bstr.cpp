// BSTR allocation: the byte length lives in the four bytes before the text.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "com/oleauto.h"

namespace {

// Eight bytes in front keep the text itself 8-byte aligned; the length is
// stored in the last four of them, where clients expect it.
constexpr std::size_t kPrefix = 8;

std::uint32_t& byteLength(BSTR text) {
    return *reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - 4);
}

}  // namespace

extern "C" {

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    constexpr UINT kMaxLength = (std::numeric_limits<std::uint32_t>::max() - kPrefix - 2) / 2;
    if (length > kMaxLength) return nullptr;
    const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    BSTR result = reinterpret_cast<BSTR>(block + kPrefix);
    byteLength(result) = static_cast<std::uint32_t>(bytes);
    if (text != nullptr)
        std::memcpy(result, text, bytes);
    else
        std::memset(result, 0, bytes);
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    UINT length = 0;
    while (text[length] != 0) ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text != nullptr) std::free(reinterpret_cast<char*>(text) - kPrefix);
}

UINT SysStringByteLen(BSTR text) {
    return text == nullptr ? 0 : byteLength(text);
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

}  // extern "C"

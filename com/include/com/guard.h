// The barrier every entry point of a component stands behind: no C++
// exception crosses a component boundary. std::bad_alloc becomes
// E_OUTOFMEMORY, any other exception E_UNEXPECTED.
#pragma once

#include <new>

#include "com/unknwn.h"

namespace com {

// The result for the exception being handled; call only inside a catch block.
inline HRESULT ResultOfCurrentException() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Runs `body` (returning HRESULT) and turns what it throws into a result.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return ResultOfCurrentException();
    }
}

}  // namespace com

// An owning interface pointer for clients of components.
#pragma once

#include <utility>

#include "com/unknwn.h"

namespace com {

template <class I>
class Ptr {
public:
    Ptr() = default;
    // Adopts a reference the caller already owns.
    static Ptr adopt(I* raw) {
        Ptr p;
        p.m_raw = raw;
        return p;
    }
    Ptr(const Ptr& other) : m_raw(other.m_raw) {
        if (m_raw) m_raw->AddRef();
    }
    Ptr(Ptr&& other) noexcept : m_raw(std::exchange(other.m_raw, nullptr)) {}
    Ptr& operator=(Ptr other) noexcept {
        std::swap(m_raw, other.m_raw);
        return *this;
    }
    ~Ptr() { reset(); }

    void reset() {
        if (m_raw) std::exchange(m_raw, nullptr)->Release();
    }
    I* get() const { return m_raw; }
    I* operator->() const { return m_raw; }
    explicit operator bool() const { return m_raw != nullptr; }
    // For out-parameters: releases the current reference first.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&m_raw);
    }
    // Queries another interface of the same object; empty when it has none.
    template <class J>
    Ptr<J> as(REFIID iid) const {
        Ptr<J> result;
        if (m_raw) m_raw->QueryInterface(iid, result.out());
        return result;
    }

private:
    I* m_raw = nullptr;
};

}  // namespace com

// Owning wrappers for BSTR and VARIANT, so clients and tests never leak one.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "com/oleauto.h"

namespace com {

// The layer's view of platform text: OLECHAR is char16_t here and wchar_t on
// Windows, both 16-bit UTF-16 code units.
inline const char16_t* Chars(const OLECHAR* text) {
    return reinterpret_cast<const char16_t*>(text);
}

inline std::u16string_view View(BSTR text) {
    return {text ? Chars(text) : u"", SysStringLen(text)};
}

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text)
        : m_raw(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    static Bstr adopt(BSTR raw) {
        Bstr b;
        b.m_raw = raw;
        return b;
    }
    Bstr(const Bstr& other) : Bstr(other.view()) {}
    Bstr(Bstr&& other) noexcept : m_raw(std::exchange(other.m_raw, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept {
        std::swap(m_raw, other.m_raw);
        return *this;
    }
    ~Bstr() { SysFreeString(m_raw); }

    BSTR get() const { return m_raw; }
    BSTR release() { return std::exchange(m_raw, nullptr); }
    // For out-parameters: frees the current text first.
    BSTR* out() {
        SysFreeString(std::exchange(m_raw, nullptr));
        return &m_raw;
    }
    std::u16string_view view() const { return View(m_raw); }
    std::u16string str() const { return std::u16string(view()); }

private:
    BSTR m_raw = nullptr;
};

class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    explicit Variant(std::u16string_view text) : Variant() {
        vt = VT_BSTR;
        bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    static Variant i2(SHORT value) {
        Variant v;
        v.vt = VT_I2;
        v.iVal = value;
        return v;
    }
    static Variant boolean(VARIANT_BOOL value) {
        Variant v;
        v.vt = VT_BOOL;
        v.boolVal = value;
        return v;
    }
    static Variant r8(double value) {
        Variant v;
        v.vt = VT_R8;
        v.dblVal = value;
        return v;
    }
    Variant(const VARIANT& other) : Variant() { VariantCopy(this, &other); }
    Variant(const Variant& other) : Variant() { VariantCopy(this, &other); }
    Variant& operator=(const Variant& other) {
        if (this != &other) VariantCopy(this, &other);
        return *this;
    }
    ~Variant() { VariantClear(this); }

    // The text of a VT_BSTR value; empty for any other type.
    std::u16string_view text() const {
        return vt == VT_BSTR ? View(bstrVal) : std::u16string_view{};
    }
};

}  // namespace com

// On Windows the platform's own headers and libraries take the component
// layer's place. This header brings them in and bridges the two small
// differences that code written against the layer meets there:
// - OLECHAR is wchar_t, not char16_t. Both are 16-bit UTF-16 code units, so
//   the layer's text (std::u16string) passes to and from the platform's
//   string functions unchanged in representation.
#pragma once

#ifndef _WIN32
#error "com/win32.h is for Windows builds only"
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off: windows.h comes first
#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#include <windows.h>
// clang-format on

#define DEFINE_COM_IID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr IID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

// Runtime error 13 in the control facility, as the other CTL_E_ codes.
#ifndef CTL_E_TYPEMISMATCH
#define CTL_E_TYPEMISMATCH MAKE_SCODE(SEVERITY_ERROR, FACILITY_CONTROL, 13)
#endif

inline BSTR SysAllocString(const char16_t* text) {
    return SysAllocString(reinterpret_cast<const OLECHAR*>(text));
}
inline BSTR SysAllocStringLen(const char16_t* text, UINT length) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text), length);
}

#ifdef __MINGW32__
// MinGW declares the sources of these two without const; they are not
// written to.
inline HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) {
    return VariantCopy(dest, const_cast<VARIANTARG*>(src));
}
inline HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags,
                                 VARTYPE vt) {
    return VariantChangeType(dest, const_cast<VARIANTARG*>(src), flags, vt);
}
#endif

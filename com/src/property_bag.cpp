// Property bags: the in-memory bag a container keeps a form's settings in,
// and the default-aware read and write a control performs on any bag.
#include "com/property_bag.h"

#include "com/guard.h"

#include <cmath>

namespace com {

namespace {

bool isNumber(VARTYPE vt) {
    return vt == VT_I2 || vt == VT_I4 || vt == VT_R8 || vt == VT_R4 || vt == VT_UI1 ||
           vt == VT_BOOL;
}

double asNumber(const VARIANT& v) {
    Variant number;
    return SUCCEEDED(VariantChangeType(&number, &v, 0, VT_R8)) ? number.dblVal : std::nan("");
}

}  // namespace

bool VariantsEqual(const VARIANT& a, const VARIANT& b) {
    if (a.vt == VT_BSTR && b.vt == VT_BSTR) return View(a.bstrVal) == View(b.bstrVal);
    if (a.vt == VT_EMPTY && b.vt == VT_EMPTY) return true;
    if (isNumber(a.vt) && isNumber(b.vt)) return asNumber(a) == asNumber(b);
    return false;
}

HRESULT ReadProperty(IPropertyBag* bag, LPCOLESTR name, const VARIANT& fallback, VARIANT* value) {
    if (bag == nullptr || value == nullptr) return E_POINTER;
    VariantClear(value);
    const HRESULT hr = bag->Read(name, value, nullptr);
    if (hr == E_INVALIDARG) return VariantCopy(value, &fallback);
    return hr;
}

HRESULT WriteProperty(IPropertyBag* bag, LPCOLESTR name, const VARIANT& value,
                      const VARIANT& fallback) {
    if (bag == nullptr) return E_POINTER;
    if (VariantsEqual(value, fallback)) return S_OK;
    Variant copy(value);
    return bag->Write(name, &copy);
}

MemoryPropertyBag::Entry* MemoryPropertyBag::find(std::u16string_view name) {
    for (Entry& entry : m_entries)
        if (entry.name == name) return &entry;
    return nullptr;
}

HRESULT MemoryPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    return Guarded([&] { return read(name, value); });
}

HRESULT MemoryPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    return Guarded([&] { return write(name, value); });
}

HRESULT MemoryPropertyBag::read(LPCOLESTR name, VARIANT* value) {
    m_accessLog.emplace_back(Chars(name));
    const Entry* entry = find(Chars(name));
    if (entry == nullptr) return E_INVALIDARG;
    if (value->vt == VT_EMPTY) return VariantCopy(value, &entry->value);
    return VariantChangeType(value, &entry->value, 0, value->vt);
}

HRESULT MemoryPropertyBag::write(LPCOLESTR name, VARIANT* value) {
    m_accessLog.emplace_back(Chars(name));
    if (Entry* entry = find(Chars(name))) {
        entry->value = Variant(*value);
        return S_OK;
    }
    m_entries.push_back({std::u16string(Chars(name)), Variant(*value)});
    return S_OK;
}

}  // namespace com

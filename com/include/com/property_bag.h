// Saved settings of a hosted control: an in-memory property bag a container
// keeps its form's state in, and the default-aware read and write a control
// uses on any bag.
#pragma once

#include <string>
#include <vector>

#include "com/object.h"
#include "com/ocidl.h"
#include "com/variant_value.h"

namespace com {

// Reads `name`; when the bag holds no such entry, *value receives a copy of
// `fallback`. Other failures of the bag are returned. *value is cleared first.
HRESULT ReadProperty(IPropertyBag* bag, LPCOLESTR name, const VARIANT& fallback, VARIANT* value);
// Writes `name` unless `value` equals `fallback` (numbers compare by value,
// booleans as 0 / -1, texts by code unit), so that a later read yields the
// default again.
HRESULT WriteProperty(IPropertyBag* bag, LPCOLESTR name, const VARIANT& value,
                      const VARIANT& fallback);
// Whether two automation values are equal in the sense WriteProperty uses.
bool VariantsEqual(const VARIANT& a, const VARIANT& b);

#ifdef _WIN32
// Keys given as the layer's text (char16_t); the platform's OLECHAR differs
// in type only.
inline HRESULT ReadProperty(IPropertyBag* bag, const char16_t* name, const VARIANT& fallback,
                            VARIANT* value) {
    return ReadProperty(bag, reinterpret_cast<LPCOLESTR>(name), fallback, value);
}
inline HRESULT WriteProperty(IPropertyBag* bag, const char16_t* name, const VARIANT& value,
                             const VARIANT& fallback) {
    return WriteProperty(bag, reinterpret_cast<LPCOLESTR>(name), value, fallback);
}
#endif

// An ordered, in-memory bag: entries keep the order of their first write.
// Read converts to the caller's requested type (value->vt on entry).
class MemoryPropertyBag final : public Object<IPropertyBag> {
public:
    struct Entry {
        std::u16string name;
        Variant value;
    };

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

    const std::vector<Entry>& entries() const { return m_entries; }
    // Every name passed to Read or Write, in call order.
    const std::vector<std::u16string>& accessLog() const { return m_accessLog; }
    void clear() { m_entries.clear(); }

private:
    HRESULT read(LPCOLESTR name, VARIANT* value);
    HRESULT write(LPCOLESTR name, VARIANT* value);
    Entry* find(std::u16string_view name);

    std::vector<Entry> m_entries;
    std::vector<std::u16string> m_accessLog;
};

}  // namespace com

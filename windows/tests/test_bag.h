// A container's side of persistence and change notification, as small as the
// native client needs: a property bag in memory and a change sink that
// records the member identifiers it is told about.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "com/variant_value.h"
#include "corvell_ids.h"

namespace test {

class Bag final : public IPropertyBag {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyBag)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    // Lives on the client's stack.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        for (auto& [key, stored] : m_entries) {
            if (key != com::Chars(name)) continue;
            if (value->vt == VT_EMPTY) return VariantCopy(value, &stored);
            return VariantChangeType(value, &stored, 0, value->vt);
        }
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        m_entries.emplace_back(com::Chars(name), com::Variant(*value));
        return S_OK;
    }
    bool has(std::u16string_view name) const {
        for (const auto& entry : m_entries)
            if (entry.first == name) return true;
        return false;
    }

private:
    std::vector<std::pair<std::u16string, com::Variant>> m_entries;
};

class NotifySink final : public IPropertyNotifySink {
public:
    // Advises a new sink on the control's property-change connection point;
    // null when the control offers none.
    static NotifySink* adviseOn(IUnknown* control) {
        IConnectionPointContainer* container = nullptr;
        control->QueryInterface(IID_IConnectionPointContainer,
                                reinterpret_cast<void**>(&container));
        if (container == nullptr) return nullptr;
        IConnectionPoint* point = nullptr;
        container->FindConnectionPoint(IID_IPropertyNotifySink, &point);
        container->Release();
        if (point == nullptr) return nullptr;
        auto* sink = new NotifySink(point);
        if (FAILED(point->Advise(sink, &sink->m_cookie))) {
            sink->unadviseAndRelease();
            return nullptr;
        }
        return sink;
    }
    void unadviseAndRelease() {
        if (m_cookie != 0) m_point->Unadvise(m_cookie);
        Release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyNotifySink)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID member) override {
        m_changes.push_back(member);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
    const std::vector<DISPID>& changes() const { return m_changes; }

private:
    explicit NotifySink(IConnectionPoint* point) : m_point(point) {}
    ~NotifySink() { m_point->Release(); }

    ULONG m_references = 1;
    IConnectionPoint* m_point;
    DWORD m_cookie = 0;
    std::vector<DISPID> m_changes;
};

}  // namespace test

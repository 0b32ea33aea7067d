// ControlFactory that hands out a do-nothing automation object, or fails
// with a chosen status, and records what it was asked for.
#pragma once

#include <atomic>
#include <optional>

#include "hosting/control_factory.h"
#include "hosting/control_failure.h"

namespace rosterly {

// Counts its references so tests can see the window release it.
class FakeDispatch final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch))
            return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // Held on the stack by tests, so it starts with the test's reference.
    std::atomic<ULONG> references{1};
};

class FakeControlFactory final : public ControlFactory {
public:
    HostedControl create(const SavedControl& saved) override {
        requested = saved;
        HostedControl result;
        if (failWith) {
            result.status = *failWith;
            result.failure = libraryLoadFailure(*failWith);
            return result;
        }
        control.AddRef();
        result.control = com::Ptr<IDispatch>::adopt(&control);
        result.status = S_OK;
        return result;
    }

    FakeDispatch control;
    std::optional<HRESULT> failWith;
    std::optional<SavedControl> requested;
};

}  // namespace rosterly

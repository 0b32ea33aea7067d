// Class objects of an in-process server: the class factory, the module's
// lock count and the unload test, the same on every platform.
#include <atomic>
#include <new>

#include "com/guard.h"
#include "com/object.h"
#include "com/server.h"

namespace com {

namespace {

std::atomic<LONG> g_moduleLocks{0};
// Factory locks are counted apart from live objects, so an unbalanced
// LockServer(FALSE) cannot unlock objects still in use.
std::atomic<LONG> g_factoryLocks{0};

#ifdef _WIN32
// Script hosts and other clients that create a class by ProgID or class
// identifier never initialise or load it as a container does. So on Windows
// every instance leaves the factory initialised as a newly placed control
// (IPersistPropertyBag::InitNew); a container that then loads saved settings
// replaces them all through Load.
HRESULT initialiseAsNew(IUnknown* instance) {
    IPersistPropertyBag* persist = nullptr;
    if (FAILED(
            instance->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist))))
        return S_OK;
    const HRESULT hr = persist->InitNew();
    persist->Release();
    return hr;
}
#else
// Containers here initialise or load what they create.
HRESULT initialiseAsNew(IUnknown*) {
    return S_OK;
}
#endif

class ClassFactory final : public Object<IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) : m_entry(entry) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        return Guarded([&] { return createInstance(riid, object); });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ++g_factoryLocks;
            return S_OK;
        }
        LONG held = g_factoryLocks.load();
        while (held > 0 && !g_factoryLocks.compare_exchange_weak(held, held - 1)) {
        }
        return held > 0 ? S_OK : S_FALSE;
    }

private:
    HRESULT createInstance(REFIID riid, void** object) {
        IUnknown* instance = nullptr;
        HRESULT hr = m_entry.createInstance(IID_IUnknown, reinterpret_cast<void**>(&instance));
        if (FAILED(hr)) return hr;
        hr = initialiseAsNew(instance);
        if (SUCCEEDED(hr)) hr = instance->QueryInterface(riid, object);
        instance->Release();
        return hr;
    }

    const ClassEntry& m_entry;
};

HRESULT classObject(const ServerDescription& server, REFCLSID clsid, REFIID riid, void** object) {
    *object = nullptr;
    for (const ClassEntry& entry : server.classes) {
        if (!IsEqualCLSID(*entry.clsid, clsid)) continue;
        auto* factory = new (std::nothrow) ClassFactory(entry);
        if (factory == nullptr) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(riid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace

void LockModule() {
    ++g_moduleLocks;
}
void UnlockModule() {
    --g_moduleLocks;
}
LONG ModuleLockCount() {
    return g_moduleLocks.load() + g_factoryLocks.load();
}

HRESULT GetClassObject(const ServerDescription& server, REFCLSID clsid, REFIID riid,
                       void** object) {
    if (object == nullptr) return E_POINTER;
    return Guarded([&] { return classObject(server, clsid, riid, object); });
}

HRESULT CanUnloadNow() {
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

}  // namespace com

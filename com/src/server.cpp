// Registration and class objects of an in-process server.
#include "com/server.h"

#include <dlfcn.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "com/object.h"
#include "com/registry.h"
#include "com/strings.h"

namespace com {

namespace {

std::atomic<LONG> g_moduleLocks{0};

// Factory locks are counted apart from live objects, so an unbalanced
// LockServer(FALSE) cannot unlock objects still in use.
std::atomic<LONG> g_factoryLocks{0};

class ClassFactory final : public Object<IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) : m_entry(entry) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        return m_entry.createInstance(riid, object);
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
    const ClassEntry& m_entry;
};

std::string modulePathOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code error;
    const auto path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : path.string();
}

std::string versionText(const TypeLibEntry& lib) {
    return std::to_string(lib.majorVersion) + "." + std::to_string(lib.minorVersion);
}

std::string hexText(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", value);
    return buffer;
}

void recordClass(Registry& registry, const ServerDescription& server, const ClassEntry& entry,
                 const std::string& modulePath) {
    const std::string key = "CLSID\\" + GuidText(*entry.clsid);
    registry.setValue(key, "", entry.className);
    registry.setValue(key + "\\InprocServer32", "", modulePath);
    registry.setValue(key + "\\InprocServer32", "ThreadingModel", entry.threadingModel);
    registry.setValue(key + "\\ProgID", "", entry.progId);
    registry.setValue(key + "\\TypeLib", "", GuidText(*server.typeLib.libid));
    registry.setValue(key + "\\Version", "", versionText(server.typeLib));
    if (entry.isControl) {
        registry.setValue(key + "\\Control", "", "");
        registry.setValue(key + "\\MiscStatus", "", "0");
        registry.setValue(key + "\\MiscStatus\\1", "", std::to_string(entry.miscStatus));
    }
    if (entry.toolboxBitmap != 0)
        registry.setValue(key + "\\ToolboxBitmap32", "",
                          modulePath + ", " + std::to_string(entry.toolboxBitmap));
    registry.setValue(entry.progId, "", entry.className);
    registry.setValue(std::string(entry.progId) + "\\CLSID", "", GuidText(*entry.clsid));
}

void recordTypeLib(Registry& registry, const ServerDescription& server,
                   const std::string& modulePath) {
    const TypeLibEntry& lib = server.typeLib;
    const std::string libid = GuidText(*lib.libid);
    const std::string key = "TypeLib\\" + libid + "\\" + versionText(lib);
    registry.setValue(key, "", lib.helpString);
    registry.setValue(key, "Name", lib.name);
    registry.setValue(key + "\\FLAGS", "", lib.isControlLibrary ? "2" : "0");
    registry.setValue(key + "\\" + hexText(lib.lcid) + "\\linux64", "", modulePath);
    registry.setValue(key + "\\HELPDIR", "",
                      std::filesystem::path(modulePath).parent_path().string());
    for (const InterfaceEntry& itf : server.interfaces) {
        const std::string itfKey = "Interface\\" + GuidText(*itf.iid);
        registry.setValue(itfKey, "", itf.name);
        registry.setValue(itfKey + "\\TypeLib", "", libid);
        registry.setValue(itfKey + "\\TypeLib", "Version", versionText(lib));
    }
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

HRESULT RegisterServer(const ServerDescription& server) {
    const std::string modulePath = modulePathOf(&server);
    if (modulePath.empty()) return SELFREG_E_CLASS;
    Registry registry;
    if (FAILED(Registry::load(Registry::defaultPath(), &registry))) return SELFREG_E_CLASS;
    recordTypeLib(registry, server, modulePath);
    for (const ClassEntry& entry : server.classes) recordClass(registry, server, entry, modulePath);
    return SUCCEEDED(registry.save()) ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer(const ServerDescription& server) {
    Registry registry;
    if (FAILED(Registry::load(Registry::defaultPath(), &registry))) return SELFREG_E_CLASS;
    bool changed = registry.removeTree("TypeLib\\" + GuidText(*server.typeLib.libid));
    for (const InterfaceEntry& itf : server.interfaces)
        changed |= registry.removeTree("Interface\\" + GuidText(*itf.iid));
    for (const ClassEntry& entry : server.classes) {
        changed |= registry.removeTree("CLSID\\" + GuidText(*entry.clsid));
        changed |= registry.removeTree(entry.progId);
    }
    if (!changed) return S_OK;
    return SUCCEEDED(registry.save()) ? S_OK : SELFREG_E_CLASS;
}

HRESULT GetClassObject(const ServerDescription& server, REFCLSID clsid, REFIID riid,
                       void** object) {
    if (object == nullptr) return E_POINTER;
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

HRESULT CanUnloadNow() {
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

}  // namespace com

// Activation: from a class identifier (or ProgID) to a live object, through
// the per-user registry or, for an unregistered class, the one library beside
// the running program that the program named for it.
#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "com/local_servers.h"
#include "com/objbase.h"
#include "com/registry.h"
#include "com/strings.h"

namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT (*)();

// Libraries stay loaded while any object of theirs may be alive; only
// CoFreeUnusedLibraries, asking each one, unloads them.
struct LoadedLibrary {
    void* handle = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    CanUnloadNowFn canUnloadNow = nullptr;
};

std::mutex g_librariesMutex;
std::map<std::string, LoadedLibrary> g_libraries;

HRESULT loadLibrary(const std::string& path, LoadedLibrary* library) {
    std::lock_guard lock(g_librariesMutex);
    if (auto it = g_libraries.find(path); it != g_libraries.end()) {
        *library = it->second;
        return S_OK;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return CO_E_DLLNOTFOUND;
    LoadedLibrary loaded{handle,
                         reinterpret_cast<GetClassObjectFn>(dlsym(handle, "DllGetClassObject")),
                         reinterpret_cast<CanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"))};
    if (loaded.getClassObject == nullptr) {
        dlclose(handle);
        return CO_E_ERRORINDLL;
    }
    g_libraries[path] = loaded;
    *library = loaded;
    return S_OK;
}

std::filesystem::path programDirectory() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

// Library file names of the classes the program hosts, by class identifier text.
std::mutex g_localServersMutex;
std::map<std::string, std::string> g_localServers;

std::optional<std::string> localServerFile(REFCLSID clsid) {
    std::lock_guard lock(g_localServersMutex);
    const auto it = g_localServers.find(com::GuidText(clsid));
    if (it == g_localServers.end()) return std::nullopt;
    return it->second;
}

// Where the class's library is to be found: the registered path, or the known library beside
// the program. `registered` tells which.
std::optional<std::string> serverPath(REFCLSID clsid, bool* registered) {
    com::Registry registry;
    if (SUCCEEDED(com::Registry::load(com::Registry::defaultPath(), &registry))) {
        if (auto path = registry.value("CLSID\\" + com::GuidText(clsid) + "\\InprocServer32")) {
            *registered = true;
            return path;
        }
    }
    *registered = false;
    if (const auto file = localServerFile(clsid)) return (programDirectory() / *file).string();
    return std::nullopt;
}

HRESULT classObjectFrom(const std::string& path, REFCLSID clsid, REFIID riid, void** object) {
    // A relative path would depend on the current directory (or the loader's search path): a
    // library that happens to lie there would run. Only absolute paths are loaded.
    if (!std::filesystem::path(path).is_absolute()) return CO_E_DLLNOTFOUND;
    LoadedLibrary library;
    if (HRESULT hr = loadLibrary(path, &library); FAILED(hr)) return hr;
    return library.getClassObject(clsid, riid, object);
}

}  // namespace

namespace com {

HRESULT AddLocalServer(REFCLSID clsid, const std::string& fileName) {
    if (fileName.empty() || fileName.find('/') != std::string::npos) return E_INVALIDARG;
    std::lock_guard lock(g_localServersMutex);
    g_localServers[GuidText(clsid)] = fileName;
    return S_OK;
}

std::vector<std::string> ServerPathsFor(REFCLSID clsid) {
    bool registered = false;
    if (auto path = serverPath(clsid, &registered)) return {*path};
    return {};
}

}  // namespace com

extern "C" HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
    if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
    com::Registry registry;
    if (FAILED(com::Registry::load(com::Registry::defaultPath(), &registry)))
        return REGDB_E_CLASSNOTREG;
    const auto text = registry.value(com::ToUtf8(progId) + "\\CLSID");
    if (!text) return CO_E_CLASSSTRING;
    return com::ParseGuid(*text, clsid) ? S_OK : CO_E_CLASSSTRING;
}

extern "C" HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid,
                                    void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if ((context & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
    bool registered = false;
    const auto path = serverPath(clsid, &registered);
    if (!path) return REGDB_E_CLASSNOTREG;
    std::error_code error;
    if (!registered && !std::filesystem::exists(*path, error)) return REGDB_E_CLASSNOTREG;
    return classObjectFrom(*path, clsid, riid, object);
}

extern "C" HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                    void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return hr;
}

extern "C" void CoFreeUnusedLibraries() {
    std::lock_guard lock(g_librariesMutex);
    for (auto it = g_libraries.begin(); it != g_libraries.end();) {
        const LoadedLibrary& library = it->second;
        if (library.canUnloadNow != nullptr && library.canUnloadNow() == S_OK) {
            dlclose(library.handle);
            it = g_libraries.erase(it);
        } else {
            ++it;
        }
    }
}

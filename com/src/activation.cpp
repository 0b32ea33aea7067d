// Activation: from a class identifier (or ProgID) to a live object, through
// the per-user registry or, for an unregistered class, the libraries beside
// the running program.
#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

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

// Component libraries beside the program, in name order so the choice is
// the same on every start.
std::vector<std::string> librariesBesideProgram() {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(programDirectory(), error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && name.size() > 3 && name.ends_with(".so"))
            paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

HRESULT classObjectFrom(const std::string& path, REFCLSID clsid, REFIID riid, void** object) {
    LoadedLibrary library;
    if (HRESULT hr = loadLibrary(path, &library); FAILED(hr)) return hr;
    return library.getClassObject(clsid, riid, object);
}

}  // namespace

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
    com::Registry registry;
    if (SUCCEEDED(com::Registry::load(com::Registry::defaultPath(), &registry))) {
        const auto path = registry.value("CLSID\\" + com::GuidText(clsid) + "\\InprocServer32");
        if (path) return classObjectFrom(*path, clsid, riid, object);
    }
    for (const std::string& path : librariesBesideProgram()) {
        if (SUCCEEDED(classObjectFrom(path, clsid, riid, object))) return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
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

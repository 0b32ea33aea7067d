// Registration behind com/server.h on Windows: the classes root of the
// system registry, and the type library embedded in the library's own
// resources.
#include "com/server.h"

#include <string>

namespace com {

namespace {

std::wstring widen(const char* ascii) {
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

std::wstring guidText(REFGUID guid) {
    wchar_t text[40];
    return StringFromGUID2(guid, text, 40) > 0 ? text : L"";
}

std::wstring versionText(const TypeLibEntry& lib) {
    return std::to_wstring(lib.majorVersion) + L"." + std::to_wstring(lib.minorVersion);
}

std::wstring modulePathOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module))
        return {};
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    return path;
}

// Writes one text value (the key's default when `name` is empty) under
// HKEY_CLASSES_ROOT; collects the first failure in *status.
void setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value,
              HRESULT* status) {
    HKEY handle = nullptr;
    LSTATUS result = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &handle, nullptr);
    if (result == ERROR_SUCCESS) {
        const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        result = RegSetValueExW(handle, name, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()), bytes);
        RegCloseKey(handle);
    }
    if (result != ERROR_SUCCESS && SUCCEEDED(*status)) *status = HRESULT_FROM_WIN32(result);
}

// Removes a key with everything below it; a key that is not there is no
// failure, so unregistering twice is harmless.
void removeTree(const std::wstring& key, HRESULT* status) {
    const LSTATUS result = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND && SUCCEEDED(*status))
        *status = HRESULT_FROM_WIN32(result);
}

HRESULT recordClass(const ServerDescription& server, const ClassEntry& entry,
                    const std::wstring& modulePath) {
    HRESULT status = S_OK;
    const std::wstring key = L"CLSID\\" + guidText(*entry.clsid);
    const std::wstring progId = widen(entry.progId);
    setValue(key, nullptr, widen(entry.className), &status);
    setValue(key + L"\\InprocServer32", nullptr, modulePath, &status);
    setValue(key + L"\\InprocServer32", L"ThreadingModel", widen(entry.threadingModel), &status);
    setValue(key + L"\\ProgID", nullptr, progId, &status);
    setValue(key + L"\\TypeLib", nullptr, guidText(*server.typeLib.libid), &status);
    setValue(key + L"\\Version", nullptr, versionText(server.typeLib), &status);
    if (entry.isControl) {
        setValue(key + L"\\Control", nullptr, L"", &status);
        setValue(key + L"\\MiscStatus", nullptr, L"0", &status);
        setValue(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(entry.miscStatus), &status);
    }
    if (entry.toolboxBitmap != 0)
        setValue(key + L"\\ToolboxBitmap32", nullptr,
                 modulePath + L", " + std::to_wstring(entry.toolboxBitmap), &status);
    setValue(progId, nullptr, widen(entry.className), &status);
    setValue(progId + L"\\CLSID", nullptr, guidText(*entry.clsid), &status);
    return FAILED(status) ? SELFREG_E_CLASS : S_OK;
}

// The type library is resource 1 of the library itself; the platform records
// it together with its interfaces.
HRESULT recordTypeLib(const std::wstring& modulePath) {
    ITypeLib* typeLib = nullptr;
    if (FAILED(LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &typeLib))) return SELFREG_E_TYPELIB;
    std::wstring path = modulePath;
    std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L"\\/"));
    const HRESULT hr = RegisterTypeLib(typeLib, path.data(), folder.data());
    typeLib->Release();
    return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

}  // namespace

HRESULT RegisterServer(const ServerDescription& server) {
    const std::wstring modulePath = modulePathOf(&server);
    if (modulePath.empty()) return SELFREG_E_CLASS;
    if (HRESULT hr = recordTypeLib(modulePath); FAILED(hr)) return hr;
    for (const ClassEntry& entry : server.classes)
        if (HRESULT hr = recordClass(server, entry, modulePath); FAILED(hr)) return hr;
    return S_OK;
}

HRESULT UnregisterServer(const ServerDescription& server) {
    const TypeLibEntry& lib = server.typeLib;
    // Fails when the library is not registered; the removals below cover
    // whatever a partial registration left.
    UnRegisterTypeLib(*lib.libid, lib.majorVersion, lib.minorVersion, lib.lcid,
                      sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    HRESULT status = S_OK;
    removeTree(L"TypeLib\\" + guidText(*lib.libid), &status);
    for (const InterfaceEntry& itf : server.interfaces)
        removeTree(L"Interface\\" + guidText(*itf.iid), &status);
    for (const ClassEntry& entry : server.classes) {
        removeTree(L"CLSID\\" + guidText(*entry.clsid), &status);
        removeTree(widen(entry.progId), &status);
    }
    return FAILED(status) ? SELFREG_E_CLASS : S_OK;
}

}  // namespace com

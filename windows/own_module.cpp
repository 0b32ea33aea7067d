#include "own_module.h"

#include "com/server.h"

HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

std::wstring OwnModulePath() {
    const HMODULE module = OwnModule();
    if (module == nullptr) return {};
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    return path;
}

HRESULT LoadOwnTypeLib(ITypeLib** typeLib) {
    if (typeLib == nullptr) return E_POINTER;
    *typeLib = nullptr;
    const std::wstring path = OwnModulePath();
    if (path.empty()) return TYPE_E_CANTLOADLIBRARY;
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib);
}

namespace com {

HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    ITypeLib* typeLib = nullptr;
    HRESULT hr = LoadOwnTypeLib(&typeLib);
    if (FAILED(hr)) return hr;
    hr = typeLib->GetTypeInfoOfGuid(guid, info);
    typeLib->Release();
    return hr;
}

}  // namespace com

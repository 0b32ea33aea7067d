// OleControl's class information, read from the library's own type library.
#include "com/ptr.h"
#include "ole_control.h"
#include "own_module.h"

HRESULT OleControl::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    CLSID clsid;
    if (HRESULT hr = classId(&clsid); FAILED(hr)) return hr;
    com::Ptr<ITypeLib> typeLib;
    if (HRESULT hr = LoadOwnTypeLib(reinterpret_cast<ITypeLib**>(typeLib.out())); FAILED(hr))
        return hr;
    return typeLib->GetTypeInfoOfGuid(clsid, info);
}

// The coclass's implemented interface flagged default and source.
HRESULT OleControl::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    com::Ptr<ITypeInfo> coclass;
    if (HRESULT hr = GetClassInfo(reinterpret_cast<ITypeInfo**>(coclass.out())); FAILED(hr))
        return hr;
    TYPEATTR* attributes = nullptr;
    if (HRESULT hr = coclass->GetTypeAttr(&attributes); FAILED(hr)) return hr;
    const UINT count = attributes->cImplTypes;
    coclass->ReleaseTypeAttr(attributes);
    constexpr int kDefaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        HREFTYPE reference = 0;
        com::Ptr<ITypeInfo> source;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) ||
            (flags & kDefaultSource) != kDefaultSource ||
            FAILED(coclass->GetRefTypeOfImplType(i, &reference)) ||
            FAILED(
                coclass->GetRefTypeInfo(reference, reinterpret_cast<ITypeInfo**>(source.out()))) ||
            FAILED(source->GetTypeAttr(&attributes)))
            continue;
        *guid = attributes->guid;
        source->ReleaseTypeAttr(attributes);
        return S_OK;
    }
    return E_UNEXPECTED;
}

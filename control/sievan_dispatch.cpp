// Late binding: IDispatch over the member table. Each member identifier
// hands off to the typed slot after its arguments are checked; a member's
// error comes back as DISP_E_EXCEPTION with the error named in EXCEPINFO.
// Type information comes from the library's own type library where the
// platform keeps one.
#include "com/guard.h"
#include "com/server.h"
#include "com/variant_value.h"
#include "sievan.h"
#include "sievan_members.h"

namespace corvell {

namespace {

const char16_t* describe(HRESULT hr) {
    switch (hr) {
        case CTL_E_TYPEMISMATCH:
            return u"Type mismatch";
        case CTL_E_OVERFLOW:
            return u"Overflow";
        case CTL_E_INVALIDPATTERNSTRING:
            return u"Invalid pattern string";
        case E_OUTOFMEMORY:
            return u"Out of memory";
        case E_UNEXPECTED:
            return u"Unexpected failure";
        default:
            return u"The container refused the property change";
    }
}

HRESULT raise(HRESULT hr, EXCEPINFO* excepInfo) {
    if (excepInfo == nullptr) return hr;
    *excepInfo = EXCEPINFO{};
    excepInfo->bstrSource = SysAllocString(u"Corvell");
    excepInfo->bstrDescription = SysAllocString(describe(hr));
    excepInfo->scode = hr;
    return DISP_E_EXCEPTION;
}

bool isPropertyPut(WORD flags) {
    return (flags & DISPATCH_PROPERTYPUT) != 0;
}

// Puts carry exactly one argument, named DISPID_PROPERTYPUT; other calls
// carry none.
HRESULT checkArguments(WORD flags, const DISPPARAMS* params) {
    const UINT expected = isPropertyPut(flags) ? 1 : 0;
    const UINT given = params == nullptr ? 0 : params->cArgs;
    const UINT named = params == nullptr ? 0 : params->cNamedArgs;
    if (given != expected) return DISP_E_BADPARAMCOUNT;
    if (isPropertyPut(flags)) {
        if (named != 1 || params->rgdispidNamedArgs == nullptr ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTOPTIONAL;
    } else if (named != 0) {
        return DISP_E_NONAMEDARGS;
    }
    return S_OK;
}

}  // namespace

HRESULT Sievan::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    ITypeInfo* info = nullptr;
    *count = SUCCEEDED(GetTypeInfo(0, 0, &info)) ? 1 : 0;
    if (info != nullptr) info->Release();
    return S_OK;
}

HRESULT Sievan::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return com::Guarded([&] { return com::GetModuleTypeInfo(IID__Sievan, info); });
}

HRESULT Sievan::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, GUID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    const SievanMember* member =
        names[0] ? findMember(std::u16string_view(com::Chars(names[0]))) : nullptr;
    ids[0] = member ? member->id : DISPID_UNKNOWN;
    // Parameter names are not offered for binding.
    for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return member != nullptr && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT Sievan::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
    if (!IsEqualIID(riid, GUID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (result != nullptr) VariantInit(result);
    try {
        return invokeMember(member, flags, params, result, excepInfo, argErr);
    } catch (...) {
        // Reported like any other failure of the member.
        return raise(com::ResultOfCurrentException(), excepInfo);
    }
}

HRESULT Sievan::invokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* excepInfo, UINT* argErr) {
    const SievanMember* entry = findMember(member);
    if (entry == nullptr) return DISP_E_MEMBERNOTFOUND;
    if (entry->kind == MemberKind::Method) {
        // A method without arguments may also be read like a property.
        if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
        if (HRESULT hr = checkArguments(DISPATCH_METHOD, params); FAILED(hr)) return hr;
        VARIANT ignored;
        const HRESULT hr = member == DISPID_SIEVAN_CLEAN ? Clean(result ? result : &ignored)
                                                         : Extract(result ? result : &ignored);
        return FAILED(hr) ? raise(hr, excepInfo) : S_OK;
    }
    const HRESULT hr = invokeProperty(member, flags, params, result, argErr);
    return FAILED(hr) && HRESULT_FACILITY(hr) != FACILITY_DISPATCH ? raise(hr, excepInfo) : hr;
}

HRESULT Sievan::invokeProperty(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                               UINT* argErr) {
    const bool isFlag = member == DISPID_SIEVAN_DONE;
    if (isPropertyPut(flags)) {
        if (HRESULT hr = checkArguments(flags, params); FAILED(hr)) return hr;
        const VARIANT& argument = params->rgvarg[0];
        // A boolean argument is stored as given, so a client may store any
        // 16-bit value in Done; other types convert to the property's type.
        if (isFlag && argument.vt == VT_BOOL) return put_Done(argument.boolVal);
        if (!isFlag && argument.vt == VT_BSTR)
            return putText(*textField(member), com::View(argument.bstrVal), member);
        com::Variant value;
        if (FAILED(VariantChangeType(&value, &argument, 0, isFlag ? VT_BOOL : VT_BSTR))) {
            if (argErr != nullptr) *argErr = 0;
            return DISP_E_TYPEMISMATCH;
        }
        if (isFlag) return put_Done(value.boolVal);
        return putText(*textField(member), value.text(), member);
    }
    if ((flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
    if (HRESULT hr = checkArguments(flags, params); FAILED(hr)) return hr;
    if (result == nullptr) return S_OK;
    if (isFlag) {
        result->vt = VT_BOOL;
        return get_Done(&result->boolVal);
    }
    result->vt = VT_BSTR;
    return getText(*textField(member), &result->bstrVal);
}

}  // namespace corvell

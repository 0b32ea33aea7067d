// What registration leaves behind: the registered type library and its
// types, the class's registry entries, and the library's version block.
#include <string>

#include "corvell_ids.h"
#include "native_checks.h"

namespace {

std::string text(BSTR value) {
    std::wstring wide(value ? value : L"");
    return std::string(wide.begin(), wide.end());
}

struct Slot {
    DISPID id;
    INVOKEKIND kind;
    VARTYPE type;  // of the put's argument or the get's result
    const char* name;
};
// _Sievan's own members in slot order. (The platform looks names up by
// member identifier, which for a property yields the get's names, so the
// put's parameter names cannot be read back here.)
constexpr Slot kSlots[] = {
    {0x60030007, INVOKE_FUNC, VT_VARIANT, "Clean"},
    {0x60030008, INVOKE_FUNC, VT_VARIANT, "Extract"},
    {0x68030005, INVOKE_PROPERTYGET, VT_BSTR, "Filter"},
    {0x68030005, INVOKE_PROPERTYPUT, VT_BSTR, "Filter"},
    {0x68030004, INVOKE_PROPERTYGET, VT_BSTR, "Address"},
    {0x68030004, INVOKE_PROPERTYPUT, VT_BSTR, "Address"},
    {0x68030003, INVOKE_PROPERTYGET, VT_BSTR, "Duplicates"},
    {0x68030003, INVOKE_PROPERTYPUT, VT_BSTR, "Duplicates"},
    {0x68030002, INVOKE_PROPERTYGET, VT_BSTR, "Count"},
    {0x68030002, INVOKE_PROPERTYPUT, VT_BSTR, "Count"},
    {0x68030001, INVOKE_PROPERTYGET, VT_BSTR, "Filtered"},
    {0x68030001, INVOKE_PROPERTYPUT, VT_BSTR, "Filtered"},
    {0x68030000, INVOKE_PROPERTYGET, VT_BOOL, "Done"},
    {0x68030000, INVOKE_PROPERTYPUT, VT_BOOL, "Done"},
};

// "<id> <invoke kind> <name> <argument type> @<vtable offset>"; every slot
// returns a status result and takes one argument (a put's value or a
// method's or get's result).
std::string describeSlot(ITypeInfo* info, UINT index) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(index, &func))) return "no slot";
    BSTR name = nullptr;
    UINT count = 0;
    info->GetNames(func->memid, &name, 1, &count);
    VARTYPE type = VT_EMPTY;
    if (func->cParams == 1) {
        const TYPEDESC& desc = func->lprgelemdescParam[0].tdesc;
        type = desc.vt == VT_PTR ? desc.lptdesc->vt : desc.vt;
    }
    std::string result = hex(func->memid) + " " + std::to_string(func->invkind) + " " + text(name) +
                         " " + std::to_string(type) + " @" + std::to_string(func->oVft);
    if (func->elemdescFunc.tdesc.vt != VT_HRESULT) result += " (no status result)";
    SysFreeString(name);
    info->ReleaseFuncDesc(func);
    return result;
}

void checkInterface(ITypeLib* lib) {
    ITypeInfo* dispatchSide = nullptr;
    lib->GetTypeInfoOfGuid(IID__Sievan, &dispatchSide);
    if (dispatchSide == nullptr) return check(false, "type library holds _Sievan");
    TYPEATTR* attr = nullptr;
    dispatchSide->GetTypeAttr(&attr);
    const WORD flags = attr->wTypeFlags;
    dispatchSide->ReleaseTypeAttr(attr);

    // The vtable side of the dual interface lists the slots in order.
    HREFTYPE ref = 0;
    ITypeInfo* vtableSide = nullptr;
    dispatchSide->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
    dispatchSide->GetRefTypeInfo(ref, &vtableSide);
    dispatchSide->Release();
    if (vtableSide == nullptr) return check(false, "_Sievan has a vtable side");
    vtableSide->GetTypeAttr(&attr);
    const WORD wanted = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                        TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
    check(((flags | attr->wTypeFlags) & wanted) == wanted,
          "_Sievan is hidden, dual, non-extensible, automation-compatible",
          hex(flags) + " " + hex(attr->wTypeFlags));
    check(attr->cFuncs == 14, "_Sievan has 14 slots of its own", std::to_string(attr->cFuncs));
    vtableSide->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < 14; ++i) {
        const Slot& slot = kSlots[i];
        const std::string expected = hex(slot.id) + " " + std::to_string(slot.kind) + " " +
                                     slot.name + " " + std::to_string(slot.type) + " @" +
                                     std::to_string((7 + i) * sizeof(void*));
        const std::string got = describeSlot(vtableSide, i);
        check(got == expected, "slot " + std::to_string(i + 1) + " " + slot.name,
              got + ", expected " + expected);
    }
    vtableSide->Release();
}

void checkClassAndEvents(ITypeLib* lib) {
    ITypeInfo* coclass = nullptr;
    lib->GetTypeInfoOfGuid(CLSID_Sievan, &coclass);
    if (coclass == nullptr) return check(false, "type library holds class Sievan");
    TYPEATTR* attr = nullptr;
    coclass->GetTypeAttr(&attr);
    check(attr->typekind == TKIND_COCLASS && (attr->wTypeFlags & TYPEFLAG_FCONTROL) &&
              attr->cImplTypes == 2,
          "Sievan is a control class with two interfaces");
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ITypeInfo* itf = nullptr;
        coclass->GetImplTypeFlags(i, &flags);
        coclass->GetRefTypeOfImplType(i, &ref);
        coclass->GetRefTypeInfo(ref, &itf);
        BSTR name = nullptr;
        if (itf) itf->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        const bool source = flags & IMPLTYPEFLAG_FSOURCE;
        check((flags & IMPLTYPEFLAG_FDEFAULT) && text(name) == (source ? "__Sievan" : "_Sievan"),
              std::string("default ") + (source ? "source " : "") + "interface " + text(name));
        SysFreeString(name);
        if (itf) itf->Release();
    }
    coclass->Release();

    ITypeInfo* events = nullptr;
    lib->GetTypeInfoOfGuid(DIID___Sievan, &events);
    if (events == nullptr) return check(false, "type library holds __Sievan");
    events->GetTypeAttr(&attr);
    check(attr->typekind == TKIND_DISPATCH && attr->cFuncs == 0, "__Sievan has no members");
    events->ReleaseTypeAttr(attr);
    events->Release();
}

std::wstring registryText(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t buffer[1024];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                     &bytes) != ERROR_SUCCESS)
        return L"<absent>";
    return buffer;
}

std::string narrowText(const std::wstring& wide) {
    return std::string(wide.begin(), wide.end());
}

std::wstring guidText(REFGUID guid) {
    wchar_t buffer[40];
    StringFromGUID2(guid, buffer, 40);
    return buffer;
}

}  // namespace

void checkTypeLibrary(bool registered) {
    ITypeLib* lib = nullptr;
    const HRESULT hr = LoadRegTypeLib(LIBID_Corvell, 1, 0, 0x409, &lib);
    if (!registered) {
        check(FAILED(hr), "type library unregistered");
        if (lib) lib->Release();
        return;
    }
    if (lib == nullptr) return check(false, "type library registered", hex(hr));
    TLIBATTR* attr = nullptr;
    lib->GetLibAttr(&attr);
    check(attr->wMajorVerNum == 1 && attr->wMinorVerNum == 0 && attr->lcid == 0x409 &&
              (attr->wLibFlags & LIBFLAG_FCONTROL),
          "type library 1.0, locale 0x409, a control library");
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr;
    BSTR help = nullptr;
    lib->GetDocumentation(-1, &name, &help, nullptr, nullptr);
    check(text(name) == "Corvell" && text(help) == "Corvell",
          "type library named Corvell with help string Corvell", text(name) + " / " + text(help));
    SysFreeString(name);
    SysFreeString(help);
    checkInterface(lib);
    checkClassAndEvents(lib);
    lib->Release();
}

void checkRegistry(bool registered) {
    const std::wstring key = L"CLSID\\" + guidText(CLSID_Sievan);
    const std::wstring server = registryText(key + L"\\InprocServer32");
    if (!registered) {
        check(server == L"<absent>" && registryText(L"Corvell.Sievan\\CLSID") == L"<absent>",
              "class and ProgID keys removed");
        return;
    }
    struct Entry {
        std::wstring key;
        const wchar_t* name;
        std::wstring expected;
    };
    const Entry entries[] = {
        {L"Corvell.Sievan\\CLSID", nullptr, guidText(CLSID_Sievan)},
        {key + L"\\ProgID", nullptr, L"Corvell.Sievan"},
        {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {key + L"\\Control", nullptr, L""},
        {key + L"\\MiscStatus\\1", nullptr, L"132497"},
        {key + L"\\ToolboxBitmap32", nullptr, server + L", 30000"},
        {key + L"\\TypeLib", nullptr, guidText(LIBID_Corvell)},
        {key + L"\\Version", nullptr, L"1.0"},
    };
    for (const Entry& entry : entries) {
        const std::wstring got = registryText(entry.key, entry.name);
        check(got == entry.expected, "registry " + narrowText(entry.key),
              narrowText(got) + ", expected " + narrowText(entry.expected));
    }

    checkVersionBlock(server, "");
}

void checkVersionBlock(const std::wstring& path, const std::string& label) {
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    void* selfRegister = nullptr;
    const bool read = !block.empty() &&
                      GetFileVersionInfoW(path.c_str(), 0, block.size(), block.data()) &&
                      VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size);
    check(read && fixed->dwFileVersionMS == 0x30000 && fixed->dwProductVersionMS == 0x30000,
          label + "version block gives file and product version 3.00");
    check(read && VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\OLESelfRegister",
                                 &selfRegister, &size),
          label + "version block carries OLESelfRegister");
}

// A library built for the other pointer size cannot be loaded as code here,
// but it can be read as data: its resources, its version block, and its type
// library, which must describe exactly the types of the reference library's.
// Only the platform and the pointer-sized table sizes may differ: an
// interface's table size is compared in slots of the library's pointer size;
// slot offsets, which the platform gives for the reading process, in slots of
// the reader's.
#include <sstream>
#include <string>

#include "corvell_ids.h"
#include "native_checks.h"

namespace {

std::string text(BSTR value) {
    std::wstring wide(value ? value : L"");
    return std::string(wide.begin(), wide.end());
}

std::string documentation(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    BSTR help = nullptr;
    info->GetDocumentation(id, &name, &help, nullptr, nullptr);
    std::string result = text(name) + " \"" + text(help) + "\"";
    SysFreeString(name);
    SysFreeString(help);
    return result;
}

std::string typeText(ITypeInfo* info, const TYPEDESC& desc) {
    if (desc.vt == VT_PTR) return typeText(info, *desc.lptdesc) + "*";
    if (desc.vt != VT_USERDEFINED) return std::to_string(desc.vt);
    ITypeInfo* target = nullptr;
    if (FAILED(info->GetRefTypeInfo(desc.hreftype, &target))) return "?";
    std::string name = documentation(target, MEMBERID_NIL);
    target->Release();
    return name;
}

void describeFunction(std::ostream& out, ITypeInfo* info, UINT index, int slotSize) {
    FUNCDESC* func = nullptr;
    if (FAILED(info->GetFuncDesc(index, &func))) {
        out << "  no function " << index << "\n";
        return;
    }
    BSTR names[16] = {};
    UINT count = 0;
    info->GetNames(func->memid, names, 16, &count);
    out << "  func " << hex(func->memid) << " kind " << func->funckind << " invoke "
        << func->invkind << " call " << func->callconv << " flags " << func->wFuncFlags << " slot "
        << func->oVft / slotSize << " returns " << typeText(info, func->elemdescFunc.tdesc)
        << " params " << func->cParams << "/" << func->cParamsOpt << ":";
    for (SHORT i = 0; i < func->cParams; ++i)
        out << " " << typeText(info, func->lprgelemdescParam[i].tdesc) << "["
            << func->lprgelemdescParam[i].paramdesc.wParamFlags << "]";
    out << " names:";
    for (UINT i = 0; i < count; ++i) {
        out << " " << text(names[i]);
        SysFreeString(names[i]);
    }
    out << "\n";
    info->ReleaseFuncDesc(func);
}

void describeType(std::ostream& out, ITypeInfo* info, int pointerSize) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) {
        out << "no attributes\n";
        return;
    }
    wchar_t guid[40];
    StringFromGUID2(attr->guid, guid, 40);
    out << "type " << documentation(info, MEMBERID_NIL) << " " << text(guid) << " kind "
        << attr->typekind << " flags " << attr->wTypeFlags << " version " << attr->wMajorVerNum
        << "." << attr->wMinorVerNum;
    // A dispinterface's table is sized for the reading process (below).
    if (attr->typekind != TKIND_DISPATCH) out << " slots " << attr->cbSizeVft / pointerSize;
    out << "\n";
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ITypeInfo* base = nullptr;
        info->GetImplTypeFlags(i, &flags);
        info->GetRefTypeOfImplType(i, &ref);
        info->GetRefTypeInfo(ref, &base);
        out << "  implements " << (base ? documentation(base, MEMBERID_NIL) : "?") << " flags "
            << flags << "\n";
        if (base) base->Release();
    }
    // The platform gives slot offsets for the reading process.
    for (UINT i = 0; i < attr->cFuncs; ++i) describeFunction(out, info, i, sizeof(void*));
    // The vtable side of a dual interface.
    HREFTYPE ref = 0;
    ITypeInfo* vtableSide = nullptr;
    if (attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL) &&
        SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
        SUCCEEDED(info->GetRefTypeInfo(ref, &vtableSide))) {
        out << "vtable side of ";
        describeType(out, vtableSide, pointerSize);
        vtableSide->Release();
    }
    info->ReleaseTypeAttr(attr);
}

// Everything the type library says, one line per item; platform-free.
std::string describeLibrary(const std::wstring& path, std::string* failure) {
    ITypeLib* lib = nullptr;
    const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr)) {
        *failure = "LoadTypeLibEx " + hex(hr);
        return {};
    }
    TLIBATTR* attr = nullptr;
    lib->GetLibAttr(&attr);
    const int pointerSize = attr->syskind == SYS_WIN64 ? 8 : 4;
    std::ostringstream out;
    wchar_t guid[40];
    StringFromGUID2(attr->guid, guid, 40);
    BSTR name = nullptr;
    BSTR help = nullptr;
    lib->GetDocumentation(-1, &name, &help, nullptr, nullptr);
    out << "library " << text(name) << " \"" << text(help) << "\" " << text(guid) << " lcid "
        << attr->lcid << " version " << attr->wMajorVerNum << "." << attr->wMinorVerNum << " flags "
        << attr->wLibFlags << "\n";
    SysFreeString(name);
    SysFreeString(help);
    lib->ReleaseTLibAttr(attr);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ITypeInfo* info = nullptr;
        if (FAILED(lib->GetTypeInfo(i, &info))) continue;
        describeType(out, info, pointerSize);
        info->Release();
    }
    lib->Release();
    return out.str();
}

SYSKIND sysKindOf(const std::wstring& path) {
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib))) return SYS_WIN16;
    TLIBATTR* attr = nullptr;
    lib->GetLibAttr(&attr);
    const SYSKIND kind = attr->syskind;
    lib->ReleaseTLibAttr(attr);
    lib->Release();
    return kind;
}

// The first line where two descriptions part.
std::string firstDifference(const std::string& a, const std::string& b) {
    std::istringstream left(a);
    std::istringstream right(b);
    std::string l;
    std::string r;
    while (true) {
        const bool moreLeft = static_cast<bool>(std::getline(left, l));
        const bool moreRight = static_cast<bool>(std::getline(right, r));
        if (!moreLeft && !moreRight) return "";
        if (!moreLeft || !moreRight || l != r) return "'" + l + "' against '" + r + "'";
    }
}

void checkResources(const std::wstring& library) {
    HMODULE module = LoadLibraryExW(library.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    check(module != nullptr, "32-bit dll: readable as data", hex(GetLastError()));
    if (module == nullptr) return;
    check(FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB") != nullptr,
          "32-bit dll: type library resource");
    check(FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION) != nullptr,
          "32-bit dll: version resource");
    check(FindResourceW(module, MAKEINTRESOURCEW(SIEVAN_TOOLBOX_BITMAP), RT_BITMAP) != nullptr &&
              FindResourceW(module, MAKEINTRESOURCEW(SIEVAN_ICON_BITMAP), RT_BITMAP) != nullptr,
          "32-bit dll: toolbox and icon bitmaps");
    FreeLibrary(module);
}

}  // namespace

void compareLibraries(const std::wstring& library, const std::wstring& reference) {
    checkResources(library);
    checkVersionBlock(library, "32-bit dll: ");
    check(sysKindOf(library) == SYS_WIN32, "32-bit dll: type library built for 32-bit Windows");
    std::string failure;
    const std::string described = describeLibrary(library, &failure);
    check(!described.empty(), "32-bit dll: type library loads", failure);
    const std::string expected = describeLibrary(reference, &failure);
    check(!expected.empty(), "64-bit dll: type library loads", failure);
    if (described.empty() || expected.empty()) return;
    check(described == expected, "32-bit dll: type library equals the 64-bit one",
          firstDifference(described, expected));
}

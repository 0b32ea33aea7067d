// Allocations inside the library that fail on purpose: the library's calls
// of the C runtime's malloc go through its import table, which the client
// points at a malloc that fails while armed. Every failure must come back as
// E_OUTOFMEMORY (through EXCEPINFO from Invoke) and leave the control usable.
#include <cstdlib>
#include <cstring>

#include "com/variant_value.h"
#include "native_checks.h"
#include "sievan_interface.h"

namespace {

using MallocFunction = void*(__cdecl*)(size_t);
MallocFunction g_realMalloc = nullptr;
bool g_failing = false;

// Only the large request of the text below fails: the small ones the
// runtime makes while it throws and unwinds still succeed.
constexpr size_t kLargeRequest = 8000;

void* __cdecl failingMalloc(size_t size) {
    return g_failing && size >= kLargeRequest ? nullptr : g_realMalloc(size);
}

// The import-table slot through which `module` calls malloc of msvcrt.dll.
void** mallocSlot(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; import->Name != 0; ++import) {
        if (_stricmp(reinterpret_cast<char*>(base + import->Name), "msvcrt.dll") != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), "malloc") == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool swapSlot(void** slot, void* function) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
    *slot = function;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return true;
}

}  // namespace

void checkFailingAllocations(IDispatch* control) {
    void** slot = mallocSlot(GetModuleHandleW(L"Corvell.dll"));
    check(slot != nullptr, "allocation failure: the library imports malloc");
    if (slot == nullptr) return;
    g_realMalloc = reinterpret_cast<MallocFunction>(*slot);
    if (!swapSlot(slot, reinterpret_cast<void*>(&failingMalloc)))
        return check(false, "allocation failure: import table writable");

    // Longer than anything the control held so far, so storing it allocates.
    const std::u16string longText(4096, u'a');
    com::Variant argument{std::u16string_view(longText)};
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    EXCEPINFO error{};
    g_failing = true;
    const HRESULT invoked =
        control->Invoke(DISPID_SIEVAN_ADDRESS, GUID_NULL, 0x409, DISPATCH_PROPERTYPUT, &params,
                        nullptr, &error, nullptr);
    _Sievan* typed = nullptr;
    control->QueryInterface(IID__Sievan, reinterpret_cast<void**>(&typed));
    const HRESULT direct = typed != nullptr ? typed->put_Filter(argument.bstrVal) : S_OK;
    g_failing = false;
    if (typed != nullptr) typed->Release();
    check(invoked == DISP_E_EXCEPTION && error.scode == E_OUTOFMEMORY,
          "allocation failure: Invoke reports E_OUTOFMEMORY through EXCEPINFO",
          hex(invoked) + " " + hex(error.scode));
    check(direct == E_OUTOFMEMORY, "allocation failure: the dual slot returns E_OUTOFMEMORY",
          hex(direct));
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);

    swapSlot(slot, reinterpret_cast<void*>(g_realMalloc));
    putText(control, DISPID_SIEVAN_FILTER, u"0");
    check(putText(control, DISPID_SIEVAN_ADDRESS, u"mailto:after@b.c.") == S_OK &&
              call(control, DISPID_SIEVAN_EXTRACT, nullptr) == S_OK &&
              getText(control, DISPID_SIEVAN_ADDRESS) == u"after@b.c",
          "allocation failure: the control works afterwards");
}

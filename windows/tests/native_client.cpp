// A native client of the registered Corvell.dll: creates the control by its
// class identifier and checks, through the platform alone, the member
// identifiers (GetIDsOfNames), late binding (IDispatch::Invoke), the dual
// interface's slots, the container services (extent, status flags, property
// bag, change notification), the type library and the registry entries.
// With --unregistered it checks that all of that is gone instead; with
// --compare-library <dll> <reference dll> it reads a library built for the
// other pointer size as data and compares it with the reference.
// Prints one PASS or FAIL line per check and "DONE" at the end; exits with
// the number of failures.
#include <cstdio>
#include <string>
#include <vector>

#include "com/variant_value.h"
#include "corvell_ids.h"
#include "native_checks.h"
#include "sievan_interface.h"
#include "test_bag.h"

namespace {

int g_failures = 0;

}  // namespace

void check(bool ok, const std::string& what, const std::string& detail) {
    std::printf("%s: native: %s%s%s\n", ok ? "PASS" : "FAIL", what.c_str(),
                ok || detail.empty() ? "" : ": ", ok ? "" : detail.c_str());
    if (!ok) ++g_failures;
}

std::string narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

HRESULT putText(IDispatch* control, DISPID id, const char16_t* value) {
    com::Variant argument{std::u16string_view(value)};
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    return control->Invoke(id, GUID_NULL, 0x409, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                           nullptr);
}

std::u16string getText(IDispatch* control, DISPID id) {
    com::Variant result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (FAILED(control->Invoke(id, GUID_NULL, 0x409, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                               nullptr)))
        return u"<failed>";
    // Done reads as "True" or "False".
    if (result.vt != VT_BSTR &&
        FAILED(VariantChangeType(&result, &result, VARIANT_ALPHABOOL, VT_BSTR)))
        return u"<not text>";
    return std::u16string(result.text());
}

HRESULT call(IDispatch* control, DISPID id, EXCEPINFO* error) {
    com::Variant result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return control->Invoke(id, GUID_NULL, 0x409, DISPATCH_METHOD, &none, &result, error, nullptr);
}

std::string hex(long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(value));
    return buffer;
}

namespace {

struct Member {
    const char16_t* name;
    DISPID id;
};
// The identifiers late-binding clients (the main program among them) use.
constexpr Member kMembers[] = {
    {u"Clean", 0x60030007},    {u"Extract", 0x60030008},    {u"Filter", 0x68030005},
    {u"Address", 0x68030004},  {u"Duplicates", 0x68030003}, {u"Count", 0x68030002},
    {u"Filtered", 0x68030001}, {u"Done", 0x68030000},
};

DISPID idOf(IDispatch* control, const char16_t* name) {
    std::u16string text(name);
    LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(text.data())};
    DISPID id = DISPID_UNKNOWN;
    control->GetIDsOfNames(GUID_NULL, names, 1, 0x409, &id);
    return id;
}

void checkMemberIds(IDispatch* control) {
    for (const Member& member : kMembers) {
        const DISPID id = idOf(control, member.name);
        check(id == member.id, "GetIDsOfNames " + narrow(member.name), "got " + hex(id));
    }
    check(idOf(control, u"aDDRESS") == 0x68030004, "GetIDsOfNames ignores case");
    check(idOf(control, u"Harvest") == DISPID_UNKNOWN, "GetIDsOfNames refuses unknown names");
}

void checkInvoke(IDispatch* control) {
    check(putText(control, 0x68030004, u"mailto:abc@b.c.") == S_OK, "Invoke put Address");
    check(call(control, 0x60030008, nullptr) == S_OK, "Invoke Extract");
    const std::u16string address = getText(control, 0x68030004);
    check(address == u"abc@b.c", "Invoke get Address after Extract", narrow(address));
    check(getText(control, 0x68030002) == u"1", "Invoke get Count after Extract");

    putText(control, 0x68030005, u"[");
    EXCEPINFO error{};
    const HRESULT hr = call(control, 0x60030007, &error);
    check(hr == DISP_E_EXCEPTION && error.scode == CTL_E_INVALIDPATTERNSTRING,
          "invalid Filter pattern raises the invalid-pattern error",
          hex(hr) + " " + hex(error.scode));
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
}

void checkDualSlots(IDispatch* control) {
    _Sievan* typed = nullptr;
    check(SUCCEEDED(control->QueryInterface(IID__Sievan, reinterpret_cast<void**>(&typed))),
          "QueryInterface _Sievan");
    if (typed == nullptr) return;
    com::Bstr text(u"(abc@b.c)!");
    typed->put_Address(text.get());
    com::Variant ignored;
    typed->Extract(&ignored);
    com::Bstr address;
    typed->get_Address(address.out());
    check(address.view() == u"abc@b.c", "dual interface slots Address and Extract",
          narrow(address.view()));
    typed->Release();
}

void checkContainerServices(IDispatch* control) {
    IOleObject* ole = nullptr;
    control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
    check(ole != nullptr, "QueryInterface IOleObject");
    if (ole == nullptr) return;
    DWORD status = 0;
    ole->GetMiscStatus(DVASPECT_CONTENT, &status);
    check(status == 0x20591, "IOleObject status flags", hex(status));
    SIZEL asked{1, 1};
    SIZEL size{};
    ole->SetExtent(DVASPECT_CONTENT, &asked);
    ole->GetExtent(DVASPECT_CONTENT, &size);
    check(size.cx == 635 && size.cy == 582, "extent held at 635 x 582 HIMETRIC",
          std::to_string(size.cx) + " x " + std::to_string(size.cy));
    ole->Release();
}

void checkPersistence(IDispatch* control) {
    putText(control, 0x68030002, u"17");
    test::NotifySink* sink = test::NotifySink::adviseOn(control);
    check(sink != nullptr, "IPropertyNotifySink connection point");
    com::Variant flag;
    flag.vt = VT_BOOL;
    flag.boolVal = VARIANT_TRUE;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&flag, &named, 1, 1};
    control->Invoke(0x68030000, GUID_NULL, 0x409, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                    nullptr);
    check(sink != nullptr && sink->changes() == std::vector<DISPID>{0x68030000},
          "put Done notifies the container with Done's identifier");
    if (sink) sink->unadviseAndRelease();

    test::Bag bag;
    IPersistPropertyBag* persist = nullptr;
    control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
    check(persist != nullptr && persist->Save(&bag, TRUE, FALSE) == S_OK,
          "IPersistPropertyBag Save");
    if (persist) persist->Release();
    check(bag.has(u"Count") && bag.has(u"Done") && !bag.has(u"Filtered"),
          "Save writes only settings that differ from their defaults");

    IPersistPropertyBag* fresh = nullptr;
    CoCreateInstance(CLSID_Sievan, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistPropertyBag,
                     reinterpret_cast<void**>(&fresh));
    if (fresh == nullptr) {
        check(false, "IPersistPropertyBag Load", "no second instance");
        return;
    }
    check(fresh->Load(&bag, nullptr) == S_OK, "IPersistPropertyBag Load");
    IDispatch* loaded = nullptr;
    fresh->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&loaded));
    check(getText(loaded, 0x68030002) == u"17", "loaded Count is the saved 17");
    fresh->Release();
    loaded->Release();
}

}  // namespace

std::wstring widen(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--compare-library") {
        CoInitialize(nullptr);
        compareLibraries(widen(argv[2]), widen(argv[3]));
        CoUninitialize();
        std::printf("DONE: native\n");
        return g_failures;
    }
    const bool registered = !(argc > 1 && std::string(argv[1]) == "--unregistered");
    CoInitialize(nullptr);
    IDispatch* control = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_Sievan, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&control));
    if (!registered) {
        check(hr == REGDB_E_CLASSNOTREG, "CoCreateInstance fails once unregistered", hex(hr));
    } else {
        check(hr == S_OK, "CoCreateInstance by class identifier", hex(hr));
    }
    if (control != nullptr) {
        checkMemberIds(control);
        checkInvoke(control);
        checkDualSlots(control);
        checkContainerServices(control);
        checkPersistence(control);
        checkTypeInformationAndClass(control);
        checkFailingAllocations(control);
        control->Release();
        checkOleContainer();
        checkAtlHost();
    }
    checkTypeLibrary(registered);
    checkRegistry(registered);
    CoUninitialize();
    std::printf("DONE: native\n");
    return g_failures;
}

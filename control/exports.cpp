// The library's four entry points: each hands the one description of the
// library to the component layer's in-process server support.
#include <array>

#include "com/server.h"
#include "sievan.h"

#define CORVELL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::array<com::ClassEntry, 1> kClasses = {{{
    &CLSID_Sievan,
    "Sievan",
    CORVELL_PROGID_SIEVAN,
    "Apartment",
    /*isControl=*/true,
    SIEVAN_MISC_STATUS,
    SIEVAN_TOOLBOX_BITMAP,
    &corvell::Sievan::Create,
}}};

constexpr std::array<com::InterfaceEntry, 2> kInterfaces = {{
    {&IID__Sievan, "_Sievan"},
    {&DIID___Sievan, "__Sievan"},
}};

const com::ServerDescription kCorvell = {
    {&LIBID_Corvell, "Corvell", "Corvell", 1, 0, 0x409, /*isControlLibrary=*/true},
    kClasses,
    kInterfaces,
};

}  // namespace

CORVELL_EXPORT HRESULT DllRegisterServer() {
    return com::RegisterServer(kCorvell);
}

CORVELL_EXPORT HRESULT DllUnregisterServer() {
    return com::UnregisterServer(kCorvell);
}

CORVELL_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return com::GetClassObject(kCorvell, clsid, riid, object);
}

CORVELL_EXPORT HRESULT DllCanUnloadNow() {
    return com::CanUnloadNow();
}

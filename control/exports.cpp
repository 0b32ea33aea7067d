// The library's four entry points: each hands the one description of the
// library to the component layer's in-process server support, behind the
// barrier that keeps exceptions inside the library.
#include <array>

#include "com/guard.h"
#include "com/server.h"
#include "sievan.h"

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

// Only these four leave the library (through the version script on Linux,
// the module definition on Windows); STDAPI gives them the platform's
// calling convention.
#pragma GCC visibility push(default)

STDAPI DllRegisterServer() {
    return com::Guarded([] { return com::RegisterServer(kCorvell); });
}

STDAPI DllUnregisterServer() {
    return com::Guarded([] { return com::UnregisterServer(kCorvell); });
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return com::Guarded([&] { return com::GetClassObject(kCorvell, clsid, riid, object); });
}

STDAPI DllCanUnloadNow() {
    return com::Guarded([] { return com::CanUnloadNow(); });
}

#pragma GCC visibility pop

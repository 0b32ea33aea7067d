// In-process server support: one description of a library (its type
// library, classes and interfaces) drives registration, unregistration and
// class-object lookup, so a library's four exports stay thin.
#pragma once

#include <span>

#include "com/unknwn.h"

namespace com {

struct InterfaceEntry {
    const IID* iid;
    const char* name;
};

struct ClassEntry {
    const CLSID* clsid;
    const char* className;
    const char* progId;
    const char* threadingModel;  // "Apartment"
    bool isControl;
    DWORD miscStatus;
    int toolboxBitmap;  // resource number of the toolbox picture; 0 for none
    // Creates a new instance and queries `riid` on it.
    HRESULT (*createInstance)(REFIID riid, void** object);
};

struct TypeLibEntry {
    const GUID* libid;
    const char* name;
    const char* helpString;
    WORD majorVersion;
    WORD minorVersion;
    LCID lcid;
    bool isControlLibrary;
};

struct ServerDescription {
    TypeLibEntry typeLib;
    std::span<const ClassEntry> classes;
    std::span<const InterfaceEntry> interfaces;
};

// Records the type library, classes, ProgIDs and interfaces in the per-user
// registry, with the path of the library that holds `server` (which must be
// static data of that library).
HRESULT RegisterServer(const ServerDescription& server);
// Removes exactly what RegisterServer records; S_OK also when none was there.
HRESULT UnregisterServer(const ServerDescription& server);
// The class factory of one of the described classes; CLASS_E_CLASSNOTAVAILABLE
// for any other class. The factory refuses aggregation.
HRESULT GetClassObject(const ServerDescription& server, REFCLSID clsid, REFIID riid, void** object);
// S_OK when no object of the module is alive and no factory lock is held.
HRESULT CanUnloadNow();
// The type description of `guid` from the calling module's own type library,
// where the platform describes types (on Windows: the library embedded in the
// module's resources); E_NOTIMPL where it does not (this layer on Linux).
HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** info);

}  // namespace com

// Identifiers as text, and activation: finding a class's library and creating
// instances of it.
#pragma once

#ifdef _WIN32
#include "com/win32.h"
#else

#include "com/unknwn.h"

#define CLSCTX_INPROC_SERVER 0x1

extern "C" {
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; returns the characters written
// including the terminator, or 0 when the buffer holds fewer than 39.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity);
// Accepts the braced form above (any case); CO_E_CLASSSTRING otherwise.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
// Looks the ProgID up in the per-user registry; REGDB_E_CLASSNOTREG when absent.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// Finds the class's in-process server: the library registered for it, or,
// when the class is not registered, the library the program named for it
// beside the running program (com/local_servers.h); no other library is
// loaded. Loads the library and asks its DllGetClassObject.
// REGDB_E_CLASSNOTREG: no library serves the class; CO_E_DLLNOTFOUND: the
// library cannot be loaded, or the registry records it by a relative path;
// CO_E_ERRORINDLL: it is no server.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);
// Unloads the libraries whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();
}

#endif  // _WIN32

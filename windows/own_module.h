// The module (DLL) this code is linked into, and its embedded type library.
#pragma once

#include <string>

// windows.h comes first.
#include <windows.h>

#include <oleauto.h>

HMODULE OwnModule();
// Full path of the module; empty when it cannot be told.
std::wstring OwnModulePath();
// The type library in the module's resources (resource 1), not registered.
HRESULT LoadOwnTypeLib(ITypeLib** typeLib);

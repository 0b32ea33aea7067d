// What the Windows control support needs to know of each control class that
// its type library and registration do not say. The library that holds the
// classes defines FindOleControlFacts.
#pragma once

#include <windows.h>

struct OleControlFacts {
    DWORD miscStatus;  // the registered OLEMISC flags
    int iconBitmap;    // bitmap resource drawn at design time
};

// The facts of the class `clsid`, or null for a class the library does not hold.
const OleControlFacts* FindOleControlFacts(REFCLSID clsid);

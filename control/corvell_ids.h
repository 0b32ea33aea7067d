// Identity of the Corvell control library: the fixed identifiers that the
// library and its hosts share. They never change between builds; the four
// GUIDs are consecutive values of one series.
#pragma once

#include "platform.h"

// Type library "Corvell" 1.0.
DEFINE_COM_IID(LIBID_Corvell, 0x4E1C7A30, 0x9D52, 0x4B8E, 0xA6, 0x1F, 0x3C, 0x72, 0x58, 0x0D, 0xE4,
               0x19);
// Control class Sievan, ProgID "Corvell.Sievan".
DEFINE_COM_IID(CLSID_Sievan, 0x4E1C7A31, 0x9D52, 0x4B8E, 0xA6, 0x1F, 0x3C, 0x72, 0x58, 0x0D, 0xE4,
               0x19);
// Default (dual) interface _Sievan.
DEFINE_COM_IID(IID__Sievan, 0x4E1C7A32, 0x9D52, 0x4B8E, 0xA6, 0x1F, 0x3C, 0x72, 0x58, 0x0D, 0xE4,
               0x19);
// Default source interface __Sievan (no members: the control raises no events).
DEFINE_COM_IID(DIID___Sievan, 0x4E1C7A33, 0x9D52, 0x4B8E, 0xA6, 0x1F, 0x3C, 0x72, 0x58, 0x0D, 0xE4,
               0x19);

#define CORVELL_PROGID_SIEVAN "Corvell.Sievan"
#define CORVELL_LIBRARY_FILE "libCorvell.so"

// Member identifiers of _Sievan; late-binding clients call by these.
enum SievanDispId : DISPID {
    DISPID_SIEVAN_DONE = 0x68030000,
    DISPID_SIEVAN_FILTERED = 0x68030001,
    DISPID_SIEVAN_COUNT = 0x68030002,
    DISPID_SIEVAN_DUPLICATES = 0x68030003,
    DISPID_SIEVAN_ADDRESS = 0x68030004,
    DISPID_SIEVAN_FILTER = 0x68030005,
    DISPID_SIEVAN_CLEAN = 0x60030007,
    DISPID_SIEVAN_EXTRACT = 0x60030008,
};

// Registration attributes: invisible at run time, recompose on resize, can't
// link inside, inside-out, activate when visible, set client site first.
#define SIEVAN_MISC_STATUS 0x20591
#define SIEVAN_TOOLBOX_BITMAP 30000
// The icon the control shows at design time (24 x 22, 16 colours).
#define SIEVAN_ICON_BITMAP 30001

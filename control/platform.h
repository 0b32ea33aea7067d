// The component platform the control is built against: the Windows SDK on
// Windows, the component layer elsewhere.
#pragma once

#ifdef _WIN32
#include <ocidl.h>
#include <oleauto.h>
#include <windows.h>
#define DEFINE_COM_IID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr IID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#else
#include "com/objbase.h"
#include "com/ocidl.h"
#endif

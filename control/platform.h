// The component platform the control is built against: the Windows SDK on
// Windows, the component layer elsewhere.
#pragma once

#ifdef _WIN32
#include "com/win32.h"
// The Windows build's container support for controls (windows/).
#include "control_extent.h"
#else
#include "com/objbase.h"
#include "com/ocidl.h"
#endif

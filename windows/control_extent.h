// IControlExtent on Windows: the control's extent is the platform's own
// IOleObject (SetExtent, GetExtent in HIMETRIC), and a control that answers it
// answers, through OleControl, every interface a form container asks for.
// Controls reach this header through control/platform.h; the Windows build
// puts this folder on their include path.
#pragma once

#include "com/object.h"
#include "ole_control.h"

using IControlExtent = OleControl;
inline const IID& IID_IControlExtent = IID_IOleObject;

template <>
struct com::InterfaceTraits<OleControl> {
    static void* find(OleControl* self, REFIID riid) { return self->findInterface(riid); }
};

// How the window obtains the controls it hosts: by class identifier, through
// the component layer in the program, through fakes in tests.
#pragma once

#include <QString>

#include "com/ptr.h"
#include "com/unknwn.h"

namespace rosterly {

// What a saved form holds for one hosted control: its class and its extent
// in HIMETRIC (hundredths of a millimetre), and none of its own settings.
struct SavedControl {
    CLSID clsid;
    LONG extentX;
    LONG extentY;
};

// A created control, or why there is none.
struct HostedControl {
    com::Ptr<IDispatch> control;  // set exactly when status succeeded
    HRESULT status = E_FAIL;
    QString failure;  // for the user, in the system's words; empty on success
};

class ControlFactory {
public:
    virtual ~ControlFactory() = default;
    // Creates an instance of saved.clsid and has it load the saved state and
    // take the saved extent. Never throws; failures come back as values.
    virtual HostedControl create(const SavedControl& saved) = 0;
};

}  // namespace rosterly

// ControlFactory over the component layer: creates controls by class
// identifier from the library registered for them, or the one beside the
// program.
#pragma once

#include "control_factory.h"

namespace rosterly {

class CorvellControlFactory final : public ControlFactory {
public:
    // Loads the saved state through IPersistPropertyBag (a bag holding only
    // "_ExtentX" and "_ExtentY") and sets the extent through IControlExtent.
    HostedControl create(const SavedControl& saved) override;
};

}  // namespace rosterly

// The harvesting control as the program hosts it.
#pragma once

#include "control_factory.h"

namespace rosterly {

// What the window's form saves for its Sievan control, and what every front end creates it
// from: the control's class at its saved extent, and none of its own settings.
SavedControl hostedSievan();

}  // namespace rosterly

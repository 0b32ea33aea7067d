// The words a user sees when a hosted control cannot be created.
#pragma once

#include <QString>

#include "com/base.h"

namespace rosterly {

// What `status` means, e.g. "the control class is not registered and no
// control library lies beside the program (0x80040154)".
QString describeStatus(HRESULT status);

// "The Corvell control library could not be loaded (<describeStatus>)."
QString libraryLoadFailure(HRESULT status);

// "The Sievan control could not <step> (<describeStatus>)."
QString controlSetupFailure(const QString& step, HRESULT status);

}  // namespace rosterly

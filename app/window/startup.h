// Starting the program: whether a display is there to open the window on,
// and opening Form1 or telling the user why it cannot be opened.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <memory>

#include "form1.h"

namespace rosterly {

// Why no window can be shown in this environment: no DISPLAY, no
// WAYLAND_DISPLAY and no QT_QPA_PLATFORM naming a platform to use instead.
// Empty when a window can be tried.
QString missingDisplayReason(const QProcessEnvironment& environment);

// Form1, or nullptr after a critical message box has told the user why the
// window could not be created.
std::unique_ptr<Form1> openForm1(const Form1Services& services);

}  // namespace rosterly

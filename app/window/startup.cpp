#include "startup.h"

namespace rosterly {

QString missingDisplayReason(const QProcessEnvironment& environment) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!environment.value(QLatin1String(name)).isEmpty()) return {};
    return QStringLiteral(
        "Rosterly needs a graphical display, and none is available here: neither DISPLAY "
        "nor WAYLAND_DISPLAY is set. Start it from a desktop session, over ssh -X, or under "
        "xvfb-run.");
}

std::unique_ptr<Form1> openForm1(const Form1Services& services) {
    Form1::Creation creation = Form1::create(services);
    if (!creation.form) services.messageBoxes.show(creation.failure, MessageIcon::Critical);
    return std::move(creation.form);
}

}  // namespace rosterly

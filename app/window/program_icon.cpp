#include "program_icon.h"

// Resources compiled into a static library register only when asked to.
static void registerWindowResources() {
    Q_INIT_RESOURCE(rosterly);
}

namespace rosterly {

QIcon programIcon() {
    static const bool registered = (registerWindowResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    icon.addFile(QStringLiteral(":/rosterly/rosterly-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/rosterly/rosterly-16.png"), QSize(16, 16));
    return icon;
}

}  // namespace rosterly

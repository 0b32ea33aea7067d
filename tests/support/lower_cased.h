// A line lower-cased as the run hands it to the control, as one text.
#pragma once

#include <QByteArrayView>
#include <QString>

#include "line_text.h"

namespace rosterly {

inline QString lowerCased(QByteArrayView bytes) {
    QString units;
    appendLowerCasedLine(bytes, units);
    return units;
}

}  // namespace rosterly

// A line lower-cased as the run hands it to the control, as one text.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>

#include "line_text.h"

namespace rosterly {

inline QString lowerCased(QByteArrayView bytes) {
    std::u16string units;
    appendLowerCasedLine(bytes, units);
    return QString::fromStdU16String(units);
}

}  // namespace rosterly

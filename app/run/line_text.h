// An input line as the run hands it to the harvesting control.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>

namespace rosterly {

// Decodes `bytes` as decodeBytes() does (UTF-8 where valid, Windows-1252 byte by byte where
// not) and converts every letter to its lower-case form, Unicode-aware, into `out`. Reuses
// out's storage, so a caller that keeps `out` unshared allocates only for growing lines.
void lowerCasedLine(QByteArrayView bytes, QString& out);
// The same, appended to `out`.
void appendLowerCasedLine(QByteArrayView bytes, std::u16string& out);

}  // namespace rosterly

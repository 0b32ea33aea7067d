// An input line as the run hands it to the harvesting control.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace rosterly {

// Decodes `bytes` as decodeBytes() does (UTF-8 where valid, Windows-1252 byte by byte where
// not), converts every letter to its lower-case form, Unicode-aware, and appends the result to
// `out`, whose earlier units stay as they are.
void appendLowerCasedLine(QByteArrayView bytes, QString& out);

}  // namespace rosterly

// Conversion between the program's wide text and the 8-bit text of files.
// Files are written as UTF-8. Files are read as UTF-8 where their bytes form
// valid UTF-8 and as Windows-1252 byte by byte where they do not, so lists
// written by older programs in the Windows code page still load, and no byte
// of a file is ever dropped or replaced.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace rosterly {

// Every byte contributes to the result: a valid UTF-8 sequence becomes its
// character, any other byte the character Windows-1252 gives it (the five
// bytes 1252 leaves undefined become U+0081, U+008D, U+008F, U+0090, U+009D).
QString decodeBytes(QByteArrayView bytes);

// UTF-8. decodeBytes(encodeText(t)) == t for every text without unpaired
// surrogates.
QByteArray encodeText(QStringView text);

}  // namespace rosterly

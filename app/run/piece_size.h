// The size of the split pieces, read from the piece-size field.
#pragma once

#include <QStringView>
#include <QtGlobal>

namespace rosterly {

// The number a text begins with: blanks, tabs and line feeds are skipped wherever they stand
// (" 1 2" reads as 12); then an optional sign, digits with at most one decimal point, and an
// optional exponent ("1e3", "2.5E-1"), read up to the first character that cannot continue
// the number. A text that does not begin with a number reads as 0, and so does a sign or a
// point without digits. Radix prefixes such as "&H" are not numbers here ("&H10" reads as 0).
// A number too large for a double reads as infinity.
double leadingNumber(QStringView text);

// Addresses per piece for the piece-size text: the number rounded up to a whole number, and at
// least 1. "1000" gives 1000, "2.5" gives 3, and "0", "-3", "1", "" and "abc" give 1. Sizes
// beyond the range of qint64 are capped there.
qint64 pieceSize(QStringView text);

}  // namespace rosterly

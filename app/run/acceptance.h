// Which cleaned addresses the run keeps.
#pragma once

#include <QStringView>

namespace rosterly {

// True when `address` ranks above "@" by character code, a proper prefix ranking below the
// longer text: it begins with a character above '@', or it is '@' followed by something. Drops
// the empty text, "@" alone, and every text beginning with a digit, a blank or punctuation
// below '@'. Upper-case letters rank above '@' too; the run has lower-cased the text already.
bool isAcceptable(QStringView address);

}  // namespace rosterly

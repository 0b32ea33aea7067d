// Counter strings: counters held and exchanged as decimal text.
#pragma once

#include <string>
#include <string_view>

#include "platform.h"

namespace corvell {

// Reads `counter` as a number (plain decimal digits, and the other numeric
// forms the platform's text-to-number conversion accepts, surrounding blanks
// included), adds 1 and writes the shortest decimal text of the sum to *next.
// CTL_E_TYPEMISMATCH when the text is not a number (the empty text
// included); CTL_E_OVERFLOW when the number or the sum is out of range.
HRESULT stepCounter(std::u16string_view counter, std::u16string* next);

}  // namespace corvell

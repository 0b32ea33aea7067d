// Text helpers of the layer: UTF-8 <-> UTF-16 and GUIDs as registry text.
#pragma once

#include <string>
#include <string_view>

#include "com/base.h"

namespace com {

// Unpaired surrogates become U+FFFD; invalid UTF-8 sequences likewise.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string GuidText(REFGUID guid);
// The braced form, any case; false for anything else.
bool ParseGuid(std::string_view text, GUID* guid);

}  // namespace com

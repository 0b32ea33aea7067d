// The single characters the cleaning of a line cuts at, on each side of its "@". The pair ".."
// is a delimiter on both sides as well and is handled on its own; a single "." never is. The
// program's line reading knows them too, to tell where an address can lie before it hands a
// line over.
#pragma once

#include <string_view>

namespace corvell {

// ";" counts on the left only.
inline constexpr std::string_view kLeftDelimiters = ", :\"<>`/;\\+=|()&^%~$";
// "!" counts on the right only.
inline constexpr std::string_view kRightDelimiters = ", :\"<>`\\/+=|()&^%!$~";

}  // namespace corvell

// Counter strings: counters held and exchanged as decimal text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform.h"

namespace corvell {

// Reads `counter` as a number (plain decimal digits, and the other numeric
// forms the platform's text-to-number conversion accepts, surrounding blanks
// included), adds 1 and writes the sum over it as plain decimal text: rounded
// to 15 significant digits, without exponent and without a fraction when it
// has none ("99999", "+99999" and "099999" all step to "100000").
// CTL_E_TYPEMISMATCH when the text is not a number (the empty text
// included); CTL_E_OVERFLOW when the number or the sum is out of range; the
// counter is then unchanged.
HRESULT stepCounter(std::u16string& counter);

// Steps that are counted first and written later. A counter of plain decimal digits (no sign,
// blank or leading zero) up to kLargestDeferredCount has a plainCount(); stepping it k times
// writes plainCountText(plainCount + k), for any k up to kLargestDeferredCount as well.
inline constexpr std::uint64_t kLargestDeferredCount = 99'999'999'999'999;
std::optional<std::uint64_t> plainCount(std::u16string_view counter);
std::u16string plainCountText(std::uint64_t count);

}  // namespace corvell

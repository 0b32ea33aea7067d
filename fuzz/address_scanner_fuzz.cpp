// Feeds arbitrary lines to the address scanner, read once as UTF-16 units and once as bytes
// widened to units, and checks the result against the literal passes for short lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "address_scanner.h"
#include "address_scanner_reference.h"

namespace {

// The literal passes are quadratic or worse; keep them to lines they finish quickly.
constexpr std::size_t referenceLimit = 64;

void check(const std::u16string& text) {
    std::u16string_view result = corvell::cleanAddress(text);
    if (!result.empty() && (result.data() < text.data() ||
                            result.data() + result.size() > text.data() + text.size())) {
        std::abort();
    }
    if (text.size() <= referenceLimit &&
        std::u16string(result) != corvell::reference::cleanAddress(text)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    check(units);

    std::u16string widened(data, data + size);
    check(widened);
    return 0;
}

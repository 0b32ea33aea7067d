// Drives a SeenText with arbitrary appends, resets and lookups over a small alphabet (so pieces
// crowd its cells and needles often occur), and checks every answer against a plain search of
// the joined text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "seen_text.h"

namespace {

// Units chosen so that '@'s, look-alike contexts, a Latin-1 unit and a wider one all come up.
constexpr char16_t kUnits[] = {u'a', u'b', u'c',      u'.',      u'@',
                               u'@', u'x', u'\u00e9', u'\u0101', u'0'};

std::u16string takeText(const std::uint8_t*& data, const std::uint8_t* end) {
    std::u16string text;
    if (data == end) return text;
    const std::size_t length = *data++ % 48;
    for (std::size_t i = 0; i < length && data != end; ++i) {
        text += kUnits[*data++ % (sizeof kUnits / sizeof kUnits[0])];
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* end = data + size;
    corvell::SeenText seen;
    std::u16string plain;
    while (data != end) {
        const std::uint8_t op = *data++;
        std::u16string text = takeText(data, end);
        switch (op % 8) {
            case 0:
                seen.reset(text);
                plain = text;
                break;
            case 1:
            case 2:
            case 3:
                // Repeated pieces give many '@'s with equal contexts, so cells crowd.
                for (int copies = 0; copies <= op >> 3; ++copies) {
                    seen.append(text);
                    plain += text;
                }
                break;
            default: {
                // Half the needles are cut out of the text, so many of them occur.
                if (op % 2 == 0 && !plain.empty() && !text.empty()) {
                    text = plain.substr(text[0] % plain.size(), text.size());
                }
                const bool expected = plain.find(text) != std::u16string::npos;
                if (seen.contains(text) != expected || seen.size() != plain.size()) std::abort();
            }
        }
    }
    return 0;
}

#include "folded_key.h"

#include <QString>

#include <algorithm>

#include "accepted_addresses.h"
#include "platform/case_fold.h"

namespace rosterly {
namespace {

void appendCodeUnit(char16_t unit, std::string& out) {
    if (unit < 0x80) {
        out += char(unit);
    } else if (unit < 0x800) {
        out += char(0xC0 | (unit >> 6));
        out += char(0x80 | (unit & 0x3F));
    } else {
        out += char(0xE0 | (unit >> 12));
        out += char(0x80 | ((unit >> 6) & 0x3F));
        out += char(0x80 | (unit & 0x3F));
    }
}

}  // namespace

void appendFoldedKey(QByteArrayView text, std::string& out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    if (std::all_of(bytes, bytes + text.size(), [](unsigned char b) { return b < 0x80; })) {
        const size_t from = out.size();
        out.append(text.data(), size_t(text.size()));
        for (size_t i = from; i < out.size(); ++i) {
            if (out[i] >= 'A' && out[i] <= 'Z') out[i] = char(out[i] + ('a' - 'A'));
        }
        return;
    }
    const QString folded = caseFolded(decodeStored(text));
    for (const QChar c : folded) appendCodeUnit(c.unicode(), out);
}

}  // namespace rosterly

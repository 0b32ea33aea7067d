#include "piece_size.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace rosterly {
namespace {

bool isSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text without skipped characters, cut at the first character beyond ASCII, which can
// never continue a number.
std::string compacted(QStringView text) {
    std::string out;
    for (QChar c : text) {
        if (isSkipped(c)) {
            continue;
        }
        if (c.unicode() >= 0x80) {
            break;
        }
        out.push_back(char(c.unicode()));
    }
    return out;
}

size_t digitsAt(const std::string& s, size_t at) {
    size_t end = at;
    while (end < s.size() && isDigit(s[end])) {
        ++end;
    }
    return end - at;
}

// Where the parts of the number at the start of a text stand.
struct NumberText {
    size_t length = 0;  // 0: the text does not begin with a number
    std::string_view whole, fraction;
    long long exponent = 0;  // saturated far beyond any double's range
};

NumberText scanNumber(const std::string& s) {
    NumberText n;
    size_t at = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    n.whole = std::string_view(s).substr(at, digitsAt(s, at));
    at += n.whole.size();
    if (at < s.size() && s[at] == '.') {
        n.fraction = std::string_view(s).substr(at + 1, digitsAt(s, at + 1));
        at += 1 + n.fraction.size();
    }
    if (n.whole.empty() && n.fraction.empty()) {
        return n;
    }
    if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
        size_t digits = at + 1;
        const bool negative = digits < s.size() && s[digits] == '-';
        digits += (digits < s.size() && (s[digits] == '+' || s[digits] == '-')) ? 1 : 0;
        if (const size_t count = digitsAt(s, digits)) {
            for (size_t i = digits; i < digits + count; ++i) {
                n.exponent = std::min(n.exponent * 10 + (s[i] - '0'), 1'000'000'000LL);
            }
            n.exponent = negative ? -n.exponent : n.exponent;
            at = digits + count;
        }
    }
    n.length = at;
    return n;
}

// True when a number out of a double's range is too large rather than too small: its first
// significant digit stands at a positive power of ten.
bool isTooLarge(const NumberText& n) {
    const size_t firstWhole = n.whole.find_first_not_of('0');
    if (firstWhole != std::string_view::npos) {
        return n.exponent + (long long)(n.whole.size() - firstWhole) > 0;
    }
    const size_t firstFraction = n.fraction.find_first_not_of('0');
    return n.exponent - (long long)firstFraction - 1 > 0;
}

}  // namespace

double leadingNumber(QStringView text) {
    const std::string s = compacted(text);
    const NumberText n = scanNumber(s);
    if (n.length == 0) {
        return 0.0;
    }
    // from_chars reads alike in every locale but takes no leading '+'.
    const size_t start = s[0] == '+' ? 1 : 0;
    double value = 0.0;
    const auto result = std::from_chars(s.data() + start, s.data() + n.length, value);
    if (result.ec == std::errc::result_out_of_range) {
        value = isTooLarge(n) ? std::numeric_limits<double>::infinity() : 0.0;
        return s[0] == '-' ? -value : value;
    }
    return value;
}

qint64 pieceSize(QStringView text) {
    const double size = std::ceil(leadingNumber(text));
    // 2^63 is the first double past qint64's range.
    if (size >= 9223372036854775808.0) {
        return std::numeric_limits<qint64>::max();
    }
    return size < 1.0 ? 1 : qint64(size);
}

}  // namespace rosterly

#include "counter_string.h"

#include <charconv>
#include <cmath>
#include <string>

#include "com/variant_value.h"

namespace corvell {

namespace {

// Significant digits a counter keeps, as the platform's number-to-text conversion does.
constexpr int kSignificantDigits = 15;

// Plain decimal digits below 10^15 - 1 step by carrying through the text, in
// place: the same result as the conversion through double, without its cost
// on every harvested line.
bool stepPlainDigits(std::u16string& counter) {
    if (counter.empty() || counter.size() > 15) return false;
    if (counter.size() > 1 && counter[0] == u'0') return false;
    bool allNines = true;
    for (char16_t c : counter) {
        if (c < u'0' || c > u'9') return false;
        allNines = allNines && c == u'9';
    }
    if (allNines && counter.size() == 15) return false;
    // The one step that needs room takes it first, so running out of memory changes nothing.
    if (allNines) counter.reserve(counter.size() + 1);
    std::size_t i = counter.size();
    while (i > 0 && counter[i - 1] == u'9') counter[--i] = u'0';
    if (i == 0)
        counter.insert(counter.begin(), u'1');
    else
        ++counter[i - 1];
    return true;
}

// `value` rounded to kSignificantDigits and written as plain decimal text: an optional '-',
// digits, and a fraction only when there is one. Never an exponent, so a counter always reads
// as a count ("100000", not "1E+05").
std::u16string plainDecimal(double value) {
    if (value == 0) return u"0";
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::scientific, kSignificantDigits - 1);
    std::string_view text(buffer, std::size_t(written.ptr - buffer));  // [-]d.ddde[+-]xx
    const bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    const std::size_t e = text.find('e');
    std::string_view exponentText = text.substr(e + 1);
    if (exponentText.front() == '+') exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    std::string digits(1, text.front());
    if (e > 2) digits.append(text.substr(2, e - 2));
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    // The digits read as d.ddd x 10^exponent: `whole` of them stand before the point.
    const long whole = long(exponent) + 1;
    const long count = long(digits.size());
    std::string out = negative ? "-" : "";
    if (whole <= 0) {
        out += "0." + std::string(std::size_t(-whole), '0') + digits;
    } else if (whole >= count) {
        out += digits + std::string(std::size_t(whole - count), '0');
    } else {
        out += digits.substr(0, std::size_t(whole)) + "." + digits.substr(std::size_t(whole));
    }
    return std::u16string(out.begin(), out.end());
}

}  // namespace

std::optional<std::uint64_t> plainCount(std::u16string_view counter) {
    if (counter.empty() || counter.size() > 15) return std::nullopt;  // no overflow below
    if (counter.size() > 1 && counter[0] == u'0') return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t c : counter) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = 10 * value + (c - u'0');
    }
    if (value > kLargestDeferredCount) return std::nullopt;
    return value;
}

std::u16string plainCountText(std::uint64_t count) {
    const std::string digits = std::to_string(count);
    return std::u16string(digits.begin(), digits.end());
}

HRESULT stepCounter(std::u16string& counter) {
    if (stepPlainDigits(counter)) return S_OK;
    com::Variant value(counter);
    HRESULT hr = VariantChangeType(&value, &value, 0, VT_R8);
    if (hr == DISP_E_OVERFLOW) return CTL_E_OVERFLOW;
    if (FAILED(hr)) return CTL_E_TYPEMISMATCH;
    const double sum = value.dblVal + 1;
    if (!std::isfinite(sum)) return CTL_E_OVERFLOW;
    counter = plainDecimal(sum);
    return S_OK;
}

}  // namespace corvell

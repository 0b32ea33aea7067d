#include "counter_string.h"

#include <cmath>

#include "com/variant_value.h"

namespace corvell {

namespace {

// Plain decimal digits below 10^15 - 1 step by carrying through the text:
// the same result as the conversion through double (whose shortest form of
// such a sum is plain digits too), without its cost on every harvested line.
bool stepPlainDigits(std::u16string_view counter, std::u16string* next) {
    if (counter.empty() || counter.size() > 15) return false;
    if (counter.size() > 1 && counter[0] == u'0') return false;
    bool allNines = true;
    for (char16_t c : counter) {
        if (c < u'0' || c > u'9') return false;
        allNines = allNines && c == u'9';
    }
    if (allNines && counter.size() == 15) return false;
    next->assign(counter);
    std::size_t i = next->size();
    while (i > 0 && (*next)[i - 1] == u'9') (*next)[--i] = u'0';
    if (i == 0)
        next->insert(next->begin(), u'1');
    else
        ++(*next)[i - 1];
    return true;
}

}  // namespace

HRESULT stepCounter(std::u16string_view counter, std::u16string* next) {
    if (stepPlainDigits(counter, next)) return S_OK;
    com::Variant value(counter);
    HRESULT hr = VariantChangeType(&value, &value, 0, VT_R8);
    if (hr == DISP_E_OVERFLOW) return CTL_E_OVERFLOW;
    if (FAILED(hr)) return CTL_E_TYPEMISMATCH;
    value.dblVal += 1;
    if (!std::isfinite(value.dblVal)) return CTL_E_OVERFLOW;
    if (FAILED(VariantChangeType(&value, &value, 0, VT_BSTR))) return CTL_E_OVERFLOW;
    next->assign(value.text());
    return S_OK;
}

}  // namespace corvell

#include "counter_string.h"

#include <cmath>

#include "com/variant_value.h"

namespace corvell {

HRESULT stepCounter(std::u16string_view counter, std::u16string* next) {
    com::Variant value(counter);
    HRESULT hr = VariantChangeType(&value, &value, 0, VT_R8);
    if (hr == DISP_E_OVERFLOW)
        return CTL_E_OVERFLOW;
    if (FAILED(hr))
        return CTL_E_TYPEMISMATCH;
    value.dblVal += 1;
    if (!std::isfinite(value.dblVal))
        return CTL_E_OVERFLOW;
    if (FAILED(VariantChangeType(&value, &value, 0, VT_BSTR)))
        return CTL_E_OVERFLOW;
    next->assign(value.text());
    return S_OK;
}

}  // namespace corvell

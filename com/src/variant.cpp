// VARIANT lifetime and the platform's standard conversions between the types
// the layer supports (empty, 16- and 32-bit integers, double, boolean, text).
#include <locale.h>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "com/unknwn.h"

namespace {

bool isBlank(OLECHAR c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsIgnoringAsciiCase(std::u16string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0x7F || std::tolower(static_cast<int>(text[i])) != word[i]) return false;
    }
    return true;
}

// "&H1F" and "&O17" radix forms.
bool parseRadix(std::u16string_view text, double* out) {
    if (text.size() < 3 || text[0] != u'&') return false;
    const OLECHAR kind = text[1];
    const int base = (kind == u'H' || kind == u'h') ? 16 : (kind == u'O' || kind == u'o') ? 8 : 0;
    if (base == 0) return false;
    std::string digits;
    for (OLECHAR c : text.substr(2)) {
        if (c > 0x7F) return false;
        digits.push_back(static_cast<char>(c));
    }
    unsigned long long value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc{} || end != digits.data() + digits.size()) return false;
    *out = static_cast<double>(value);
    return true;
}

// Decimal number: sign, digits with an optional point, optional exponent
// (e or d, as the platform also reads "1D3").
HRESULT parseDecimal(std::u16string_view text, double* out) {
    std::string ascii;
    std::size_t i = 0;
    auto take = [&](auto predicate) {
        std::size_t count = 0;
        while (i < text.size() && text[i] <= 0x7F && predicate(static_cast<char>(text[i]))) {
            ascii.push_back(static_cast<char>(text[i++]));
            ++count;
        }
        return count;
    };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    take([](char c) { return c == '+' || c == '-'; });
    if (ascii.size() > 1) return DISP_E_TYPEMISMATCH;
    std::size_t digits = take(isDigit);
    if (i < text.size() && text[i] == u'.') {
        ascii.push_back('.');
        ++i;
        digits += take(isDigit);
    }
    if (digits == 0) return DISP_E_TYPEMISMATCH;
    if (i < text.size() &&
        (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        ascii.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ascii.push_back(static_cast<char>(text[i++]));
        if (take(isDigit) == 0) return DISP_E_TYPEMISMATCH;
    }
    if (i != text.size()) return DISP_E_TYPEMISMATCH;
    static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    const double value = strtod_l(ascii.c_str(), nullptr, cLocale);
    if (std::isinf(value)) return DISP_E_OVERFLOW;
    *out = value;
    return S_OK;
}

HRESULT parseNumber(std::u16string_view text, double* out) {
    text = trimmed(text);
    if (parseRadix(text, out)) return S_OK;
    return parseDecimal(text, out);
}

std::u16string_view textOf(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}

bool isNumeric(VARTYPE vt) {
    return vt == VT_EMPTY || vt == VT_I2 || vt == VT_I4 || vt == VT_R8 || vt == VT_BOOL ||
           vt == VT_UI1 || vt == VT_R4;
}

double numericValue(const VARIANT& v) {
    switch (v.vt) {
        case VT_I2:
            return v.iVal;
        case VT_I4:
            return v.lVal;
        case VT_R8:
            return v.dblVal;
        case VT_R4:
            return v.fltVal;
        case VT_UI1:
            return v.bVal;
        case VT_BOOL:
            return v.boolVal != 0 ? -1.0 : 0.0;
        default:
            return 0.0;
    }
}

HRESULT toDouble(const VARIANT& v, double* out) {
    if (isNumeric(v.vt)) {
        *out = numericValue(v);
        return S_OK;
    }
    if (v.vt == VT_BSTR) return parseNumber(textOf(v.bstrVal), out);
    return DISP_E_TYPEMISMATCH;
}

HRESULT toBoolean(const VARIANT& v, VARIANT_BOOL* out) {
    if (v.vt == VT_BSTR) {
        const std::u16string_view text = trimmed(textOf(v.bstrVal));
        if (equalsIgnoringAsciiCase(text, "true") || equalsIgnoringAsciiCase(text, "#true#")) {
            *out = VARIANT_TRUE;
            return S_OK;
        }
        if (equalsIgnoringAsciiCase(text, "false") || equalsIgnoringAsciiCase(text, "#false#")) {
            *out = VARIANT_FALSE;
            return S_OK;
        }
    }
    double number = 0;
    if (HRESULT hr = toDouble(v, &number); FAILED(hr)) return hr;
    *out = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// Integers round half to even, as the platform's conversions do.
template <class Int>
HRESULT toInteger(const VARIANT& v, Int* out) {
    double number = 0;
    if (HRESULT hr = toDouble(v, &number); FAILED(hr)) return hr;
    const double rounded = std::nearbyint(number);
    if (!(rounded >= std::numeric_limits<Int>::min() && rounded <= std::numeric_limits<Int>::max()))
        return DISP_E_OVERFLOW;
    *out = static_cast<Int>(rounded);
    return S_OK;
}

HRESULT toText(const VARIANT& v, BSTR* out) {
    switch (v.vt) {
        case VT_BSTR:
            *out = SysAllocStringLen(v.bstrVal, SysStringLen(v.bstrVal));
            break;
        case VT_EMPTY:
            *out = SysAllocString(u"");
            break;
        case VT_BOOL:
            *out = SysAllocString(v.boolVal != 0 ? u"True" : u"False");
            break;
        default:
            if (!isNumeric(v.vt)) return DISP_E_TYPEMISMATCH;
            return VarBstrFromR8(numericValue(v), 0, 0, out);
    }
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

// The value a by-reference argument points at, not owned (no copy is made).
HRESULT dereference(const VARIANT& src, VARIANT* out) {
    VariantInit(out);
    const VARTYPE base = src.vt & ~VT_BYREF;
    if (src.pvarVal == nullptr) return E_POINTER;
    out->vt = base;
    switch (base) {
        case VT_VARIANT:
            *out = *src.pvarVal;
            return S_OK;
        case VT_I2:
            out->iVal = *src.piVal;
            return S_OK;
        case VT_I4:
            out->lVal = *src.plVal;
            return S_OK;
        case VT_R8:
            out->dblVal = *src.pdblVal;
            return S_OK;
        case VT_BOOL:
            out->boolVal = *src.pboolVal;
            return S_OK;
        case VT_BSTR:
            out->bstrVal = *src.pbstrVal;
            return S_OK;
        default:
            return DISP_E_BADVARTYPE;
    }
}

}  // namespace

extern "C" {

void VariantInit(VARIANT* v) {
    v->vt = VT_EMPTY;
    v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
    v->brecVal = {nullptr, nullptr};
}

HRESULT VariantClear(VARIANT* v) {
    if (v == nullptr) return E_INVALIDARG;
    switch (v->vt) {
        case VT_BSTR:
            SysFreeString(v->bstrVal);
            break;
        case VT_UNKNOWN:
        case VT_DISPATCH:
            if (v->punkVal != nullptr) v->punkVal->Release();
            break;
        default:
            break;
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (dest == nullptr || src == nullptr) return E_INVALIDARG;
    if (dest == src) return S_OK;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (copy.bstrVal == nullptr && src->bstrVal != nullptr) return E_OUTOFMEMORY;
    } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal != nullptr) {
        src->punkVal->AddRef();
    }
    VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt) {
    if (dest == nullptr || src == nullptr) return E_INVALIDARG;
    if ((src->vt & VT_BYREF) != 0) {
        VARIANT byValue;
        if (HRESULT hr = dereference(*src, &byValue); FAILED(hr)) return hr;
        return VariantChangeType(dest, &byValue, flags, vt);
    }
    VARIANT result;
    VariantInit(&result);
    result.vt = vt;
    HRESULT hr = S_OK;
    switch (vt) {
        case VT_EMPTY:
            break;
        case VT_I2:
            hr = toInteger(*src, &result.iVal);
            break;
        case VT_I4:
            hr = toInteger(*src, &result.lVal);
            break;
        case VT_R8:
            hr = toDouble(*src, &result.dblVal);
            break;
        case VT_BOOL:
            hr = toBoolean(*src, &result.boolVal);
            break;
        case VT_BSTR:
            hr = toText(*src, &result.bstrVal);
            break;
        default:
            hr = DISP_E_BADVARTYPE;
            break;
    }
    if (FAILED(hr)) return hr;
    VariantClear(dest);  // after the conversion, since dest may be src
    *dest = result;
    return S_OK;
}

HRESULT VarR8FromStr(LPCOLESTR text, LCID, ULONG, double* out) {
    if (out == nullptr) return E_POINTER;
    return parseNumber(text ? std::u16string_view(text) : std::u16string_view(), out);
}

HRESULT VarBstrFromR8(double value, LCID, ULONG, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    if (!std::isfinite(value)) return DISP_E_OVERFLOW;
    if (value == 0) value = 0;  // no "-0"
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc{}) return DISP_E_OVERFLOW;
    std::u16string text;
    for (const char* p = buffer; p != end; ++p) text.push_back(*p == 'e' ? u'E' : char16_t(*p));
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // extern "C"

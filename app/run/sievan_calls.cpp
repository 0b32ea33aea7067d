#include "sievan_calls.h"

#include <cstring>

#include "corvell_ids.h"

namespace rosterly {

SievanCalls::SievanCalls(IDispatch* control) : m_control(control) {
    VariantInit(&m_argument);
    VariantInit(&m_result);
}

SievanCalls::~SievanCalls() {
    VariantClear(&m_argument);
    VariantClear(&m_result);
}

HRESULT SievanCalls::call(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result) {
    // No EXCEPINFO: the run needs only whether a call failed, and the control then returns its
    // error directly instead of allocating a description.
    return m_control->Invoke(member, GUID_NULL, 0, flags, params, result, nullptr, nullptr);
}

HRESULT SievanCalls::putAddress(QStringView text) {
    const auto length = static_cast<UINT>(text.size());
    const auto* chars = reinterpret_cast<const OLECHAR*>(text.utf16());
    // The argument is ours and the control keeps a copy of it, so a text of the same length
    // may overwrite it in place.
    if (m_argument.vt == VT_BSTR && m_argument.bstrVal &&
        SysStringLen(m_argument.bstrVal) == length) {
        std::memcpy(m_argument.bstrVal, chars, length * sizeof(OLECHAR));
    } else {
        VariantClear(&m_argument);
        m_argument.bstrVal = SysAllocStringLen(chars, length);
        if (!m_argument.bstrVal) return E_OUTOFMEMORY;
        m_argument.vt = VT_BSTR;
    }
    DISPPARAMS params{&m_argument, &m_putName, 1, 1};
    return call(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &params, nullptr);
}

HRESULT SievanCalls::extract() {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return call(DISPID_SIEVAN_EXTRACT, DISPATCH_METHOD, &none, nullptr);
}

HRESULT SievanCalls::getAddress(QStringView& text) {
    VariantClear(&m_result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT hr = call(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYGET, &none, &m_result);
    if (FAILED(hr)) return hr;
    if (m_result.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    text = QStringView(reinterpret_cast<const char16_t*>(m_result.bstrVal),
                       qsizetype(SysStringLen(m_result.bstrVal)));
    return S_OK;
}

}  // namespace rosterly

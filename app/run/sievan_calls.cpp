#include "sievan_calls.h"

#include <cstring>

#include "corvell_ids.h"

namespace rosterly {

SievanCalls::SievanCalls(IDispatch* control) : m_control(control) {
    VariantInit(&m_argument);
    VariantInit(&m_result);
}

SievanCalls::~SievanCalls() {
    for (BSTR text : m_texts) SysFreeString(text);
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
    BSTR argument = nullptr;
    if (length < kReusedLengths && m_texts[length]) {
        argument = m_texts[length];
        std::memcpy(argument, chars, length * sizeof(OLECHAR));
    } else {
        argument = SysAllocStringLen(chars, length);
        if (!argument) return E_OUTOFMEMORY;
        if (length < kReusedLengths) m_texts[length] = argument;
    }
    m_argument.vt = VT_BSTR;
    m_argument.bstrVal = argument;
    DISPPARAMS params{&m_argument, &m_putName, 1, 1};
    const HRESULT hr = call(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &params, nullptr);
    if (length >= kReusedLengths) SysFreeString(argument);
    m_argument.bstrVal = nullptr;
    return hr;
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

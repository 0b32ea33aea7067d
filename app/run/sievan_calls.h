// The run's calls on the hosted harvesting control, bound late by member identifier: put
// Address, call Extract, get Address.
#pragma once

#include <QStringView>

#include <array>

#include "com/oleauto.h"
#include "com/unknwn.h"

namespace rosterly {

// Keeps its argument and result structures between calls. The control copies what it is given,
// so the argument texts stay this object's: one is kept for every length up to
// kReusedLengths and overwritten by the next text of that length, and a typical line costs no
// allocation on this side. The result text belongs to this object and is freed at the next
// call or with the object.
class SievanCalls {
public:
    // `control` must outlive this object.
    explicit SievanCalls(IDispatch* control);
    ~SievanCalls();
    SievanCalls(const SievanCalls&) = delete;
    SievanCalls& operator=(const SievanCalls&) = delete;

    HRESULT putAddress(QStringView text);
    HRESULT extract();
    // On success `text` views the value of Address, valid until the next call on this object.
    HRESULT getAddress(QStringView& text);

    static constexpr UINT kReusedLengths = 256;

private:
    HRESULT call(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result);

    IDispatch* m_control;
    VARIANT m_argument;  // vt VT_BSTR; its text is one of m_texts or freed after the call
    std::array<BSTR, kReusedLengths> m_texts{};
    VARIANT m_result;
    DISPID m_putName = DISPID_PROPERTYPUT;
};

}  // namespace rosterly

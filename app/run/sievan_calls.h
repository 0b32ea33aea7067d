// The run's calls on the hosted harvesting control, bound late by member identifier: put
// Address, call Extract, get Address.
#pragma once

#include <QStringView>

#include "com/oleauto.h"
#include "com/unknwn.h"

namespace rosterly {

// Keeps its argument and result structures between calls, so a line costs no allocation on
// this side beyond the text it passes, and none when that text has the length of the last one.
// The control copies what it is given; the result text belongs to this object and is freed at
// the next call or with the object.
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

private:
    HRESULT call(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result);

    IDispatch* m_control;
    VARIANT m_argument;
    VARIANT m_result;
    DISPID m_putName = DISPID_PROPERTYPUT;
};

}  // namespace rosterly

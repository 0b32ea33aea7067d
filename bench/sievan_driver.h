// A Sievan control driven as the program drives it: put Address, call Extract, get Address,
// each through IDispatch::Invoke, on a newly placed control.
#pragma once

#include <string>
#include <string_view>

#include "com/ptr.h"
#include "com/variant_value.h"
#include "sievan.h"

class SievanDriver {
public:
    SievanDriver() {
        corvell::Sievan::Create(IID_IDispatch, m_control.out());
        m_control.as<IPersistPropertyBag>(IID_IPersistPropertyBag)->InitNew();
    }

    // The cleaned address the control gives back for `line`.
    std::u16string extract(std::u16string_view line) {
        com::Variant input{std::u16string(line)};
        com::Variant output;
        call(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &input, nullptr);
        call(DISPID_SIEVAN_EXTRACT, DISPATCH_METHOD, nullptr, nullptr);
        call(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYGET, nullptr, &output);
        return std::u16string(output.text());
    }

    // Duplicates as the control counts it: waits for the control's record to test every address
    // it was given.
    std::u16string duplicates() {
        com::Variant output;
        call(DISPID_SIEVAN_DUPLICATES, DISPATCH_PROPERTYGET, nullptr, &output);
        return std::u16string(output.text());
    }

private:
    void call(DISPID member, WORD flags, VARIANT* argument, VARIANT* result) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{argument, argument ? &named : nullptr, argument ? 1u : 0u,
                          argument ? 1u : 0u};
        m_control->Invoke(member, GUID_NULL, 0, flags, &params, result, nullptr, nullptr);
    }

    com::Ptr<IDispatch> m_control;
};

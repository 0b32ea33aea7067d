// Test helpers for the Sievan control: a recording change sink and a fixture
// that drives a fresh instance by member identifier, as a late-binding
// container does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/object.h"
#include "com/property_bag.h"
#include "com/ptr.h"
#include "com/variant_value.h"
#include "sievan.h"
#include "sievan_members.h"

namespace corvell::testing {

// Records the name of every property the control reports changed; can be
// told to refuse notifications.
class RecordingSink final : public com::Object<IPropertyNotifySink> {
public:
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID member) override {
        const SievanMember* entry = findMember(member);
        changes.push_back(entry ? std::u16string(entry->name) : u"?");
        return refuseWith;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

    std::vector<std::u16string> changes;
    HRESULT refuseWith = S_OK;
};

class SievanTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Sievan::Create(IID_IDispatch, control.out()), S_OK);
        auto points = control.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
        ASSERT_TRUE(points);
        ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink,
                                              reinterpret_cast<IConnectionPoint**>(point.out())),
                  S_OK);
        ASSERT_EQ(point->Advise(sink->identity(), &cookie), S_OK);
        ASSERT_EQ(persist()->InitNew(), S_OK);
    }
    void TearDown() override { sink->Release(); }

    com::Ptr<IPersistPropertyBag> persist() {
        return control.as<IPersistPropertyBag>(IID_IPersistPropertyBag);
    }

    HRESULT invoke(DISPID member, WORD flags, VARIANT* argument = nullptr,
                   com::Variant* result = nullptr, EXCEPINFO* exception = nullptr) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{argument, argument ? &named : nullptr, argument ? 1u : 0u,
                          argument ? 1u : 0u};
        EXCEPINFO local{};
        const HRESULT hr = control->Invoke(member, GUID_NULL, 0, flags, &params, result,
                                           exception ? exception : &local, nullptr);
        if (exception == nullptr) {
            SysFreeString(local.bstrSource);
            SysFreeString(local.bstrDescription);
        }
        return hr;
    }
    HRESULT put(DISPID member, std::u16string_view text) {
        com::Variant value(text);
        return invoke(member, DISPATCH_PROPERTYPUT, &value);
    }
    HRESULT putDone(VARIANT_BOOL flag) {
        com::Variant value = com::Variant::boolean(flag);
        return invoke(member_done(), DISPATCH_PROPERTYPUT, &value);
    }
    std::u16string get(DISPID member) {
        com::Variant result;
        EXPECT_EQ(invoke(member, DISPATCH_PROPERTYGET, nullptr, &result), S_OK);
        return std::u16string(result.text());
    }
    VARIANT_BOOL getDone() {
        com::Variant result;
        EXPECT_EQ(invoke(member_done(), DISPATCH_PROPERTYGET, nullptr, &result), S_OK);
        EXPECT_EQ(result.vt, VT_BOOL);
        return result.boolVal;
    }
    // Invokes a method; returns the member's own error (scode) or S_OK.
    HRESULT call(DISPID method) {
        EXCEPINFO exception{};
        HRESULT hr = invoke(method, DISPATCH_METHOD, nullptr, nullptr, &exception);
        if (hr == DISP_E_EXCEPTION)
            hr = exception.scode;
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        return hr;
    }
    std::u16string extract(std::u16string_view line) {
        EXPECT_EQ(put(DISPID_SIEVAN_ADDRESS, line), S_OK);
        EXPECT_EQ(call(DISPID_SIEVAN_EXTRACT), S_OK);
        return get(DISPID_SIEVAN_ADDRESS);
    }
    static DISPID member_done() { return DISPID_SIEVAN_DONE; }

    com::Ptr<IDispatch> control;
    com::Ptr<IConnectionPoint> point;  // the property-change point, with `sink` advised
    RecordingSink* sink = new RecordingSink();
    DWORD cookie = 0;
};

}  // namespace corvell::testing

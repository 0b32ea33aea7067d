// A harvesting control for tests of its callers: Address is a text property, and Extract keeps
// the blank-separated word holding "@" (or the empty text). Records every call, checks the
// calling conventions, and fails Extract on request after cleaning, as the real control fails
// after writing its cleaned text.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "com/oleauto.h"
#include "com/unknwn.h"
#include "corvell_ids.h"

namespace rosterly {

class FakeSievan final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (member == DISPID_SIEVAN_ADDRESS && flags == DISPATCH_PROPERTYPUT) {
            const bool conventional = params && params->cArgs == 1 && params->cNamedArgs == 1 &&
                                      params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT &&
                                      params->rgvarg[0].vt == VT_BSTR;
            if (!conventional) return DISP_E_PARAMNOTOPTIONAL;
            BSTR text = params->rgvarg[0].bstrVal;
            address =
                QString::fromUtf16(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
            calls << QStringLiteral("put ") + address;
            return S_OK;
        }
        if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (member == DISPID_SIEVAN_EXTRACT && flags == DISPATCH_METHOD) {
            calls << QStringLiteral("extract");
            if (onExtract) onExtract();
            address = cleaned(address);
            return address.contains(failOn) && !failOn.isEmpty() ? E_FAIL : S_OK;
        }
        if (member == DISPID_SIEVAN_ADDRESS && flags == DISPATCH_PROPERTYGET && result) {
            calls << QStringLiteral("get");
            VariantClear(result);
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(address.utf16()),
                                                UINT(address.size()));
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    static QString cleaned(const QString& line) {
        for (const QString& word : line.split(u' ', Qt::SkipEmptyParts))
            if (word.contains(u'@')) return word;
        return {};
    }

    QString address;
    QString failOn;  // Extract fails when the cleaned text holds this
    QStringList calls;
    std::function<void()> onExtract;  // called at every Extract, before its work
};

}  // namespace rosterly

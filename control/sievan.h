// Sievan: the address-harvesting control. Non-visual, fixed at 360 x 330
// twips, with five text properties, a reset flag, and the methods Clean and
// Extract. The container persists its six settings through a property bag,
// hears of every property change through the IPropertyNotifySink connection
// point, and sizes it through IControlExtent. No C++ exception leaves a
// member: std::bad_alloc comes back as E_OUTOFMEMORY, anything else as
// E_UNEXPECTED (through EXCEPINFO from Invoke), and the control stays usable.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "com/connection_point.h"
#include "com/object.h"
#include "record_keeper.h"
#include "sievan_interface.h"

COM_INTERFACE_TRAITS(_Sievan, &IID__Sievan, &IID_IDispatch);

namespace corvell {

class Sievan final
    : public com::Object<_Sievan, IPersistPropertyBag, IConnectionPointContainer, IControlExtent> {
public:
    // The class factory's creation function: a new instance, all fields empty
    // and the flag false, until the container initialises or loads it.
    static HRESULT Create(REFIID riid, void** object);

    // _Sievan
    HRESULT STDMETHODCALLTYPE Clean(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE Extract(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_Filter(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Filter(BSTR New_Filter) override;
    HRESULT STDMETHODCALLTYPE get_Address(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Address(BSTR New_Address) override;
    HRESULT STDMETHODCALLTYPE get_Duplicates(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Duplicates(BSTR New_Duplicates) override;
    HRESULT STDMETHODCALLTYPE get_Count(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Count(BSTR New_Count) override;
    HRESULT STDMETHODCALLTYPE get_Filtered(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Filtered(BSTR New_Filtered) override;
    HRESULT STDMETHODCALLTYPE get_Done(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Done(VARIANT_BOOL New_Done) override;

    // IDispatch: late binding by member identifier. Type information is the
    // library's own type library's where the platform keeps one (Windows);
    // elsewhere GetTypeInfoCount answers 0 and GetTypeInfo E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argErr) override;

    // IPersistPropertyBag: InitNew, Load and Save raise the container events
    // UserControl_InitProperties, _ReadProperties and _WriteProperties.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty,
                                   BOOL saveAllProperties) override;

    // IConnectionPointContainer: IPropertyNotifySink's point, and the point of
    // the event interface __Sievan, which takes sinks but fires nothing.
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IControlExtent: a size set raises UserControl_Resize.
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD drawAspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD drawAspect, SIZEL* size) override;

private:
    Sievan();

    // Container events.
    void UserControl_InitProperties();
    HRESULT UserControl_ReadProperties(IPropertyBag* PropBag);
    HRESULT UserControl_WriteProperties(IPropertyBag* PropBag);
    void UserControl_Resize();

    HRESULT getText(const std::u16string& field, BSTR* value) const;
    HRESULT putText(std::u16string& field, std::u16string_view value, DISPID member);
    HRESULT PropertyChanged(DISPID member) { return m_notifyPoint.FireChanged(member); }
    // The bodies of Clean and Extract, which guard them.
    HRESULT clean();
    HRESULT extract();
    HRESULT resetHarvest();
    // Duplicates brought up to date with the addresses the record keeper has tested.
    void settleDuplicates();
    HRESULT takeRecordFailure();
    // Steps the counter property `member` through its put.
    HRESULT stepCounterProperty(DISPID member);
    HRESULT invokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* excepInfo, UINT* argErr);
    HRESULT invokeProperty(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                           UINT* argErr);
    // The field of a text property (nullptr for another member); Duplicates is settled first.
    std::u16string* textField(DISPID member);

    // Sizes in twips, single precision as the control's own Width and Height.
    void setSize(float width, float height);

    VARIANT_BOOL m_done = VARIANT_FALSE;
    // The harvest's record of cleaned addresses. Duplicates lags behind the addresses it tests
    // until settleDuplicates(): every access to the counter (textField()) settles first.
    RecordKeeper m_record;
    std::uint64_t m_unwrittenDuplicates = 0;  // settled, not written to Duplicates yet
    std::exception_ptr m_recordFailure;       // a recording failed; the next Extract says so
    std::u16string m_filter;
    std::u16string m_address;
    std::u16string m_duplicates;
    std::u16string m_count;
    std::u16string m_filtered;
    float m_width = 0;
    float m_height = 0;
    com::PropertyNotifyPoint m_notifyPoint;
    com::ConnectionPoint m_eventPoint;
};

}  // namespace corvell

// Container services a hosted control uses: saved settings (property bag),
// property-change notification (connection point to IPropertyNotifySink) and
// the control's extent.
#pragma once

#ifdef _WIN32
#include "com/win32.h"
#else

#include "com/unknwn.h"

DEFINE_COM_IID(IID_IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
DEFINE_COM_IID(IID_IPropertyBag, 0x55272A00, 0x42CB, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B,
               0xB8, 0x51);
DEFINE_COM_IID(IID_IErrorLog, 0x3127CA40, 0x446E, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8,
               0x51);
DEFINE_COM_IID(IID_IPersistPropertyBag, 0x37D84F60, 0x42CB, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00,
               0x4B, 0xB8, 0x51);
DEFINE_COM_IID(IID_IPropertyNotifySink, 0x9BFBBC02, 0xEFF1, 0x101A, 0x84, 0xED, 0x00, 0xAA, 0x00,
               0x34, 0x1D, 0x07);
DEFINE_COM_IID(IID_IConnectionPointContainer, 0xB196B284, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA,
               0x00, 0x34, 0x1D, 0x07);
DEFINE_COM_IID(IID_IEnumConnectionPoints, 0xB196B285, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00,
               0x34, 0x1D, 0x07);
DEFINE_COM_IID(IID_IConnectionPoint, 0xB196B286, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34,
               0x1D, 0x07);
// Our own: the extent of a hosted control (the subset of IOleObject a
// windowless, invisible-at-run-time control needs).
DEFINE_COM_IID(IID_IControlExtent, 0x6A1E3C20, 0x5B7D, 0x4C2A, 0x9E, 0x41, 0x2D, 0x8F, 0x10, 0x33,
               0x7C, 0x01);

struct IErrorLog;  // accepted for signature compatibility; the layer never passes one

struct IPropertyBag : IUnknown {
    // Reads the entry named `name` into *value; fails (E_INVALIDARG) when the
    // bag holds no such entry. When value->vt is not VT_EMPTY on entry the bag
    // converts the stored value to that type.
    virtual HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) = 0;

protected:
    ~IPropertyBag() = default;
};

struct IPersist : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistPropertyBag : IPersist {
    virtual HRESULT STDMETHODCALLTYPE InitNew() = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty,
                                           BOOL saveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

struct IPropertyNotifySink : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnChanged(DISPID member) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID member) = 0;

protected:
    ~IPropertyNotifySink() = default;
};

struct IConnectionPointContainer;
struct IEnumConnections;  // not offered: EnumConnections answers E_NOTIMPL
struct IEnumConnectionPoints;

struct IConnectionPoint : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IEnumConnectionPoints : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points,
                                           ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) = 0;

protected:
    ~IEnumConnectionPoints() = default;
};

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

#define DVASPECT_CONTENT 1

// Extent in HIMETRIC (hundredths of a millimetre), as a container stores it.
// SetExtent raises the control's resize handling; the control may hold itself
// at a size of its own, which GetExtent then reports.
struct IControlExtent : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetExtent(DWORD drawAspect, SIZEL* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD drawAspect, SIZEL* size) = 0;

protected:
    ~IControlExtent() = default;
};

#endif  // _WIN32

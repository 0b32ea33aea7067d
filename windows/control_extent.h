// IControlExtent on Windows: the platform's own IOleObject, through which a
// container sizes a control in HIMETRIC (SetExtent, GetExtent). The control
// implements those two, as it does on every platform; this base answers the
// rest of IOleObject as a windowless control that is invisible at run time
// does: it keeps the container's client site, reports the class's status
// flags, and has no verbs, monikers, data transfer or advise sinks of its own.
// A component answers IID_IOleObject with this base.
#pragma once

#include <ole2.h>
#include <windows.h>

struct IControlExtent : IOleObject {
    // Keeps a reference to the site until the next SetClientSite (the
    // container passes null when it lets the control go).
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    // The stored site with a new reference, or null.
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    // Nothing to save here: settings go through the property bag.
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation,
                                           DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    // The standard verbs succeed with nothing to show; the control has no
    // verbs of its own.
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index,
                                     HWND parent, LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    // The class identifier the component reports through IPersist.
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    // OLE_S_USEREG: the registered names apply.
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* userType) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
    // The registered status flags of the control class, for every aspect.
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

protected:
    IControlExtent() = default;
    ~IControlExtent();

private:
    IOleClientSite* m_clientSite = nullptr;
};

inline const IID& IID_IControlExtent = IID_IOleObject;

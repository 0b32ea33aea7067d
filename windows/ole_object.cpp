// OleControl's IOleObject: site, verbs, status flags and advise sinks.
#include "ole_control.h"
#include "ole_control_facts.h"

OleControl::~OleControl() {
    InPlaceDeactivate();
    if (m_viewSink != nullptr) m_viewSink->Release();
    if (m_adviseHolder != nullptr) m_adviseHolder->Release();
    if (m_clientSite != nullptr) m_clientSite->Release();
}

void* OleControl::findInterface(REFIID riid) {
    if (IsEqualIID(riid, IID_IOleObject)) return static_cast<IOleObject*>(this);
    if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject) ||
        IsEqualIID(riid, IID_IOleInPlaceObjectWindowless))
        return static_cast<IOleInPlaceObjectWindowless*>(this);
    if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2))
        return static_cast<IViewObject2*>(this);
    if (IsEqualIID(riid, IID_IOleControl)) return static_cast<IOleControl*>(this);
    if (IsEqualIID(riid, IID_IPersistStreamInit)) return static_cast<IPersistStreamInit*>(this);
    if (IsEqualIID(riid, IID_IPersistStorage)) return static_cast<IPersistStorage*>(this);
    if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))
        return static_cast<IProvideClassInfo2*>(this);
    return nullptr;
}

HRESULT OleControl::classId(CLSID* clsid) {
    IPersist* persist = nullptr;
    HRESULT hr = self()->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist));
    if (FAILED(hr)) return hr;
    hr = persist->GetClassID(clsid);
    persist->Release();
    return hr;
}

HRESULT OleControl::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) site->AddRef();
    if (m_clientSite != nullptr) m_clientSite->Release();
    m_clientSite = site;
    return S_OK;
}

HRESULT OleControl::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = m_clientSite;
    if (m_clientSite != nullptr) m_clientSite->AddRef();
    return S_OK;
}

HRESULT OleControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT OleControl::Close(DWORD) {
    InPlaceDeactivate();
    if (m_adviseHolder != nullptr) m_adviseHolder->SendOnClose();
    return S_OK;
}

HRESULT OleControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT OleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT OleControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT OleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT position) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_OPEN:
        case OLEIVERB_UIACTIVATE:
        case OLEIVERB_INPLACEACTIVATE:
            return activateInPlace(site != nullptr ? site : m_clientSite, position);
        case OLEIVERB_HIDE:
            return InPlaceDeactivate();
        case OLEIVERB_DISCARDUNDOSTATE:
            return S_OK;
        default:
            return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT OleControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) *verbs = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT OleControl::Update() {
    return S_OK;
}

HRESULT OleControl::IsUpToDate() {
    return S_OK;
}

HRESULT OleControl::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    return classId(clsid);
}

HRESULT OleControl::GetUserType(DWORD, LPOLESTR* userType) {
    if (userType != nullptr) *userType = nullptr;
    return OLE_S_USEREG;
}

HRESULT OleControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (connection == nullptr) return E_POINTER;
    *connection = 0;
    if (m_adviseHolder == nullptr) {
        if (HRESULT hr = CreateOleAdviseHolder(&m_adviseHolder); FAILED(hr)) return hr;
    }
    return m_adviseHolder->Advise(sink, connection);
}

HRESULT OleControl::Unadvise(DWORD connection) {
    if (m_adviseHolder == nullptr) return OLE_E_NOCONNECTION;
    return m_adviseHolder->Unadvise(connection);
}

HRESULT OleControl::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises == nullptr) return E_POINTER;
    *advises = nullptr;
    if (m_adviseHolder == nullptr) return S_OK;
    return m_adviseHolder->EnumAdvise(advises);
}

HRESULT OleControl::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = 0;
    CLSID clsid;
    if (HRESULT hr = classId(&clsid); FAILED(hr)) return hr;
    const OleControlFacts* facts = FindOleControlFacts(clsid);
    if (facts == nullptr) return OLE_S_USEREG;
    *status = facts->miscStatus;
    return S_OK;
}

HRESULT OleControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

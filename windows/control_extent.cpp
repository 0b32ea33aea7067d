#include "control_extent.h"

#include "corvell_ids.h"

IControlExtent::~IControlExtent() {
    if (m_clientSite != nullptr) m_clientSite->Release();
}

HRESULT IControlExtent::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) site->AddRef();
    if (m_clientSite != nullptr) m_clientSite->Release();
    m_clientSite = site;
    return S_OK;
}

HRESULT IControlExtent::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = m_clientSite;
    if (m_clientSite != nullptr) m_clientSite->AddRef();
    return S_OK;
}

HRESULT IControlExtent::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT IControlExtent::Close(DWORD) {
    return S_OK;
}

HRESULT IControlExtent::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT IControlExtent::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT IControlExtent::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT IControlExtent::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT IControlExtent::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_OPEN:
        case OLEIVERB_HIDE:
        case OLEIVERB_UIACTIVATE:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_DISCARDUNDOSTATE:
            return S_OK;
        default:
            return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT IControlExtent::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) *verbs = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT IControlExtent::Update() {
    return S_OK;
}

HRESULT IControlExtent::IsUpToDate() {
    return S_OK;
}

HRESULT IControlExtent::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    IPersist* persist = nullptr;
    HRESULT hr = QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist));
    if (FAILED(hr)) return hr;
    hr = persist->GetClassID(clsid);
    persist->Release();
    return hr;
}

HRESULT IControlExtent::GetUserType(DWORD, LPOLESTR* userType) {
    if (userType != nullptr) *userType = nullptr;
    return OLE_S_USEREG;
}

HRESULT IControlExtent::Advise(IAdviseSink*, DWORD* connection) {
    if (connection != nullptr) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT IControlExtent::Unadvise(DWORD) {
    return OLE_E_NOCONNECTION;
}

HRESULT IControlExtent::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises != nullptr) *advises = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT IControlExtent::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = SIEVAN_MISC_STATUS;
    return S_OK;
}

HRESULT IControlExtent::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

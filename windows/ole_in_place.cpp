// OleControl in place: activation without a window of its own, and the
// container's ambient properties (IOleControl).
#include "ole_control.h"

HRESULT OleControl::activateInPlace(IOleClientSite* site, LPCRECT position) {
    if (m_inPlaceSite != nullptr) return S_OK;
    if (site == nullptr) return E_UNEXPECTED;
    IOleInPlaceSiteWindowless* windowless = nullptr;
    site->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&windowless));
    IOleInPlaceSite* inPlace = windowless;
    if (inPlace == nullptr &&
        FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
        return E_NOINTERFACE;
    HRESULT hr = inPlace->CanInPlaceActivate();
    if (hr == S_OK) {
        BOOL noRedraw = FALSE;
        hr = windowless != nullptr ? windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS)
                                   : inPlace->OnInPlaceActivate();
    } else if (SUCCEEDED(hr)) {
        hr = E_FAIL;  // the site refuses activation
    }
    if (FAILED(hr)) {
        inPlace->Release();
        return hr;
    }
    m_inPlaceSite = inPlace;
    m_windowless = windowless != nullptr;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &m_position, &clip, &frameInfo))) {
        if (frame != nullptr) frame->Release();
        if (document != nullptr) document->Release();
    }
    if (position != nullptr) m_position = *position;
    return S_OK;
}

HRESULT OleControl::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = nullptr;
    return E_FAIL;
}

HRESULT OleControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT OleControl::InPlaceDeactivate() {
    if (m_inPlaceSite == nullptr) return S_OK;
    IOleInPlaceSite* site = m_inPlaceSite;
    m_inPlaceSite = nullptr;
    if (m_windowless) {
        IOleInPlaceSiteWindowless* windowless = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                           reinterpret_cast<void**>(&windowless)))) {
            windowless->OnInPlaceDeactivateEx(TRUE);
            windowless->Release();
        }
    } else {
        site->OnInPlaceDeactivate();
    }
    site->Release();
    return S_OK;
}

HRESULT OleControl::UIDeactivate() {
    return S_OK;
}

HRESULT OleControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) return E_POINTER;
    m_position = *position;
    return S_OK;
}

HRESULT OleControl::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT OleControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result != nullptr) *result = 0;
    return S_FALSE;
}

HRESULT OleControl::GetDropTarget(IDropTarget** target) {
    if (target == nullptr) return E_POINTER;
    *target = nullptr;
    return E_NOTIMPL;
}

bool OleControl::userMode() {
    if (m_clientSite == nullptr) return true;
    IDispatch* ambient = nullptr;
    if (FAILED(m_clientSite->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))))
        return true;
    VARIANT value;
    VariantInit(&value);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    HRESULT hr = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                 DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    ambient->Release();
    if (SUCCEEDED(hr)) hr = VariantChangeType(&value, &value, 0, VT_BOOL);
    const bool result = FAILED(hr) || value.boolVal != VARIANT_FALSE;
    VariantClear(&value);
    return result;
}

void OleControl::requestRedraw() {
    if (m_viewSink != nullptr) m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
    if (m_inPlaceSite != nullptr && m_windowless) {
        IOleInPlaceSiteWindowless* windowless = nullptr;
        if (SUCCEEDED(m_inPlaceSite->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                    reinterpret_cast<void**>(&windowless)))) {
            windowless->InvalidateRect(nullptr, TRUE);
            windowless->Release();
        }
    }
}

HRESULT OleControl::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT OleControl::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

// Whether the control shows depends on the container's mode, so a change of
// it (or of every ambient property) redraws it.
HRESULT OleControl::OnAmbientPropertyChange(DISPID member) {
    if (member == DISPID_AMBIENT_USERMODE || member == DISPID_UNKNOWN) requestRedraw();
    return S_OK;
}

HRESULT OleControl::FreezeEvents(BOOL) {
    return S_OK;
}

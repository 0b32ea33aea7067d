// OleControl's view: the control's icon, shown only while the container is
// in design mode.
#include "ole_control.h"
#include "ole_control_facts.h"
#include "own_module.h"

namespace {

// Copies the bitmap resource `id` of this module into `bounds` of `dc`,
// stretched to fit.
HRESULT drawBitmap(HDC dc, int id, const RECTL& bounds) {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(OwnModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return HRESULT_FROM_WIN32(GetLastError());
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    HRESULT hr = E_FAIL;
    if (HDC source = CreateCompatibleDC(dc); source != nullptr) {
        const HGDIOBJ previous = SelectObject(source, bitmap);
        const int mode = SetStretchBltMode(dc, COLORONCOLOR);
        if (StretchBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left,
                       bounds.bottom - bounds.top, source, 0, 0, info.bmWidth, info.bmHeight,
                       SRCCOPY))
            hr = S_OK;
        SetStretchBltMode(dc, mode);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    DeleteObject(bitmap);
    return hr;
}

}  // namespace

HRESULT OleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc,
                         LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                         ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (drawDc == nullptr) return E_INVALIDARG;
    // A windowless control active in place may be asked to draw at its place.
    RECTL place{m_position.left, m_position.top, m_position.right, m_position.bottom};
    if (bounds == nullptr && m_inPlaceSite == nullptr) return E_INVALIDARG;
    if (userMode()) return S_OK;  // invisible at run time
    CLSID clsid;
    if (HRESULT hr = classId(&clsid); FAILED(hr)) return hr;
    const OleControlFacts* facts = FindOleControlFacts(clsid);
    if (facts == nullptr) return S_OK;
    return drawBitmap(drawDc, facts->iconBitmap, bounds != nullptr ? *bounds : place);
}

HRESULT OleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors == nullptr) return E_POINTER;
    *colors = nullptr;
    return S_FALSE;
}

HRESULT OleControl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze != nullptr) *freeze = 0;
    return E_NOTIMPL;
}

HRESULT OleControl::Unfreeze(DWORD) {
    return OLE_E_NOCONNECTION;
}

HRESULT OleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    if (sink != nullptr) sink->AddRef();
    if (m_viewSink != nullptr) m_viewSink->Release();
    m_viewSink = sink;
    m_viewAspects = aspects;
    m_viewFlags = flags;
    return S_OK;
}

HRESULT OleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects != nullptr) *aspects = m_viewAspects;
    if (flags != nullptr) *flags = m_viewFlags;
    if (sink != nullptr) {
        *sink = m_viewSink;
        if (m_viewSink != nullptr) m_viewSink->AddRef();
    }
    return S_OK;
}

HRESULT OleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return static_cast<IOleObject*>(this)->GetExtent(aspect, size);
}

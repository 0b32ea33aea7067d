#include "com/connection_point.h"

#include "com/guard.h"

namespace com {

PropertyNotifyPoint::~PropertyNotifyPoint() {
    for (const Connection& connection : m_connections) connection.sink->Release();
}

HRESULT PropertyNotifyPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = IID_IPropertyNotifySink;
    return S_OK;
}

HRESULT PropertyNotifyPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

HRESULT PropertyNotifyPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    *cookie = 0;
    IPropertyNotifySink* notifySink = nullptr;
    if (FAILED(
            sink->QueryInterface(IID_IPropertyNotifySink, reinterpret_cast<void**>(&notifySink))))
        return CONNECT_E_CANNOTCONNECT;
    const HRESULT hr = Guarded([&] {
        m_connections.push_back({m_nextCookie, notifySink});
        return S_OK;
    });
    if (FAILED(hr)) {
        notifySink->Release();
        return hr;
    }
    *cookie = m_nextCookie++;
    return S_OK;
}

HRESULT PropertyNotifyPoint::Unadvise(DWORD cookie) {
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->cookie != cookie) continue;
        IPropertyNotifySink* sink = it->sink;
        m_connections.erase(it);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT PropertyNotifyPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) *connections = nullptr;
    return E_NOTIMPL;
}

HRESULT PropertyNotifyPoint::FireChanged(DISPID member) {
    if (m_connections.empty()) return S_OK;
    HRESULT first = S_OK;
    // A sink may unadvise itself while being told; work on a snapshot.
    const std::vector<Connection> snapshot = m_connections;
    for (const Connection& connection : snapshot) {
        connection.sink->AddRef();
        const HRESULT hr = connection.sink->OnChanged(member);
        connection.sink->Release();
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
}

}  // namespace com

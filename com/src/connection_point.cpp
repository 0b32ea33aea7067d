#include "com/connection_point.h"

#include "com/guard.h"
#include "com/ptr.h"

namespace com {

ConnectionPoint::ConnectionPoint(IUnknown* owner, IConnectionPointContainer* container,
                                 const IID& iid, bool acceptsDispatch)
    : Embedded(owner), m_container(container), m_iid(iid), m_acceptsDispatch(acceptsDispatch) {}

ConnectionPoint::~ConnectionPoint() {
    for (const Connection& connection : m_connections) connection.sink->Release();
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    *cookie = 0;
    IUnknown* connected = nullptr;
    if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void**>(&connected))) &&
        (!m_acceptsDispatch ||
         FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&connected)))))
        return CONNECT_E_CANNOTCONNECT;
    const HRESULT hr = Guarded([&] {
        m_connections.push_back({m_nextCookie, connected});
        return S_OK;
    });
    if (FAILED(hr)) {
        connected->Release();
        return hr;
    }
    *cookie = m_nextCookie++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->cookie != cookie) continue;
        IUnknown* sink = it->sink;
        m_connections.erase(it);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) *connections = nullptr;
    return E_NOTIMPL;
}

HRESULT PropertyNotifyPoint::FireChanged(DISPID member) {
    HRESULT first = S_OK;
    for (const Connection& connection : snapshot()) {
        auto* sink = static_cast<IPropertyNotifySink*>(connection.sink);
        // Held while told, also when the telling throws.
        sink->AddRef();
        const auto held = Ptr<IPropertyNotifySink>::adopt(sink);
        const HRESULT hr = sink->OnChanged(member);
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
}

namespace {

class PointEnumerator final : public Object<IEnumConnectionPoints> {
public:
    explicit PointEnumerator(std::span<IConnectionPoint* const> points)
        : m_points(points.begin(), points.end()) {
        for (IConnectionPoint* point : m_points) point->AddRef();
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points,
                                   ULONG* fetched) override {
        if (points == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
        ULONG given = 0;
        for (; given < count && m_next < m_points.size(); ++given, ++m_next) {
            points[given] = m_points[m_next];
            points[given]->AddRef();
        }
        if (fetched != nullptr) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = m_points.size() - m_next;
        m_next += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_next = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) override {
        if (copy == nullptr) return E_POINTER;
        return Guarded([&] {
            auto* clone = new PointEnumerator(m_points);
            clone->m_next = m_next;
            *copy = clone;
            return S_OK;
        });
    }

private:
    ~PointEnumerator() override {
        for (IConnectionPoint* point : m_points) point->Release();
    }

    std::vector<IConnectionPoint*> m_points;
    size_t m_next = 0;
};

}  // namespace

HRESULT EnumerateConnectionPoints(std::span<IConnectionPoint* const> points,
                                  IEnumConnectionPoints** enumerator) {
    if (enumerator == nullptr) return E_POINTER;
    *enumerator = nullptr;
    return Guarded([&] {
        *enumerator = new PointEnumerator(points);
        return S_OK;
    });
}

}  // namespace com

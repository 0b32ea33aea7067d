// Connection points a control offers its container: the property-change
// point (containers advise an IPropertyNotifySink, the control fires
// OnChanged), a point for the control's event interface, and the enumeration
// of a control's points.
#pragma once

#include <span>
#include <vector>

#include "com/object.h"

namespace com {

// The point of one outgoing interface. Lives inside its control and shares
// the control's reference count. A sink is accepted when it answers the
// point's interface, or, for an event dispinterface, IDispatch.
class ConnectionPoint : public Embedded<IConnectionPoint> {
public:
    ConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, const IID& iid,
                    bool acceptsDispatch);
    ~ConnectionPoint() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Whether any sink is advised now.
    bool advised() const { return !m_connections.empty(); }

protected:
    struct Connection {
        DWORD cookie;
        IUnknown* sink;  // the sink's pointer for the point's interface
    };
    // The connections as they are now: a sink may unadvise while being told.
    std::vector<Connection> snapshot() const { return m_connections; }

private:
    IConnectionPointContainer* m_container;
    const IID& m_iid;
    bool m_acceptsDispatch;
    std::vector<Connection> m_connections;
    DWORD m_nextCookie = 1;
};

class PropertyNotifyPoint final : public ConnectionPoint {
public:
    PropertyNotifyPoint(IUnknown* owner, IConnectionPointContainer* container)
        : ConnectionPoint(owner, container, IID_IPropertyNotifySink, false) {}

    // Tells every advised sink that `member` changed; the first failure a
    // sink reports is returned (the other sinks are still told).
    HRESULT FireChanged(DISPID member);
};

// A new enumerator over `points` (each held until the enumerator goes).
HRESULT EnumerateConnectionPoints(std::span<IConnectionPoint* const> points,
                                  IEnumConnectionPoints** enumerator);

}  // namespace com

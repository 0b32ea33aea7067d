// The property-change connection point a control offers its container:
// containers advise an IPropertyNotifySink, the control fires OnChanged.
#pragma once

#include <vector>

#include "com/object.h"

namespace com {

// Lives inside its control and shares the control's reference count.
class PropertyNotifyPoint final : public Embedded<IConnectionPoint> {
public:
    PropertyNotifyPoint(IUnknown* owner, IConnectionPointContainer* container)
        : Embedded(owner), m_container(container) {}
    ~PropertyNotifyPoint() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Tells every advised sink that `member` changed; the first failure a
    // sink reports is returned (the other sinks are still told).
    HRESULT FireChanged(DISPID member);

private:
    struct Connection {
        DWORD cookie;
        IPropertyNotifySink* sink;
    };
    IConnectionPointContainer* m_container;
    std::vector<Connection> m_connections;
    DWORD m_nextCookie = 1;
};

}  // namespace com

// Reference counting and QueryInterface, written once for every component.
#pragma once

#include <atomic>
#include <initializer_list>

#include "com/ocidl.h"
#include "com/unknwn.h"

namespace com {

// Which interface identifiers an interface answers to: its own and those of
// the interfaces it derives from (IUnknown aside, which every object answers).
// answers(riid) tells; find(self, riid) hands out the pointer to give for
// riid (null when I does not answer it). A base that bundles several
// interfaces specialises find to hand out each one's own pointer.
template <class I>
struct InterfaceTraits;

// Live objects and factory locks of this module; DllCanUnloadNow reads it.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// Base of a component implementing `Interfaces`: the first one is the
// object's identity (its IUnknown). Created with one reference, owned by the
// creator; deleted when the last reference is released.
template <class First, class... Rest>
class Object : public First, public Rest... {
public:
    Object() { LockModule(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *object = identity();
        } else {
            find<First, Rest...>(riid, object);
        }
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

    IUnknown* identity() { return static_cast<IUnknown*>(static_cast<First*>(this)); }

protected:
    virtual ~Object() { UnlockModule(); }

private:
    template <class I, class... More>
    void find(REFIID riid, void** object) {
        if (void* found = InterfaceTraits<I>::find(static_cast<I*>(this), riid)) {
            *object = found;
            return;
        }
        if constexpr (sizeof...(More) > 0) find<More...>(riid, object);
    }

    std::atomic<ULONG> m_references{1};
};

// Borrowed-identity interface of an object that lives inside another (a
// connection point inside its control): references go to the owner.
template <class I>
class Embedded : public I {
public:
    explicit Embedded(IUnknown* owner) : m_owner(owner) {}
    Embedded(const Embedded&) = delete;
    Embedded& operator=(const Embedded&) = delete;
    virtual ~Embedded() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || InterfaceTraits<I>::answers(riid)) {
            *object = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_owner->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_owner->Release(); }

protected:
    IUnknown* owner() const { return m_owner; }

private:
    IUnknown* m_owner;
};

}  // namespace com

#define COM_INTERFACE_TRAITS(I, ...)                                                       \
    template <>                                                                            \
    struct com::InterfaceTraits<I> {                                                       \
        static bool answers(REFIID riid) {                                                 \
            for (const IID* iid : {__VA_ARGS__})                                           \
                if (IsEqualIID(riid, *iid)) return true;                                   \
            return false;                                                                  \
        }                                                                                  \
        static void* find(I* self, REFIID riid) { return answers(riid) ? self : nullptr; } \
    }

COM_INTERFACE_TRAITS(IDispatch, &IID_IDispatch);
COM_INTERFACE_TRAITS(IClassFactory, &IID_IClassFactory);
COM_INTERFACE_TRAITS(IPropertyBag, &IID_IPropertyBag);
COM_INTERFACE_TRAITS(IPersistPropertyBag, &IID_IPersistPropertyBag, &IID_IPersist);
COM_INTERFACE_TRAITS(IPropertyNotifySink, &IID_IPropertyNotifySink);
COM_INTERFACE_TRAITS(IConnectionPoint, &IID_IConnectionPoint);
COM_INTERFACE_TRAITS(IConnectionPointContainer, &IID_IConnectionPointContainer);
COM_INTERFACE_TRAITS(IEnumConnectionPoints, &IID_IEnumConnectionPoints);
#ifndef _WIN32
// On Windows a control's container interfaces come from the platform, and
// the Windows build supplies their traits.
COM_INTERFACE_TRAITS(IControlExtent, &IID_IControlExtent);
#endif

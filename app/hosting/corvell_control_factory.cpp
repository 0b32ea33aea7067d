#include "corvell_control_factory.h"

#include "com/local_servers.h"
#include "com/objbase.h"
#include "com/ocidl.h"
#include "com/property_bag.h"
#include "control_failure.h"
#include "corvell_ids.h"

namespace rosterly {
namespace {

HostedControl failed(HRESULT status, QString failure) {
    HostedControl result;
    result.status = FAILED(status) ? status : E_FAIL;
    result.failure = std::move(failure);
    return result;
}

com::Variant longValue(LONG value) {
    com::Variant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// A form stores a hosted control's extent among its saved properties.
HRESULT loadSavedState(const com::Ptr<IDispatch>& control, const SavedControl& saved) {
    const auto persist = control.as<IPersistPropertyBag>(IID_IPersistPropertyBag);
    if (!persist) return E_NOINTERFACE;
    const auto bag = com::Ptr<com::MemoryPropertyBag>::adopt(new com::MemoryPropertyBag);
    com::Variant x = longValue(saved.extentX);
    com::Variant y = longValue(saved.extentY);
    bag->Write(u"_ExtentX", &x);
    bag->Write(u"_ExtentY", &y);
    return persist->Load(bag.get(), nullptr);
}

HRESULT setExtent(const com::Ptr<IDispatch>& control, const SavedControl& saved) {
    const auto extent = control.as<IControlExtent>(IID_IControlExtent);
    if (!extent) return E_NOINTERFACE;
    SIZEL size{saved.extentX, saved.extentY};
    return extent->SetExtent(DVASPECT_CONTENT, &size);
}

}  // namespace

HostedControl CorvellControlFactory::create(const SavedControl& saved) {
    // Unregistered, the control comes from its library beside the program.
    com::AddLocalServer(CLSID_Sievan, CORVELL_LIBRARY_FILE);
    com::Ptr<IDispatch> control;
    HRESULT status =
        CoCreateInstance(saved.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.out());
    if (FAILED(status)) return failed(status, libraryLoadFailure(status));
    if (status = loadSavedState(control, saved); FAILED(status))
        return failed(status, controlSetupFailure(QStringLiteral("load its settings"), status));
    if (status = setExtent(control, saved); FAILED(status))
        return failed(status, controlSetupFailure(QStringLiteral("take its size"), status));
    HostedControl result;
    result.control = std::move(control);
    result.status = S_OK;
    return result;
}

}  // namespace rosterly

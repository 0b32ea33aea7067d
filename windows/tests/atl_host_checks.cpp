// The control in the system's own ActiveX host window ("AtlAxWin" of the
// platform's atl DLL), loaded by name: MinGW has no ATL headers.
#include "native_checks.h"

namespace {

using AtlAxWinInitFunction = BOOL(WINAPI*)();
using AtlAxCreateControlExFunction = HRESULT(WINAPI*)(LPCOLESTR name, HWND window, IStream* stream,
                                                      IUnknown** container, IUnknown** control,
                                                      REFIID sinkIid, IUnknown* sink);

void driveHostedControl(IUnknown* hosted) {
    IDispatch* control = nullptr;
    if (hosted != nullptr)
        hosted->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control));
    check(control != nullptr, "host window: the hosted control answers IDispatch");
    if (control == nullptr) return;
    putText(control, DISPID_SIEVAN_ADDRESS, u"<abc@b.c>");
    call(control, DISPID_SIEVAN_EXTRACT, nullptr);
    check(getText(control, DISPID_SIEVAN_ADDRESS) == u"abc@b.c",
          "host window: the hosted control extracts");
    IOleInPlaceObject* inPlace = nullptr;
    control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
    check(inPlace != nullptr, "host window: the hosted control answers IOleInPlaceObject");
    if (inPlace != nullptr) inPlace->Release();
    control->Release();
}

}  // namespace

void checkAtlHost() {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    check(atl != nullptr, "host window: atl.dll loads");
    if (atl == nullptr) return;
    auto init = reinterpret_cast<AtlAxWinInitFunction>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto create = reinterpret_cast<AtlAxCreateControlExFunction>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxCreateControlEx")));
    check(init != nullptr && create != nullptr && init(), "host window: AtlAxWinInit");
    if (init == nullptr || create == nullptr) return;
    HWND window = CreateWindowExW(0, L"AtlAxWin", L"", WS_POPUP, 0, 0, 24, 22, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    check(window != nullptr, "host window: an AtlAxWin window", hex(GetLastError()));
    if (window == nullptr) return;
    IUnknown* container = nullptr;
    IUnknown* hosted = nullptr;
    const HRESULT hr =
        create(L"Corvell.Sievan", window, nullptr, &container, &hosted, IID_NULL, nullptr);
    check(hr == S_OK, "host window: AtlAxCreateControlEx creates Corvell.Sievan", hex(hr));
    driveHostedControl(hosted);
    if (hosted != nullptr) hosted->Release();
    if (container != nullptr) container->Release();
    DestroyWindow(window);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

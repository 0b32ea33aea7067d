// The control in a container built from plain OLE calls: created with
// OleCreate on a storage and a client site, activated in place, drawn into a
// memory bitmap at design and at run time, saved and loaded through a stream,
// a storage and a property bag, and watched through its property-change
// connection point. Also the type information the control hands out.
#include <vector>

#include "com/variant_value.h"
#include "native_checks.h"
#include "test_bag.h"
#include "test_site.h"

namespace {

struct Setting {
    DISPID id;
    const char16_t* value;  // for Done: "True"
};
// Six settings, none at its default.
constexpr Setting kSettings[] = {
    {DISPID_SIEVAN_DONE, u"True"},     {DISPID_SIEVAN_FILTER, u"f?x"},
    {DISPID_SIEVAN_ADDRESS, u"a@b.c"}, {DISPID_SIEVAN_DUPLICATES, u"3"},
    {DISPID_SIEVAN_COUNT, u"17"},      {DISPID_SIEVAN_FILTERED, u"2"},
};

void putSettings(IDispatch* control) {
    for (const Setting& setting : kSettings) putText(control, setting.id, setting.value);
}

// Whether `control` holds the six settings; names the first that differs.
bool holdsSettings(IDispatch* control, std::string* differing) {
    for (const Setting& setting : kSettings) {
        const std::u16string got = getText(control, setting.id);
        if (got != setting.value) {
            *differing = hex(setting.id) + " is " + narrow(got);
            return false;
        }
    }
    return true;
}

template <class I>
I* query(IUnknown* object, REFIID iid) {
    I* result = nullptr;
    if (object != nullptr) object->QueryInterface(iid, reinterpret_cast<void**>(&result));
    return result;
}

IDispatch* newControl() {
    IDispatch* control = nullptr;
    CoCreateInstance(CLSID_Sievan, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                     reinterpret_cast<void**>(&control));
    return control;
}

// ---- type information

void checkTypeInformation(IDispatch* control) {
    UINT count = 0;
    control->GetTypeInfoCount(&count);
    check(count == 1, "GetTypeInfoCount is 1", std::to_string(count));
    ITypeInfo* info = nullptr;
    control->GetTypeInfo(0, 0x409, &info);
    check(info != nullptr, "GetTypeInfo");
    if (info == nullptr) return;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    check(IsEqualGUID(attr->guid, IID__Sievan), "GetTypeInfo describes _Sievan");
    // Every member the type information names binds to the same identifier
    // and answers Invoke in the way it describes.
    putText(control, DISPID_SIEVAN_FILTER, u"no such text");
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func))) continue;
        BSTR name = nullptr;
        UINT names = 0;
        info->GetNames(func->memid, &name, 1, &names);
        const std::string label = "type information member " + narrow(com::Chars(name));
        if ((func->wFuncFlags & FUNCFLAG_FRESTRICTED) == 0) {
            DISPID id = DISPID_UNKNOWN;
            control->GetIDsOfNames(GUID_NULL, &name, 1, 0x409, &id);
            check(id == func->memid, label + ": GetIDsOfNames agrees", hex(id));
            com::Variant result;
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            HRESULT hr = S_OK;
            if (func->invkind == INVOKE_PROPERTYPUT) {
                com::Variant value;
                control->Invoke(func->memid, GUID_NULL, 0x409, DISPATCH_PROPERTYGET, &none, &value,
                                nullptr, nullptr);
                DISPID named = DISPID_PROPERTYPUT;
                DISPPARAMS put{&value, &named, 1, 1};
                hr = control->Invoke(func->memid, GUID_NULL, 0x409, DISPATCH_PROPERTYPUT, &put,
                                     nullptr, nullptr, nullptr);
                check(hr == S_OK && value.vt == func->lprgelemdescParam[0].tdesc.vt,
                      label + ": put takes the described type", hex(hr));
            } else {
                const WORD flags =
                    func->invkind == INVOKE_PROPERTYGET ? DISPATCH_PROPERTYGET : DISPATCH_METHOD;
                hr = control->Invoke(func->memid, GUID_NULL, 0x409, flags, &none, &result, nullptr,
                                     nullptr);
                const VARTYPE described = func->elemdescFunc.tdesc.vt;
                check(hr == S_OK && (described == VT_VARIANT || result.vt == described),
                      label + ": Invoke gives the described type",
                      hex(hr) + " vt " + std::to_string(result.vt));
            }
        }
        SysFreeString(name);
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
    info->Release();
}

void checkClassInformation(IDispatch* control) {
    auto* classInfo = query<IProvideClassInfo2>(control, IID_IProvideClassInfo2);
    check(classInfo != nullptr, "QueryInterface IProvideClassInfo2");
    if (classInfo == nullptr) return;
    ITypeInfo* coclass = nullptr;
    classInfo->GetClassInfo(&coclass);
    TYPEATTR* attr = nullptr;
    if (coclass != nullptr) coclass->GetTypeAttr(&attr);
    check(
        attr != nullptr && attr->typekind == TKIND_COCLASS && IsEqualGUID(attr->guid, CLSID_Sievan),
        "IProvideClassInfo gives the class Sievan");
    if (attr != nullptr) coclass->ReleaseTypeAttr(attr);
    if (coclass != nullptr) coclass->Release();
    GUID source = GUID_NULL;
    classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source);
    check(IsEqualGUID(source, DIID___Sievan), "IProvideClassInfo2 gives __Sievan as source");
    classInfo->Release();
}

// ---- drawing

// A 24 x 22, 32-bit bitmap selected into a memory device context.
class Canvas {
public:
    Canvas() : m_dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    void fill(DWORD colour) {
        GdiFlush();
        auto* pixels = static_cast<DWORD*>(m_bits);
        for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = colour;
    }
    std::vector<DWORD> pixels() {
        GdiFlush();
        auto* begin = static_cast<DWORD*>(m_bits);
        std::vector<DWORD> result(begin, begin + kWidth * kHeight);
        for (DWORD& pixel : result) pixel &= 0xFFFFFF;
        return result;
    }
    HDC dc() const { return m_dc; }
    static constexpr int kWidth = 24;
    static constexpr int kHeight = 22;

private:
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    void* m_bits = nullptr;
};

// The icon bitmap as the library holds it, read from the registered file.
std::vector<DWORD> iconPixels() {
    Canvas canvas;
    canvas.fill(0);
    wchar_t path[MAX_PATH] = {};
    HMODULE module = nullptr;
    GetModuleHandleExW(0, L"Corvell.dll", &module);
    if (module != nullptr) GetModuleFileNameW(module, path, MAX_PATH);
    auto* bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(SIEVAN_ICON_BITMAP),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap != nullptr) {
        HDC source = CreateCompatibleDC(canvas.dc());
        HGDIOBJ previous = SelectObject(source, bitmap);
        BitBlt(canvas.dc(), 0, 0, Canvas::kWidth, Canvas::kHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
        DeleteObject(bitmap);
    }
    if (module != nullptr) FreeLibrary(module);
    return canvas.pixels();
}

void checkDrawing(IUnknown* control, test::ClientSite& site) {
    auto* view = query<IViewObject>(control, IID_IViewObject);
    check(view != nullptr, "QueryInterface IViewObject");
    if (view == nullptr) return;
    Canvas canvas;
    const RECTL bounds{0, 0, Canvas::kWidth, Canvas::kHeight};
    constexpr DWORD kBackground = 0xFF00FF;
    canvas.fill(kBackground);
    site.userMode = false;
    HRESULT hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                            nullptr, nullptr, 0);
    const std::vector<DWORD> icon = iconPixels();
    const std::vector<DWORD> drawn = canvas.pixels();
    check(hr == S_OK && drawn == icon && drawn != std::vector<DWORD>(drawn.size(), kBackground),
          "design time: IViewObject::Draw paints the control's icon", hex(hr));

    site.userMode = true;
    auto* ambient = query<IOleControl>(control, IID_IOleControl);
    check(ambient != nullptr && ambient->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE) == S_OK,
          "IOleControl takes the change of UserMode");
    if (ambient != nullptr) ambient->Release();
    canvas.fill(kBackground);
    hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds, nullptr,
                    nullptr, 0);
    check(hr == S_OK && canvas.pixels() == std::vector<DWORD>(icon.size(), kBackground),
          "run time: IViewObject::Draw paints nothing", hex(hr));
    site.userMode = false;
    view->Release();
}

// ---- persistence

void checkStreamRoundTrip(IDispatch* control) {
    auto* persist = query<IPersistStreamInit>(control, IID_IPersistStreamInit);
    check(persist != nullptr, "QueryInterface IPersistStreamInit");
    if (persist == nullptr) return;
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    putSettings(control);
    check(persist->Save(stream, TRUE) == S_OK, "IPersistStreamInit Save");
    persist->Release();

    IDispatch* loaded = newControl();
    auto* loader = query<IPersistStreamInit>(loaded, IID_IPersistStreamInit);
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    std::string differing;
    check(loader != nullptr && loader->Load(stream) == S_OK && holdsSettings(loaded, &differing),
          "IPersistStreamInit Load keeps the six settings", differing);

    // A stream cut short is refused, and the control goes on working.
    ULARGE_INTEGER size{};
    stream->Seek(start, STREAM_SEEK_END, &size);
    size.QuadPart -= 3;
    stream->SetSize(size);
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    check(loader != nullptr && FAILED(loader->Load(stream)) &&
              putText(loaded, DISPID_SIEVAN_ADDRESS, u"x@y.z") == S_OK &&
              call(loaded, DISPID_SIEVAN_EXTRACT, nullptr) == S_OK &&
              getText(loaded, DISPID_SIEVAN_ADDRESS) == u"x@y.z",
          "a damaged stream is refused and the control stays usable");
    if (loader != nullptr) loader->Release();
    if (loaded != nullptr) loaded->Release();
    stream->Release();
}

void checkBagRoundTrip(IDispatch* control) {
    test::Bag bag;
    auto* persist = query<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
    putSettings(control);
    check(persist != nullptr && persist->Save(&bag, TRUE, FALSE) == S_OK,
          "IPersistPropertyBag Save of six settings");
    if (persist != nullptr) persist->Release();
    IDispatch* loaded = newControl();
    auto* loader = query<IPersistPropertyBag>(loaded, IID_IPersistPropertyBag);
    std::string differing;
    check(loader != nullptr && loader->Load(&bag, nullptr) == S_OK &&
              holdsSettings(loaded, &differing),
          "IPersistPropertyBag Load keeps the six settings", differing);
    if (loader != nullptr) loader->Release();
    if (loaded != nullptr) loaded->Release();
}

void checkNotifications(IDispatch* control) {
    test::NotifySink* sink = test::NotifySink::adviseOn(control);
    check(sink != nullptr, "IConnectionPointContainer offers IPropertyNotifySink");
    if (sink == nullptr) return;
    putSettings(control);
    std::vector<DISPID> expected;
    for (const Setting& setting : kSettings) expected.push_back(setting.id);
    check(sink->changes() == expected, "every put is notified with its member identifier");
    sink->unadviseAndRelease();

    auto* container = query<IConnectionPointContainer>(control, IID_IConnectionPointContainer);
    if (container == nullptr) return;
    IConnectionPoint* events = nullptr;
    container->FindConnectionPoint(DIID___Sievan, &events);
    check(events != nullptr, "IConnectionPointContainer offers the event interface __Sievan");
    if (events != nullptr) events->Release();
    IEnumConnectionPoints* points = nullptr;
    container->EnumConnectionPoints(&points);
    IConnectionPoint* found[3] = {};
    ULONG count = 0;
    if (points != nullptr) points->Next(3, found, &count);
    check(count == 2, "EnumConnectionPoints lists both points", std::to_string(count));
    for (ULONG i = 0; i < count; ++i) found[i]->Release();
    if (points != nullptr) points->Release();
    container->Release();
}

}  // namespace

void checkTypeInformationAndClass(IDispatch* control) {
    checkTypeInformation(control);
    checkClassInformation(control);
}

void checkOleContainer() {
    test::ClientSite site;
    ILockBytes* bytes = nullptr;
    IStorage* storage = nullptr;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                 &storage);
    IOleObject* object = nullptr;
    const HRESULT hr = OleCreate(CLSID_Sievan, IID_IOleObject, OLERENDER_NONE, nullptr, &site,
                                 storage, reinterpret_cast<void**>(&object));
    check(hr == S_OK, "OleCreate with a client site and a storage", hex(hr));
    if (object == nullptr) return;
    IDispatch* control = query<IDispatch>(object, IID_IDispatch);
    check(getText(control, DISPID_SIEVAN_COUNT) == u"0", "OleCreate initialises a new control");

    RECT place{0, 0, 24, 22};
    check(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, GetDesktopWindow(), &place) ==
                  S_OK &&
              site.activations == 1,
          "DoVerb in-place activate reaches the site");
    checkDrawing(object, site);
    checkNotifications(control);
    checkStreamRoundTrip(control);
    checkBagRoundTrip(control);

    // Saved into the storage, loaded by the platform into a new control.
    auto* persist = query<IPersistStorage>(object, IID_IPersistStorage);
    check(persist != nullptr && OleSave(persist, storage, TRUE) == S_OK,
          "OleSave into the storage");
    if (persist != nullptr) {
        persist->SaveCompleted(nullptr);
        persist->Release();
    }
    IDispatch* loaded = nullptr;
    OleLoad(storage, IID_IDispatch, &site, reinterpret_cast<void**>(&loaded));
    std::string differing;
    check(loaded != nullptr && holdsSettings(loaded, &differing),
          "OleLoad from the storage keeps the six settings", differing);
    if (loaded != nullptr) loaded->Release();

    check(object->Close(OLECLOSE_NOSAVE) == S_OK && site.deactivations == 1,
          "Close leaves in-place activation");
    object->SetClientSite(nullptr);
    control->Release();
    object->Release();
    storage->Release();
    bytes->Release();
}

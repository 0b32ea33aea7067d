// OleControl's stream and storage persistence. The control saves and loads
// its settings through IPersistPropertyBag only; here those settings travel
// through an in-memory bag to and from a stream, so there is one set of keys,
// defaults and conversions for every kind of container.
//
// Stream layout (little-endian): WORD format (1), WORD entry count, then per
// entry: WORD name length, the name's UTF-16 code units, WORD VARTYPE and the
// value: VT_BOOL and VT_I2 as 2 bytes, VT_I4 as 4, VT_BSTR as DWORD length and
// its code units. Other values are saved as text.
#include <string>
#include <vector>

#include "com/guard.h"
#include "com/property_bag.h"
#include "com/ptr.h"
#include "ole_control.h"

namespace {

constexpr WORD kFormat = 1;
constexpr WORD kMaxEntries = 64;
constexpr WORD kMaxNameLength = 256;
// Far beyond any setting; keeps a damaged stream from asking for gigabytes.
constexpr DWORD kMaxTextLength = 1u << 24;
const wchar_t kContents[] = L"Contents";

class Writer {
public:
    void word(WORD value) { bytes(&value, sizeof value); }
    void dword(DWORD value) { bytes(&value, sizeof value); }
    void text(std::u16string_view value) { bytes(value.data(), value.size() * sizeof(char16_t)); }
    const std::vector<BYTE>& data() const { return m_data; }

private:
    void bytes(const void* data, size_t size) {
        const auto* begin = static_cast<const BYTE*>(data);
        m_data.insert(m_data.end(), begin, begin + size);
    }
    std::vector<BYTE> m_data;
};

HRESULT writeEntry(Writer& out, const com::MemoryPropertyBag::Entry& entry) {
    out.word(static_cast<WORD>(entry.name.size()));
    out.text(entry.name);
    const VARIANT& value = entry.value;
    switch (value.vt) {
        case VT_BOOL:
        case VT_I2:
            out.word(value.vt);
            out.word(static_cast<WORD>(value.iVal));
            return S_OK;
        case VT_I4:
            out.word(value.vt);
            out.dword(static_cast<DWORD>(value.lVal));
            return S_OK;
        default:
            break;
    }
    com::Variant text;
    if (HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR); FAILED(hr)) return hr;
    out.word(VT_BSTR);
    out.dword(static_cast<DWORD>(text.text().size()));
    out.text(text.text());
    return S_OK;
}

// Reads exactly `size` bytes; a short read is a damaged stream.
HRESULT readBytes(IStream* stream, void* data, ULONG size) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(data, size, &read);
    if (FAILED(hr)) return hr;
    return read == size ? S_OK : STG_E_READFAULT;
}

template <class T>
HRESULT readValue(IStream* stream, T* value) {
    return readBytes(stream, value, sizeof *value);
}

HRESULT readText(IStream* stream, DWORD length, std::u16string* text) {
    text->resize(length);
    return readBytes(stream, text->data(), length * sizeof(char16_t));
}

HRESULT readEntry(IStream* stream, IPropertyBag* bag) {
    WORD nameLength = 0;
    if (HRESULT hr = readValue(stream, &nameLength); FAILED(hr)) return hr;
    if (nameLength == 0 || nameLength > kMaxNameLength) return STG_E_INVALIDHEADER;
    std::u16string name;
    if (HRESULT hr = readText(stream, nameLength, &name); FAILED(hr)) return hr;
    WORD type = 0;
    if (HRESULT hr = readValue(stream, &type); FAILED(hr)) return hr;
    com::Variant value;
    HRESULT hr = S_OK;
    switch (type) {
        case VT_BOOL:
        case VT_I2:
            value.vt = type;
            hr = readValue(stream, &value.iVal);
            break;
        case VT_I4:
            value.vt = VT_I4;
            hr = readValue(stream, &value.lVal);
            break;
        case VT_BSTR: {
            DWORD length = 0;
            std::u16string text;
            hr = readValue(stream, &length);
            if (SUCCEEDED(hr) && length > kMaxTextLength) hr = STG_E_INVALIDHEADER;
            if (SUCCEEDED(hr)) hr = readText(stream, length, &text);
            if (SUCCEEDED(hr)) value = com::Variant(text);
            break;
        }
        default:
            return STG_E_INVALIDHEADER;
    }
    if (FAILED(hr)) return hr;
    return bag->Write(reinterpret_cast<LPCOLESTR>(name.c_str()), &value);
}

HRESULT readBag(IStream* stream, IPropertyBag* bag) {
    WORD format = 0;
    WORD count = 0;
    if (HRESULT hr = readValue(stream, &format); FAILED(hr)) return hr;
    if (HRESULT hr = readValue(stream, &count); FAILED(hr)) return hr;
    if (format != kFormat || count > kMaxEntries) return STG_E_INVALIDHEADER;
    for (WORD i = 0; i < count; ++i)
        if (HRESULT hr = readEntry(stream, bag); FAILED(hr)) return hr;
    return S_OK;
}

// The settings of `control` as they go into a stream.
HRESULT saveToBytes(IUnknown* control, std::vector<BYTE>* bytes) {
    com::Ptr<IPersistPropertyBag> persist;
    HRESULT hr = control->QueryInterface(IID_IPersistPropertyBag, persist.out());
    if (FAILED(hr)) return hr;
    auto bag = com::Ptr<com::MemoryPropertyBag>::adopt(new com::MemoryPropertyBag());
    if (hr = persist->Save(bag.get(), TRUE, TRUE); FAILED(hr)) return hr;
    if (bag->entries().size() > kMaxEntries) return E_UNEXPECTED;
    Writer out;
    out.word(kFormat);
    out.word(static_cast<WORD>(bag->entries().size()));
    for (const auto& entry : bag->entries())
        if (hr = writeEntry(out, entry); FAILED(hr)) return hr;
    *bytes = out.data();
    return S_OK;
}

}  // namespace

HRESULT OleControl::IsDirty() {
    // Changes are not tracked, so a container never skips a save it needs.
    return S_OK;
}

HRESULT OleControl::Load(IStream* stream) {
    if (stream == nullptr) return E_POINTER;
    return com::Guarded([&] {
        auto bag = com::Ptr<com::MemoryPropertyBag>::adopt(new com::MemoryPropertyBag());
        HRESULT hr = readBag(stream, bag.get());
        if (FAILED(hr)) return hr;
        com::Ptr<IPersistPropertyBag> persist;
        if (hr = self()->QueryInterface(IID_IPersistPropertyBag, persist.out()); FAILED(hr))
            return hr;
        return persist->Load(bag.get(), nullptr);
    });
}

HRESULT OleControl::Save(IStream* stream, BOOL) {
    if (stream == nullptr) return E_POINTER;
    return com::Guarded([&] {
        std::vector<BYTE> bytes;
        HRESULT hr = saveToBytes(self(), &bytes);
        if (FAILED(hr)) return hr;
        ULONG written = 0;
        hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        if (SUCCEEDED(hr) && written != bytes.size()) hr = STG_E_WRITEFAULT;
        return hr;
    });
}

HRESULT OleControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    return com::Guarded([&] {
        std::vector<BYTE> bytes;
        const HRESULT hr = saveToBytes(self(), &bytes);
        size->QuadPart = SUCCEEDED(hr) ? bytes.size() : 0;
        return hr;
    });
}

HRESULT OleControl::InitNew(IStorage* storage) {
    if (storage == nullptr) return E_POINTER;
    com::Ptr<IPersistPropertyBag> persist;
    const HRESULT hr = self()->QueryInterface(IID_IPersistPropertyBag, persist.out());
    return FAILED(hr) ? hr : persist->InitNew();
}

HRESULT OleControl::Load(IStorage* storage) {
    if (storage == nullptr) return E_POINTER;
    IStream* stream = nullptr;
    HRESULT hr =
        storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (FAILED(hr)) return hr;
    hr = Load(stream);
    stream->Release();
    return hr;
}

HRESULT OleControl::Save(IStorage* storage, BOOL) {
    if (storage == nullptr) return E_POINTER;
    CLSID clsid;
    HRESULT hr = classId(&clsid);
    if (SUCCEEDED(hr)) hr = WriteClassStg(storage, clsid);
    IStream* stream = nullptr;
    if (SUCCEEDED(hr))
        hr = storage->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                   &stream);
    if (FAILED(hr)) return hr;
    hr = Save(stream, TRUE);
    stream->Release();
    return hr;
}

HRESULT OleControl::SaveCompleted(IStorage*) {
    return S_OK;
}

HRESULT OleControl::HandsOffStorage() {
    // No storage is kept between calls.
    return S_OK;
}

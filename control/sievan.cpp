// Sievan: creation, properties, persistence, size and the notification point.
#include "sievan.h"

#include <cmath>
#include <new>

#include "com/guard.h"
#include "com/property_bag.h"
#include "com/variant_value.h"
#include "sievan_members.h"

namespace corvell {

namespace {

constexpr float kWidthTwips = 360.0f;
constexpr float kHeightTwips = 330.0f;
constexpr double kTwipsPerHimetric = 1440.0 / 2540.0;

}  // namespace

Sievan::Sievan()
    : m_notifyPoint(identity(), this), m_eventPoint(identity(), this, DIID___Sievan, true) {}

HRESULT Sievan::Create(REFIID riid, void** object) {
    auto* control = new (std::nothrow) Sievan();
    if (control == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = control->QueryInterface(riid, object);
    control->Release();
    return hr;
}

// ---- properties

HRESULT Sievan::getText(const std::u16string& field, BSTR* value) const {
    if (value == nullptr) return E_POINTER;
    *value = SysAllocStringLen(field.data(), static_cast<UINT>(field.size()));
    return *value == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT Sievan::putText(std::u16string& field, std::u16string_view value, DISPID member) {
    field.assign(value);
    return PropertyChanged(member);
}

HRESULT Sievan::get_Filter(BSTR* value) {
    return getText(m_filter, value);
}
HRESULT Sievan::put_Filter(BSTR v) {
    return com::Guarded([&] { return putText(m_filter, com::View(v), DISPID_SIEVAN_FILTER); });
}
HRESULT Sievan::get_Address(BSTR* value) {
    return getText(m_address, value);
}
HRESULT Sievan::put_Address(BSTR v) {
    return com::Guarded([&] { return putText(m_address, com::View(v), DISPID_SIEVAN_ADDRESS); });
}
HRESULT Sievan::get_Duplicates(BSTR* value) {
    return com::Guarded([&] { return getText(*textField(DISPID_SIEVAN_DUPLICATES), value); });
}
HRESULT Sievan::put_Duplicates(BSTR v) {
    return com::Guarded([&] {
        return putText(*textField(DISPID_SIEVAN_DUPLICATES), com::View(v),
                       DISPID_SIEVAN_DUPLICATES);
    });
}
HRESULT Sievan::get_Count(BSTR* value) {
    return getText(m_count, value);
}
HRESULT Sievan::put_Count(BSTR v) {
    return com::Guarded([&] { return putText(m_count, com::View(v), DISPID_SIEVAN_COUNT); });
}
HRESULT Sievan::get_Filtered(BSTR* value) {
    return getText(m_filtered, value);
}
HRESULT Sievan::put_Filtered(BSTR v) {
    return com::Guarded([&] { return putText(m_filtered, com::View(v), DISPID_SIEVAN_FILTERED); });
}

HRESULT Sievan::get_Done(VARIANT_BOOL* value) {
    if (value == nullptr) return E_POINTER;
    *value = m_done;
    return S_OK;
}

HRESULT Sievan::put_Done(VARIANT_BOOL New_Done) {
    m_done = New_Done;
    return com::Guarded([&] { return PropertyChanged(DISPID_SIEVAN_DONE); });
}

std::u16string* Sievan::textField(DISPID member) {
    switch (member) {
        case DISPID_SIEVAN_FILTER:
            return &m_filter;
        case DISPID_SIEVAN_ADDRESS:
            return &m_address;
        case DISPID_SIEVAN_DUPLICATES:
            settleDuplicates();
            return &m_duplicates;
        case DISPID_SIEVAN_COUNT:
            return &m_count;
        case DISPID_SIEVAN_FILTERED:
            return &m_filtered;
        default:
            return nullptr;
    }
}

// ---- persistence: the container events write the fields directly, so they
// send no change notification.

void Sievan::UserControl_InitProperties() {
    m_done = VARIANT_FALSE;
    settleDuplicates();
    for (std::u16string* field : {&m_filter, &m_address, &m_duplicates, &m_count, &m_filtered})
        field->assign(u"0");
}

HRESULT Sievan::UserControl_ReadProperties(IPropertyBag* PropBag) {
    const com::Variant noFlag = com::Variant::i2(0);
    const com::Variant zero(u"0");
    for (const SievanMember& member : sievanMembers()) {
        if (member.kind == MemberKind::Method) continue;
        const bool isFlag = member.kind == MemberKind::BooleanProperty;
        com::Variant value;
        if (HRESULT hr = com::ReadProperty(PropBag, member.name, isFlag ? noFlag : zero, &value);
            FAILED(hr))
            return hr;
        if (FAILED(VariantChangeType(&value, &value, 0, isFlag ? VT_BOOL : VT_BSTR)))
            return CTL_E_TYPEMISMATCH;
        if (isFlag)
            m_done = value.boolVal;
        else
            textField(member.id)->assign(value.text());
    }
    return S_OK;
}

HRESULT Sievan::UserControl_WriteProperties(IPropertyBag* PropBag) {
    const com::Variant noFlag = com::Variant::i2(0);
    const com::Variant zero(u"0");
    for (const SievanMember& member : sievanMembers()) {
        if (member.kind == MemberKind::Method) continue;
        const bool isFlag = member.kind == MemberKind::BooleanProperty;
        const com::Variant value =
            isFlag ? com::Variant::boolean(m_done) : com::Variant(*textField(member.id));
        if (HRESULT hr = com::WriteProperty(PropBag, member.name, value, isFlag ? noFlag : zero);
            FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT Sievan::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_Sievan;
    return S_OK;
}

HRESULT Sievan::InitNew() {
    return com::Guarded([&] {
        UserControl_InitProperties();
        return S_OK;
    });
}

HRESULT Sievan::Load(IPropertyBag* bag, IErrorLog*) {
    if (bag == nullptr) return E_POINTER;
    return com::Guarded([&] { return UserControl_ReadProperties(bag); });
}

HRESULT Sievan::Save(IPropertyBag* bag, BOOL, BOOL) {
    if (bag == nullptr) return E_POINTER;
    return com::Guarded([&] { return UserControl_WriteProperties(bag); });
}

// ---- size

void Sievan::setSize(float width, float height) {
    if (width == m_width && height == m_height) return;
    m_width = width;
    m_height = height;
    UserControl_Resize();
}

// The control shows nothing but its icon, so it keeps the icon's size
// whatever the container asks for. Each set may raise a nested resize, which
// finds the size already fixed.
void Sievan::UserControl_Resize() {
    setSize(m_width, kHeightTwips);
    setSize(kWidthTwips, m_height);
}

HRESULT Sievan::SetExtent(DWORD drawAspect, SIZEL* size) {
    if (size == nullptr) return E_POINTER;
    if (drawAspect != DVASPECT_CONTENT) return E_INVALIDARG;
    setSize(static_cast<float>(size->cx * kTwipsPerHimetric),
            static_cast<float>(size->cy * kTwipsPerHimetric));
    return S_OK;
}

HRESULT Sievan::GetExtent(DWORD drawAspect, SIZEL* size) {
    if (size == nullptr) return E_POINTER;
    if (drawAspect != DVASPECT_CONTENT) return E_INVALIDARG;
    size->cx = static_cast<LONG>(std::lround(m_width / kTwipsPerHimetric));
    size->cy = static_cast<LONG>(std::lround(m_height / kTwipsPerHimetric));
    return S_OK;
}

// ---- connection points

HRESULT Sievan::EnumConnectionPoints(IEnumConnectionPoints** points) {
    IConnectionPoint* const all[] = {&m_notifyPoint, &m_eventPoint};
    return com::EnumerateConnectionPoints(all, points);
}

HRESULT Sievan::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (IsEqualIID(iid, IID_IPropertyNotifySink))
        *point = &m_notifyPoint;
    else if (IsEqualIID(iid, DIID___Sievan))
        *point = &m_eventPoint;
    else
        return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}

}  // namespace corvell

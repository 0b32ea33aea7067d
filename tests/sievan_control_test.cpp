// The Sievan control as a container sees it: properties, Clean, change
// notifications, saved settings, size, and late binding.
#include "sievan_interface.h"
#include "support/sievan_fixture.h"

namespace corvell::testing {
namespace {

using Names = std::vector<std::u16string>;

const DISPID kTextProperties[] = {DISPID_SIEVAN_FILTER, DISPID_SIEVAN_ADDRESS,
                                  DISPID_SIEVAN_DUPLICATES, DISPID_SIEVAN_COUNT,
                                  DISPID_SIEVAN_FILTERED};

TEST_F(SievanTest, NewInstanceHoldsDefaults) {
    for (DISPID m : kTextProperties) EXPECT_EQ(get(m), u"0");
    EXPECT_EQ(getDone(), VARIANT_FALSE);
    EXPECT_TRUE(sink->changes.empty());
}

TEST_F(SievanTest, EveryPutStoresAndNotifiesByName) {
    for (DISPID m : kTextProperties) {
        ASSERT_EQ(put(m, u"any text, not validated"), S_OK);
        EXPECT_EQ(get(m), u"any text, not validated");
    }
    put(DISPID_SIEVAN_COUNT, u"same");
    put(DISPID_SIEVAN_COUNT, u"same");
    putDone(VARIANT_TRUE);
    EXPECT_EQ(sink->changes, (Names{u"Filter", u"Address", u"Duplicates", u"Count", u"Filtered",
                                    u"Count", u"Count", u"Done"}));
}

TEST_F(SievanTest, RefusedNotificationFailsThePutButKeepsTheValue) {
    sink->refuseWith = E_ACCESSDENIED;
    EXCEPINFO exception{};
    com::Variant value(u"kept");
    EXPECT_EQ(invoke(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &value, nullptr, &exception),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_ACCESSDENIED);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    sink->refuseWith = S_OK;
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"kept");
}

struct CleanCase {
    std::u16string filter;
    std::u16string address;
    bool empties;
};

class CleanTest : public SievanTest, public ::testing::WithParamInterface<CleanCase> {};

TEST_P(CleanTest, EmptiesAddressWhenItContainsFilterPattern) {
    const CleanCase& c = GetParam();
    put(DISPID_SIEVAN_FILTER, c.filter);
    put(DISPID_SIEVAN_ADDRESS, c.address);
    sink->changes.clear();
    ASSERT_EQ(call(DISPID_SIEVAN_CLEAN), S_OK);
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), c.empties ? u"" : c.address);
    EXPECT_EQ(get(DISPID_SIEVAN_FILTERED), c.empties ? u"1" : u"0");
    EXPECT_EQ(sink->changes, c.empties ? (Names{u"Address", u"Filtered"}) : Names{});
}

INSTANTIATE_TEST_SUITE_P(
    Filters, CleanTest,
    ::testing::Values(CleanCase{u"0", u"a0@b.c", true}, CleanCase{u"0", u"a@b.c", false},
                      CleanCase{u"", u"a@b.c", true}, CleanCase{u"", u"", true},
                      CleanCase{u"ABC", u"abc@b.c", false}, CleanCase{u"#", u"a1@b.c", true},
                      CleanCase{u"#", u"a@b.c", false}, CleanCase{u"a?c", u"xabcx", true},
                      CleanCase{u"[xy]@", u"ay@b.c", true}, CleanCase{u"[!a]@", u"a@b.c", false}));

TEST_F(SievanTest, CleanStepsFilteredAsCounterText) {
    put(DISPID_SIEVAN_FILTERED, u"9");
    put(DISPID_SIEVAN_ADDRESS, u"a0@b.c");
    ASSERT_EQ(call(DISPID_SIEVAN_CLEAN), S_OK);
    EXPECT_EQ(get(DISPID_SIEVAN_FILTERED), u"10");
}

TEST_F(SievanTest, CleanWithInvalidPatternChangesNothing) {
    put(DISPID_SIEVAN_FILTER, u"[ab");
    put(DISPID_SIEVAN_ADDRESS, u"a@b.c");
    EXPECT_EQ(call(DISPID_SIEVAN_CLEAN), CTL_E_INVALIDPATTERNSTRING);
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"a@b.c");
    EXPECT_EQ(get(DISPID_SIEVAN_FILTERED), u"0");
}

TEST_F(SievanTest, CleanWithUnreadableFilteredFailsAfterEmptyingAddress) {
    put(DISPID_SIEVAN_FILTERED, u"lots");
    put(DISPID_SIEVAN_ADDRESS, u"a0@b.c");
    EXPECT_EQ(call(DISPID_SIEVAN_CLEAN), CTL_E_TYPEMISMATCH);
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"");
    EXPECT_EQ(get(DISPID_SIEVAN_FILTERED), u"lots");
}

TEST_F(SievanTest, SavingDefaultsLeavesTheBagEmpty) {
    auto* bag = new com::MemoryPropertyBag();
    ASSERT_EQ(persist()->Save(bag, TRUE, FALSE), S_OK);
    EXPECT_TRUE(bag->entries().empty());
    EXPECT_EQ(bag->accessLog(), Names{});
    bag->Release();
}

TEST_F(SievanTest, SettingsSurviveSaveAndLoad) {
    put(DISPID_SIEVAN_COUNT, u"17");
    putDone(VARIANT_TRUE);
    auto* bag = new com::MemoryPropertyBag();
    ASSERT_EQ(persist()->Save(bag, TRUE, FALSE), S_OK);
    ASSERT_EQ(bag->entries().size(), 2u);
    EXPECT_EQ(bag->entries()[0].name, u"Done");
    EXPECT_EQ(bag->entries()[1].name, u"Count");

    com::Ptr<IPersistPropertyBag> loaded;
    ASSERT_EQ(Sievan::Create(IID_IPersistPropertyBag, loaded.out()), S_OK);
    ASSERT_EQ(loaded->Load(bag, nullptr), S_OK);
    EXPECT_EQ(bag->accessLog(), (Names{u"Done", u"Count", u"Done", u"Filter", u"Address",
                                       u"Duplicates", u"Count", u"Filtered"}));
    control = loaded.as<IDispatch>(IID_IDispatch);
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"17");
    EXPECT_EQ(getDone(), VARIANT_TRUE);
    EXPECT_EQ(get(DISPID_SIEVAN_FILTER), u"0");
    bag->Release();
}

TEST_F(SievanTest, LoadingAnEmptyBagGivesTheDefaultsWithoutNotifying) {
    put(DISPID_SIEVAN_ADDRESS, u"changed");
    sink->changes.clear();
    auto* bag = new com::MemoryPropertyBag();
    ASSERT_EQ(persist()->Load(bag, nullptr), S_OK);
    for (DISPID m : kTextProperties) EXPECT_EQ(get(m), u"0");
    EXPECT_EQ(getDone(), VARIANT_FALSE);
    EXPECT_TRUE(sink->changes.empty());
    bag->Release();
}

TEST_F(SievanTest, LoadConvertsStoredValues) {
    auto* bag = new com::MemoryPropertyBag();
    com::Variant five = com::Variant::i2(5);
    com::Variant number = com::Variant::r8(2.5);
    bag->Write(u"Done", &five);
    bag->Write(u"Filtered", &number);
    ASSERT_EQ(persist()->Load(bag, nullptr), S_OK);
    EXPECT_EQ(getDone(), VARIANT_TRUE);
    EXPECT_EQ(get(DISPID_SIEVAN_FILTERED), u"2.5");
    bag->Release();
}

TEST_F(SievanTest, UnconvertibleDoneStopsTheLoad) {
    put(DISPID_SIEVAN_FILTER, u"old");
    auto* bag = new com::MemoryPropertyBag();
    com::Variant notABoolean(u"perhaps");
    com::Variant filter(u"new");
    bag->Write(u"Done", &notABoolean);
    bag->Write(u"Filter", &filter);
    EXPECT_EQ(persist()->Load(bag, nullptr), CTL_E_TYPEMISMATCH);
    EXPECT_EQ(get(DISPID_SIEVAN_FILTER), u"old");
    bag->Release();
}

TEST_F(SievanTest, ControlKeepsItsIconSizeWhateverIsAsked) {
    auto extent = control.as<IControlExtent>(IID_IControlExtent);
    ASSERT_TRUE(extent);
    for (SIZEL asked : {SIZEL{2, 2}, SIZEL{17639, 17639}, SIZEL{635, 582}, SIZEL{0, 0}}) {
        ASSERT_EQ(extent->SetExtent(DVASPECT_CONTENT, &asked), S_OK);
        SIZEL held{};
        ASSERT_EQ(extent->GetExtent(DVASPECT_CONTENT, &held), S_OK);
        EXPECT_EQ(held.cx, 635);
        EXPECT_EQ(held.cy, 582);
    }
}

TEST_F(SievanTest, NamesBindCaseBlindToTheFixedIdentifiers) {
    for (const SievanMember& member : sievanMembers()) {
        std::u16string upper(member.name);
        for (char16_t& c : upper)
            if (c >= u'a' && c <= u'z') c -= 32;
        for (std::u16string name : {std::u16string(member.name), upper}) {
            LPOLESTR names[] = {name.data()};
            DISPID id = 0;
            EXPECT_EQ(control->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
            EXPECT_EQ(id, member.id);
        }
    }
    std::u16string unknown = u"Reset";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(SievanTest, InvokeRejectsMalformedCalls) {
    com::Variant text(u"x");
    DISPPARAMS oneUnnamed{&text, nullptr, 1, 0};
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    auto rawInvoke = [&](DISPID m, WORD flags, DISPPARAMS* p) {
        return control->Invoke(m, GUID_NULL, 0, flags, p, nullptr, nullptr, nullptr);
    };
    EXPECT_EQ(rawInvoke(0x12345, DISPATCH_METHOD, &none), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(rawInvoke(DISPID_SIEVAN_EXTRACT, DISPATCH_METHOD, &oneUnnamed), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(rawInvoke(DISPID_SIEVAN_EXTRACT, DISPATCH_PROPERTYPUT, &oneUnnamed),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(rawInvoke(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &none), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(rawInvoke(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYGET, &oneUnnamed),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(control->Invoke(DISPID_SIEVAN_COUNT, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none,
                              nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);

    VARIANT object;
    VariantInit(&object);
    object.vt = VT_UNKNOWN;
    object.punkVal = nullptr;
    UINT badArgument = 99;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&object, &named, 1, 1};
    EXPECT_EQ(control->Invoke(DISPID_SIEVAN_ADDRESS, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &put,
                              nullptr, nullptr, &badArgument),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(badArgument, 0u);
}

TEST_F(SievanTest, PutsConvertArgumentsToThePropertyType) {
    com::Variant number = com::Variant::i2(42);
    ASSERT_EQ(invoke(DISPID_SIEVAN_COUNT, DISPATCH_PROPERTYPUT, &number), S_OK);
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"42");
    com::Variant text(u"True");
    ASSERT_EQ(invoke(DISPID_SIEVAN_DONE, DISPATCH_PROPERTYPUT, &text), S_OK);
    EXPECT_EQ(getDone(), VARIANT_TRUE);
    com::Bstr byReference(u"by ref");
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_BSTR | VT_BYREF;
    BSTR raw = byReference.get();
    reference.pbstrVal = &raw;
    ASSERT_EQ(invoke(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &reference), S_OK);
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"by ref");
}

TEST_F(SievanTest, DualInterfaceSlotsWorkWithoutDispatch) {
    auto direct = control.as<_Sievan>(IID__Sievan);
    ASSERT_TRUE(direct);
    com::Bstr line(u"mailto:abc@b.c.");
    ASSERT_EQ(direct->put_Address(line.get()), S_OK);
    EXPECT_EQ(line.view(), u"mailto:abc@b.c.");  // the caller keeps its own text
    VARIANT result;
    ASSERT_EQ(direct->Extract(&result), S_OK);
    EXPECT_EQ(result.vt, VT_EMPTY);
    com::Bstr address;
    ASSERT_EQ(direct->get_Address(address.out()), S_OK);
    EXPECT_EQ(address.view(), u"abc@b.c");
    ASSERT_EQ(direct->put_Done(1), S_OK);
    VARIANT_BOOL done = 0;
    direct->get_Done(&done);
    EXPECT_EQ(done, 1);
}

// A sink of the event interface: answers IDispatch only, as script and form
// hosts' event sinks do.
class EventSink final : public com::Object<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return S_OK;
    }
};

TEST_F(SievanTest, ConnectionPointsAreEnumeratedAndTheEventPointTakesDispatchSinks) {
    auto points = control.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
    com::Ptr<IEnumConnectionPoints> all;
    ASSERT_EQ(points->EnumConnectionPoints(reinterpret_cast<IEnumConnectionPoints**>(all.out())),
              S_OK);
    IConnectionPoint* found[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(all->Next(3, found, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    IID iids[2];
    for (ULONG i = 0; i < fetched; ++i) {
        found[i]->GetConnectionInterface(&iids[i]);
        found[i]->Release();
    }
    EXPECT_TRUE(IsEqualIID(iids[0], IID_IPropertyNotifySink));
    EXPECT_TRUE(IsEqualIID(iids[1], DIID___Sievan));

    com::Ptr<IConnectionPoint> events;
    ASSERT_EQ(points->FindConnectionPoint(DIID___Sievan,
                                          reinterpret_cast<IConnectionPoint**>(events.out())),
              S_OK);
    auto* eventSink = new EventSink();
    DWORD eventCookie = 0;
    EXPECT_EQ(events->Advise(eventSink->identity(), &eventCookie), S_OK);
    EXPECT_EQ(extract(u"abc@b.c"), u"abc@b.c");  // the control raises no events
    EXPECT_EQ(events->Unadvise(eventCookie), S_OK);
    EXPECT_EQ(events->Unadvise(eventCookie), CONNECT_E_NOCONNECTION);
    eventSink->Release();

    // A sink of neither interface is refused.
    auto bag = com::Ptr<com::MemoryPropertyBag>::adopt(new com::MemoryPropertyBag());
    EXPECT_EQ(events->Advise(bag.get(), &eventCookie), CONNECT_E_CANNOTCONNECT);
}

}  // namespace
}  // namespace corvell::testing

// No C++ exception leaves the control: allocations that fail on purpose
// (this program replaces operator new) and a container sink that throws must
// come back as error results, and the control must work on afterwards.
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "com/guard.h"
#include "com/server.h"
#include "sievan_interface.h"
#include "support/sievan_fixture.h"

namespace {

// Requests of at least this many bytes fail; SIZE_MAX lets everything through.
std::size_t g_failFrom = SIZE_MAX;

bool failing(std::size_t size) {
    return size >= g_failFrom;
}

}  // namespace

void* operator new(std::size_t size) {
    if (failing(size)) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return failing(size) ? nullptr : std::malloc(size == 0 ? 1 : size);
}
// The replacements allocate with malloc, so they free with free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace corvell::testing {
namespace {

// Large requests fail while one lives.
class FailingLargeAllocations {
public:
    explicit FailingLargeAllocations(std::size_t from = 16 * 1024) { g_failFrom = from; }
    ~FailingLargeAllocations() { g_failFrom = SIZE_MAX; }
};

const std::u16string kLongText(64 * 1024, u'a');

class ExceptionBarrierTest : public SievanTest {
protected:
    void expectUsable() {
        EXPECT_EQ(extract(u"mailto:abc@b.c."), u"abc@b.c");
        EXPECT_EQ(put(DISPID_SIEVAN_FILTER, kLongText), S_OK);
        EXPECT_EQ(get(DISPID_SIEVAN_FILTER), kLongText);
    }
};

TEST_F(ExceptionBarrierTest, FailedAllocationInAPutIsOutOfMemoryThroughExcepInfo) {
    EXCEPINFO exception{};
    com::Variant value(kLongText);
    HRESULT hr;
    {
        FailingLargeAllocations failing;
        hr = invoke(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &value, nullptr, &exception);
    }
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_OUTOFMEMORY);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    expectUsable();
}

// A counter whose step needs one more digit, and cannot have the room, stays as it was.
TEST_F(ExceptionBarrierTest, FailedAllocationInACounterStepLeavesTheCounter) {
    auto typed = control.as<_Sievan>(IID__Sievan);
    ASSERT_TRUE(typed);
    ASSERT_EQ(put(DISPID_SIEVAN_COUNT, u"9999999"), S_OK);
    ASSERT_EQ(typed->put_Address(com::Bstr(u"abc@b.cc").get()), S_OK);
    com::Variant ignored;
    HRESULT extracted;
    {
        FailingLargeAllocations failing(16);
        extracted = typed->Extract(&ignored);
    }
    EXPECT_EQ(extracted, E_OUTOFMEMORY);
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"9999999");
    expectUsable();
}

TEST_F(ExceptionBarrierTest, FailedAllocationInADualSlotIsOutOfMemory) {
    auto typed = control.as<_Sievan>(IID__Sievan);
    ASSERT_TRUE(typed);
    com::Bstr text(kLongText);
    com::Variant ignored;
    HRESULT put;
    HRESULT extracted;
    {
        FailingLargeAllocations failing;
        put = typed->put_Filter(text.get());
    }
    EXPECT_EQ(put, E_OUTOFMEMORY);
    // Extract records a long address in the harvest's seen text.
    ASSERT_EQ(typed->put_Address(com::Bstr(kLongText + u"@b.c").get()), S_OK);
    {
        FailingLargeAllocations failing(kLongText.size());
        extracted = typed->Extract(&ignored);
    }
    EXPECT_EQ(extracted, E_OUTOFMEMORY);
    expectUsable();
}

TEST_F(ExceptionBarrierTest, FactoryThatCannotAllocateReportsOutOfMemory) {
    static constexpr com::ClassEntry kEntry = {
        &CLSID_Sievan, "Sievan", "Corvell.Sievan", "Apartment", true, 0, 0, &Sievan::Create};
    const com::ServerDescription server = {
        {&LIBID_Corvell, "Corvell", "Corvell", 1, 0, 0x409, true}, {&kEntry, 1}, {}};
    com::Ptr<IClassFactory> factory;
    ASSERT_EQ(com::GetClassObject(server, CLSID_Sievan, IID_IClassFactory, factory.out()), S_OK);
    com::Ptr<IDispatch> created;
    HRESULT hr;
    {
        FailingLargeAllocations failing(1);
        hr = factory->CreateInstance(nullptr, IID_IDispatch, created.out());
    }
    EXPECT_EQ(hr, E_OUTOFMEMORY);
    EXPECT_FALSE(created);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, created.out()), S_OK);
}

class ThrowingSink final : public com::Object<IPropertyNotifySink> {
public:
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override { throw std::runtime_error("sink"); }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

TEST_F(ExceptionBarrierTest, AnyOtherExceptionIsUnexpectedAndTheValueStays) {
    ASSERT_EQ(put(DISPID_SIEVAN_FILTER, u""), S_OK);  // Clean then empties every Address
    auto* throwing = new ThrowingSink();
    DWORD throwingCookie = 0;
    ASSERT_EQ(point->Advise(throwing->identity(), &throwingCookie), S_OK);

    EXCEPINFO exception{};
    com::Variant value(u"kept");
    EXPECT_EQ(invoke(DISPID_SIEVAN_ADDRESS, DISPATCH_PROPERTYPUT, &value, nullptr, &exception),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_UNEXPECTED);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"kept");
    EXPECT_EQ(call(DISPID_SIEVAN_CLEAN), E_UNEXPECTED);

    ASSERT_EQ(point->Unadvise(throwingCookie), S_OK);
    throwing->Release();
    // Clean stopped at its first put, as at any failure of a notification.
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"");
    EXPECT_EQ(get(DISPID_SIEVAN_FILTERED), u"0");
    expectUsable();
}

// Without a watcher the record is kept on the control's own thread, after Extract has returned:
// a recording that runs out of memory is reported by the next Extract, once its own work is done.
TEST_F(ExceptionBarrierTest, ARecordingThatFailsLaterIsReportedByTheNextExtract) {
    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(extract(u"a@b.c"), u"a@b.c");
    const std::u16string longAddress(20 * 1024, u'a');
    ASSERT_EQ(put(DISPID_SIEVAN_ADDRESS, longAddress + u"@b.c"), S_OK);
    {
        FailingLargeAllocations failing;
        EXPECT_EQ(call(DISPID_SIEVAN_EXTRACT), S_OK);
        EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"0");  // waits for the recording
    }
    put(DISPID_SIEVAN_ADDRESS, u"<c@d.e>");
    EXPECT_EQ(call(DISPID_SIEVAN_EXTRACT), E_OUTOFMEMORY);
    EXPECT_EQ(get(DISPID_SIEVAN_ADDRESS), u"c@d.e");
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"3");
    // Reported once; the record still answers exactly.
    EXPECT_EQ(extract(u"a@b.c"), u"a@b.c");
    EXPECT_EQ(extract(u"c@d.e"), u"c@d.e");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"2");
    expectUsable();
}

// Without room for the batches its thread needs, the control tests every address itself.
TEST_F(ExceptionBarrierTest, WithoutRoomForItsThreadTheControlTestsEveryAddressItself) {
    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    {
        FailingLargeAllocations failing;
        EXPECT_EQ(extract(u"a@b.c"), u"a@b.c");
    }
    EXPECT_EQ(extract(u"<a@b.c>"), u"a@b.c");
    EXPECT_EQ(extract(u"x@y.z"), u"x@y.z");
    EXPECT_EQ(get(DISPID_SIEVAN_COUNT), u"3");
    EXPECT_EQ(get(DISPID_SIEVAN_DUPLICATES), u"1");
    expectUsable();
}

TEST(GuardTest, TurnsExceptionsIntoResults) {
    EXPECT_EQ(com::Guarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(com::Guarded([]() -> HRESULT { throw std::length_error("long"); }), E_UNEXPECTED);
    EXPECT_EQ(com::Guarded([] { return S_FALSE; }), S_FALSE);
}

}  // namespace
}  // namespace corvell::testing

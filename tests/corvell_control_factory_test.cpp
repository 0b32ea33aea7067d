// Creating Sievan1 through the component layer from the control library
// built beside the tests.
#include "hosting/corvell_control_factory.h"

#include <gtest/gtest.h>

#include "com/ocidl.h"
#include "com/variant_value.h"
#include "corvell_ids.h"
#include "support/qt_print.h"
#include "window/form1.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

TEST(CorvellControlFactoryTest, CreatesSievanWithTheSavedExtent) {
    CorvellControlFactory factory;
    HostedControl hosted = factory.create(Form1::sievan1SavedState());
    ASSERT_TRUE(SUCCEEDED(hosted.status)) << hosted.failure.toStdString();
    ASSERT_TRUE(hosted.control);
    EXPECT_TRUE(hosted.failure.isEmpty());

    const auto extent = hosted.control.as<IControlExtent>(IID_IControlExtent);
    ASSERT_TRUE(extent);
    SIZEL size{};
    ASSERT_EQ(extent->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_GT(size.cx, 0);
    EXPECT_GT(size.cy, 0);
}

TEST(CorvellControlFactoryTest, CreatedControlAnswersByMemberIdentifier) {
    CorvellControlFactory factory;
    HostedControl hosted = factory.create(Form1::sievan1SavedState());
    ASSERT_TRUE(hosted.control);
    com::Variant value;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(hosted.control->Invoke(DISPID_SIEVAN_ADDRESS, GUID_NULL, 0, DISPATCH_PROPERTYGET,
                                     &none, &value, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(value.vt, VT_BSTR);
}

TEST(CorvellControlFactoryTest, UnknownClassFailsWithTheSystemsWords) {
    CorvellControlFactory factory;
    SavedControl unknown = Form1::sievan1SavedState();
    unknown.clsid = {0x0BADC0DE, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
    HostedControl hosted = factory.create(unknown);
    EXPECT_EQ(hosted.status, REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(hosted.control);
    EXPECT_TRUE(hosted.failure.startsWith(u"The Corvell control library could not be loaded"_s));
    EXPECT_TRUE(hosted.failure.contains(u"0x80040154"_s));
}

}  // namespace
}  // namespace rosterly

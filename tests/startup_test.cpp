// Starting the program: the display check and a window that cannot host its
// control.
#include "window/startup.h"

#include "support/form1_fixture.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

QProcessEnvironment environmentWith(std::initializer_list<std::pair<QString, QString>> entries) {
    QProcessEnvironment environment;
    for (const auto& [name, value] : entries) environment.insert(name, value);
    return environment;
}

TEST(MissingDisplayReasonTest, ExplainsWhenThereIsNoDisplay) {
    const QString reason = missingDisplayReason(environmentWith({{u"HOME"_s, u"/root"_s}}));
    EXPECT_TRUE(reason.contains(u"DISPLAY"_s));
    EXPECT_FALSE(missingDisplayReason(environmentWith({{u"DISPLAY"_s, u""_s}})).isEmpty());
}

TEST(MissingDisplayReasonTest, AcceptsX11WaylandOrAnExplicitPlatform) {
    EXPECT_TRUE(missingDisplayReason(environmentWith({{u"DISPLAY"_s, u":0"_s}})).isEmpty());
    EXPECT_TRUE(
        missingDisplayReason(environmentWith({{u"WAYLAND_DISPLAY"_s, u"wayland-0"_s}})).isEmpty());
    EXPECT_TRUE(
        missingDisplayReason(environmentWith({{u"QT_QPA_PLATFORM"_s, u"offscreen"_s}})).isEmpty());
}

class OpenForm1Test : public ::testing::Test {
protected:
    void SetUp() override { testApplication(); }
    RecordingMessageBoxes messageBoxes;
    RecordingCommonDialog dialog;
    FakeControlFactory factory;
};

TEST_F(OpenForm1Test, OpensTheWindowWithoutAMessage) {
    EXPECT_NE(openForm1({messageBoxes, dialog, factory}), nullptr);
    EXPECT_TRUE(messageBoxes.shown.empty());
}

TEST_F(OpenForm1Test, MissingControlLibraryIsReportedOnceAndNoWindowOpens) {
    factory.failWith = REGDB_E_CLASSNOTREG;
    EXPECT_EQ(openForm1({messageBoxes, dialog, factory}), nullptr);
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(messageBoxes.shown[0].text.startsWith(
        u"The Corvell control library could not be loaded"_s));
    EXPECT_TRUE(messageBoxes.shown[0].text.contains(u"not registered"_s));
    EXPECT_TRUE(messageBoxes.shown[0].text.contains(u"0x80040154"_s));
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

}  // namespace
}  // namespace rosterly

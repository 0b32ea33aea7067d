// Form1 as it opens: every control's kind, page, caption, state, place and
// size, the window's frame, and the control it hosts.
#include <QGroupBox>
#include <QTabBar>

#include "corvell_ids.h"
#include "support/form1_fixture.h"
#include "window/picture_button.h"
#include "window/twips.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

struct ControlCase {
    const char* name;
    const char* className;
    int page;  // -1: inside Frame1
    QString text;
    bool visible;
    bool enabled;
    QRect twips;  // left, top, width, height
    friend void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }
};

// Text boxes report their text, labels, buttons and check boxes their caption.
QString textOf(const QWidget* widget) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
    return {};
}

QRect pixels(QRect twips) {
    return QRect(twipsToPixels(twips.x()), twipsToPixels(twips.y()), twipsToPixels(twips.width()),
                 twipsToPixels(twips.height()));
}

class Form1DesignTest : public Form1Test, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(Form1DesignTest, ControlStartsAsDesigned) {
    const ControlCase& expected = GetParam();
    auto* widget = form->findChild<QWidget*>(QLatin1String(expected.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), expected.className);
    EXPECT_EQ(textOf(widget), expected.text);
    EXPECT_EQ(!widget->isHidden(), expected.visible);
    EXPECT_EQ(widget->isEnabled(), expected.enabled);
    if (expected.page < 0) {
        EXPECT_EQ(widget->parentWidget(), form->Frame1);
        EXPECT_EQ(widget->geometry(), pixels(expected.twips));
        return;
    }
    EXPECT_TRUE(form->SSTab1->page(expected.page)->isAncestorOf(widget));
    QRect inTabControl(widget->mapTo(form->SSTab1, QPoint(0, 0)), widget->size());
    // A check box keeps its place but may be taller than designed, so its caption shows whole.
    if (qobject_cast<QCheckBox*>(widget)) {
        EXPECT_GE(inTabControl.height(), pixels(expected.twips).height());
        EXPECT_LE(inTabControl.height(), twipsToPixels(255));
        inTabControl.setHeight(pixels(expected.twips).height());
    }
    EXPECT_EQ(inTabControl, pixels(expected.twips));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, Form1DesignTest,
    ::testing::Values(
        ControlCase{"Label1", "QLabel", 0, u"URL:"_s, true, true, {240, 720, 495, 255}},
        ControlCase{"txtURL", "QLineEdit", 0, u"http://"_s, true, true, {840, 720, 3615, 285}},
        ControlCase{"Label2", "QLabel", 0, u"File:"_s, true, true, {360, 1080, 375, 255}},
        ControlCase{"Text1", "QLineEdit", 0, u"C:\\"_s, true, true, {840, 1080, 3615, 285}},
        ControlCase{
            "Command2", "QPushButton", 0, u"&Browse..."_s, true, true, {3360, 1560, 1095, 375}},
        ControlCase{"Label3", "QLabel", 1, u"File:"_s, true, true, {360, 720, 375, 255}},
        ControlCase{"Text2", "QLineEdit", 1, u"C:\\"_s, true, true, {840, 720, 3615, 285}},
        ControlCase{
            "Command3", "QPushButton", 1, u"&Browse..."_s, true, true, {3240, 1200, 1095, 375}},
        ControlCase{
            "Check1", "QCheckBox", 2, u"S&plit files to"_s, true, true, {120, 480, 1215, 255}},
        ControlCase{"Text3", "QLineEdit", 2, u"1000"_s, true, false, {1299, 480, 735, 285}},
        ControlCase{"Label4", "QLabel", 2, u"addresses"_s, true, true, {2140, 510, 735, 255}},
        ControlCase{
            "Check2", "QCheckBox", 2, u"&Domain sorting"_s, true, true, {120, 720, 2055, 255}},
        ControlCase{"chkSort",
                    "QCheckBox",
                    2,
                    u"&Alphabetical sorting"_s,
                    true,
                    true,
                    {120, 960, 2055, 195}},
        ControlCase{"Check3",
                    "QCheckBox",
                    2,
                    u"&Ignore this domain"_s,
                    false,
                    true,
                    {120, 1200, 1695, 195}},
        ControlCase{"Text4", "QLineEdit", 2, u""_s, false, true, {120, 1440, 2535, 285}},
        ControlCase{"Command1",
                    "rosterly::PictureButton",
                    2,
                    u"&Extract"_s,
                    true,
                    true,
                    {3240, 960, 1095, 735}},
        ControlCase{"Frame1", "QGroupBox", 2, u"Output"_s, true, true, {120, 1920, 4455, 615}},
        ControlCase{"lblEmail", "QLabel", -1, u""_s, true, true, {120, 240, 4215, 255}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Form1Test, CheckBoxesStartUnticked) {
    for (QCheckBox* box : {form->Check1, form->Check2, form->Check3, form->chkSort})
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
}

TEST_F(Form1Test, LabelsAreAlignedAsDesigned) {
    for (QLabel* label : {form->Label1, form->Label2, form->Label3})
        EXPECT_TRUE(label->alignment() & Qt::AlignRight) << label->objectName().toStdString();
    EXPECT_TRUE(form->Label4->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(form->lblEmail->alignment() & Qt::AlignHCenter);
}

TEST_F(Form1Test, WindowHasFixedClientAreaCaptionAndIcon) {
    EXPECT_EQ(form->windowTitle(), u"Rosterly Pro"_s);
    EXPECT_EQ(form->size(), QSize(313, 186));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    const QList<QSize> sizes = form->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_EQ(form->Command1->icon().availableSizes(), sizes);
}

TEST_F(Form1Test, TabControlHasThreePagesWithTheFirstSelected) {
    EXPECT_EQ(form->SSTab1->objectName(), u"SSTab1"_s);
    EXPECT_EQ(form->SSTab1->geometry(), pixels({0, 120, 4695, 2655}));
    ASSERT_EQ(form->SSTab1->tabBar()->count(), 3);
    EXPECT_EQ(form->SSTab1->tabBar()->tabText(0), u"Input File"_s);
    EXPECT_EQ(form->SSTab1->tabBar()->tabText(1), u"Output File"_s);
    EXPECT_EQ(form->SSTab1->tabBar()->tabText(2), u"Extract"_s);
    EXPECT_EQ(form->SSTab1->currentIndex(), 0);
}

TEST_F(Form1Test, SelectingATabShowsOnlyItsPage) {
    form->SSTab1->tabBar()->setCurrentIndex(2);
    EXPECT_TRUE(form->Check1->isVisible());
    EXPECT_FALSE(form->txtURL->isVisible());
    EXPECT_FALSE(form->Text2->isVisible());
}

TEST_F(Form1Test, TabRowLeavesEveryPageControlWhole) {
    for (int page = 0; page < form->SSTab1->count(); ++page)
        for (QWidget* child : form->SSTab1->page(page)->findChildren<QWidget*>())
            EXPECT_GE(child->mapTo(form->SSTab1, QPoint(0, 0)).y(),
                      form->SSTab1->tabBar()->geometry().bottom() + 1)
                << child->objectName().toStdString();
}

TEST_F(Form1Test, HiddenHelpersStartEmpty) {
    EXPECT_TRUE(form->rchFile.text().isEmpty());
    EXPECT_EQ(form->CD1.filter(), u"All Files | *."_s);
}

TEST_F(Form1Test, HostsSievanCreatedFromTheSavedForm) {
    ASSERT_TRUE(factory.requested.has_value());
    EXPECT_TRUE(IsEqualCLSID(factory.requested->clsid, CLSID_Sievan));
    EXPECT_EQ(factory.requested->extentX, 635);
    EXPECT_EQ(factory.requested->extentY, 582);
    EXPECT_EQ(form->Sievan1(), static_cast<IDispatch*>(&factory.control));
}

TEST_F(Form1Test, ClosingTheWindowReleasesTheControl) {
    EXPECT_EQ(factory.control.references, 2u);
    form.reset();
    EXPECT_EQ(factory.control.references, 1u);
}

}  // namespace
}  // namespace rosterly

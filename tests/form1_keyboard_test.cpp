// Form1 by keyboard and screen reader: where focus starts, the Tab order, access keys, page
// keys, and the names controls are read out by.
#include <QAccessible>

#include "support/form1_fixture.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

class Form1KeyboardTest : public Form1Test {
protected:
    void SetUp() override {
        Form1Test::SetUp();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    QString focusName() const { return focus() ? focus()->objectName() : u"<none>"_s; }
    void pressTab() { QTest::keyClick(focus(), Qt::Key_Tab); }
    void pressAlt(char key) { QTest::keyClick(form.get(), key, Qt::AltModifier); }
};

TEST_F(Form1KeyboardTest, WindowOpensWithFocusOnTheTabRow) {
    EXPECT_EQ(focus(), form->SSTab1->tabBar());
}

TEST_F(Form1KeyboardTest, FocusOrderFollowsTheDesign) {
    const QList<QWidget*> expected = {form->SSTab1->tabBar(), form->txtURL, form->Text1,
                                      form->Command2,         form->Text2,  form->Command3,
                                      form->Check1,           form->Text3,  form->Command1,
                                      form->Check2,           form->Text4,  form->Check3,
                                      form->chkSort};
    QList<QWidget*> chain;
    for (QWidget* w = form->SSTab1->tabBar(); chain.size() < expected.size();
         w = w->nextInFocusChain()) {
        if (expected.contains(w)) chain << w;
        if (w->nextInFocusChain() == form->SSTab1->tabBar()) break;
    }
    EXPECT_EQ(chain, expected);
}

TEST_F(Form1KeyboardTest, TabWalksTheVisiblePageInDesignOrder) {
    pressTab();
    EXPECT_EQ(focusName(), u"txtURL"_s);
    pressTab();
    EXPECT_EQ(focusName(), u"Text1"_s);
    pressTab();
    EXPECT_EQ(focusName(), u"Command2"_s);
}

TEST_F(Form1KeyboardTest, TabOnTheExtractPageSkipsDisabledAndHiddenControls) {
    showPage(2);
    form->Check1->setFocus();
    pressTab();  // Text3 is disabled
    EXPECT_EQ(focusName(), u"Command1"_s);
    pressTab();
    EXPECT_EQ(focusName(), u"Check2"_s);
    pressTab();  // Text4 and Check3 are hidden
    EXPECT_EQ(focusName(), u"chkSort"_s);
}

struct AccessKeyCase {
    char key;
    const char* box;
    friend void PrintTo(const AccessKeyCase& c, std::ostream* os) {
        *os << "Alt+" << c.key << " " << c.box;
    }
};

class Form1AccessKeyTest : public Form1KeyboardTest,
                           public ::testing::WithParamInterface<AccessKeyCase> {};

TEST_P(Form1AccessKeyTest, AltKeyTogglesItsCheckBox) {
    showPage(2);
    form->Check2->setChecked(GetParam().box == std::string("Check3"));
    auto* box = form->findChild<QCheckBox*>(QLatin1String(GetParam().box));
    ASSERT_NE(box, nullptr);
    const bool before = box->isChecked();
    pressAlt(GetParam().key);
    // Check boxes answer their access key with an animated, deferred click.
    QTRY_COMPARE(box->isChecked(), !before);
    EXPECT_EQ(focus(), box);
}

INSTANTIATE_TEST_SUITE_P(Keys, Form1AccessKeyTest,
                         ::testing::Values(AccessKeyCase{'P', "Check1"},
                                           AccessKeyCase{'D', "Check2"},
                                           AccessKeyCase{'A', "chkSort"},
                                           AccessKeyCase{'I', "Check3"}),
                         [](const auto& param) { return std::string(param.param.box); });

TEST_F(Form1KeyboardTest, AltBBrowsesOnTheVisiblePage) {
    dialog.answers = {u"/tmp/in.txt"_s, u"/tmp/out.doc"_s};
    pressAlt('B');
    QTRY_COMPARE(form->Text1->text(), u"/tmp/in.txt"_s);
    showPage(1);
    pressAlt('B');
    QTRY_COMPARE(form->Text2->text(), u"/tmp/out.doc"_s);
    EXPECT_EQ(dialog.calls.filter(u"show"_s), (QStringList{u"showOpen"_s, u"showSave"_s}));
}

TEST_F(Form1KeyboardTest, AltEPressesExtract) {
    showPage(2);
    bool pressed = false;
    QObject::connect(form->Command1, &QPushButton::clicked, [&] { pressed = true; });
    pressAlt('E');
    QTRY_VERIFY(pressed);
}

TEST_F(Form1KeyboardTest, CtrlTabStepsThroughThePagesBothWaysAndWraps) {
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(focus(), key, modifiers);
        return form->SSTab1->currentIndex();
    };
    form->txtURL->setFocus();
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), 1);
    EXPECT_EQ(focus(), form->SSTab1->tabBar());  // the hidden page's field gave it up
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), 2);
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), 0);
    EXPECT_EQ(press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), 2);
    EXPECT_EQ(press(Qt::Key_PageUp, Qt::ControlModifier), 1);
    EXPECT_EQ(press(Qt::Key_PageDown, Qt::ControlModifier), 2);
    form->Check1->setFocus();
    EXPECT_EQ(press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), 1);
    EXPECT_TRUE(form->Text2->isVisible());
}

TEST_F(Form1KeyboardTest, PageKeysDoNothingWhileTheRunLocksThePages) {
    form->SSTab1->setEnabled(false);
    QTest::keyClick(form.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form->SSTab1->currentIndex(), 0);
}

TEST_F(Form1KeyboardTest, LabelsNameTheirFields) {
    EXPECT_EQ(form->Label1->buddy(), form->txtURL);
    EXPECT_EQ(form->Label2->buddy(), form->Text1);
    EXPECT_EQ(form->Label3->buddy(), form->Text2);
    EXPECT_EQ(form->Label4->buddy(), form->Text3);
}

// What a screen reader reads for each control: a name of its own, and the two "File:" fields
// told apart.
TEST_F(Form1KeyboardTest, EveryControlHasAnAccessibleName) {
    tick(form->Check2);
    QList<QWidget*> controls = {form->SSTab1, form->SSTab1->tabBar()};
    for (int page = 0; page < form->SSTab1->count(); ++page) {
        controls << form->SSTab1->page(page);
        controls << form->SSTab1->page(page)->findChildren<QWidget*>();
    }
    QStringList names;
    for (QWidget* control : controls) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr) << control->objectName().toStdString();
        const QString name = accessible->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << control->objectName().toStdString();
        if (qobject_cast<QLineEdit*>(control)) names << name;
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 5) << names.join(u", ").toStdString();
}

}  // namespace
}  // namespace rosterly

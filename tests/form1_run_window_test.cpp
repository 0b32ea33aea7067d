// The window's path fields as the harvest run and the size warning read them: "~/" paths start
// in the home directory.
#include "support/harvest_fixture.h"

namespace rosterly {
namespace {

using namespace Qt::StringLiterals;

class Form1RunWindowTest : public HarvestTest {
protected:
    void SetUp() override {
        HarvestTest::SetUp();
        home = qgetenv("HOME");
        qputenv("HOME", work.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("HOME", home); }
    QByteArray home;
};

TEST_F(Form1RunWindowTest, TildePathsInBothFieldsAreInTheHomeDirectory) {
    writeFile(inputPath(), "mailto:ann@example.com\r\n");
    form->Text1->setText(u"~/input.txt"_s);
    form->Text2->setText(u"~/list.doc"_s);
    harvestNamed();
    EXPECT_EQ(output(), "ann@example.com\r\n<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(1, 0)});
    EXPECT_EQ(form->Text2->text(), u"~/list.doc"_s);  // the field keeps what the user typed
}

TEST_F(Form1RunWindowTest, SizeWarningLooksAtTheTildeOutputPath) {
    writeFile(outputPath(), QByteArray(20001, 'a'));
    form->Text2->setText(u"~/list.doc"_s);
    form->SSTab1->setCurrentIndex(2);
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    QTest::mouseClick(form->chkSort, Qt::LeftButton);
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].icon, MessageIcon::Exclamation);
}

}  // namespace
}  // namespace rosterly

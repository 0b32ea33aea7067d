// Whole runs in the offscreen window, from the "&Extract" click to the last box, with the real
// harvesting control: the fields' check, the list sources of every option, the failure report.
#include "support/harvest_fixture.h"

namespace rosterly {
namespace {

using Form1HarvestTest = HarvestTest;

const QByteArray kMixedInput =
    "Contact: Alice <ALICE@Example.COM>\r\n"
    "no address here\r\n"
    "bob@example.org; and more\r\n"
    "alice@example.com again\r\n"
    "1digit@example.com\r\n"
    "\r\n"
    "xbob@example.org\r\n"
    "b@example.org\r\n"
    "zed@other.net";

TEST_F(Form1HarvestTest, ShortInputPathSelectsInputPageAndStartsNothing) {
    form->Text1->setText(QStringLiteral("C:\\"));
    form->Text2->setText(QStringLiteral("C:"));
    form->SSTab1->setCurrentIndex(2);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, "Invalid input file or address!");
    EXPECT_EQ(messageBoxes.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(messageBoxes.shown[0].caption, "");
    EXPECT_EQ(form->SSTab1->currentIndex(), 0);
    EXPECT_TRUE(form->SSTab1->isEnabled());
}

TEST_F(Form1HarvestTest, ShortOutputPathSelectsOutputPage) {
    form->Text1->setText(QStringLiteral("/x/y"));
    form->Text2->setText(QStringLiteral("abc"));
    form->SSTab1->setCurrentIndex(2);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, "Invalid output file!");
    EXPECT_EQ(messageBoxes.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_TRUE(fakeTransfer.fetched.isEmpty());
}

TEST_F(Form1HarvestTest, TenCharacterAddressIsUrlModeWhateverTheFileField) {
    form->txtURL->setText(QStringLiteral("http://a.b"));
    form->Text1->setText(QStringLiteral("C:"));
    fakeTransfer.document = "see me@a.b\n";
    harvestNamed();
    EXPECT_EQ(fakeTransfer.fetched, QStringList{"http://a.b"});
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(1, 0)});
}

TEST_F(Form1HarvestTest, PlainRunListsNewAcceptableAddressesInInputOrder) {
    harvest(kMixedInput);
    EXPECT_EQ(output(),
              "alice@example.com\r\nbob@example.org\r\nxbob@example.org\r\nb@example.org\r\n"
              "zed@other.net\r\n<END>");
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text, shortSummary(5, 1));
    EXPECT_EQ(messageBoxes.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(messageBoxes.shown[0].caption, "");
    EXPECT_TRUE(form->SSTab1->isEnabled());
    EXPECT_EQ(form->lblEmail->text(), "");
    EXPECT_EQ(form->Bin, "");
}

TEST_F(Form1HarvestTest, MissingInputWritesEmptyListThenReportsFailure) {
    form->Text1->setText(workPath(QStringLiteral("absent.txt")));
    harvestNamed();
    EXPECT_EQ(output(), "<END>");
    ASSERT_EQ(messageBoxes.shown.size(), 2u);
    EXPECT_EQ(messageBoxes.shown[0].text, shortSummary(0, 0));
    EXPECT_EQ(messageBoxes.shown[1].text, "File not found.");
    EXPECT_EQ(messageBoxes.shown[1].caption, "Error");
    EXPECT_EQ(messageBoxes.shown[1].icon, MessageIcon::Critical);
    EXPECT_TRUE(form->SSTab1->isEnabled());
}

}  // namespace
}  // namespace rosterly

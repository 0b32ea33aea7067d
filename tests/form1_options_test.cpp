// Form1's option interlocks, URL mode, the Browse buttons and the size
// warning of alphabetical sorting.
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include "support/form1_fixture.h"

using namespace Qt::StringLiterals;

namespace rosterly {
namespace {

class Form1OptionsTest : public Form1Test {
protected:
    void SetUp() override {
        Form1Test::SetUp();
        showPage(2);
    }
};

TEST_F(Form1OptionsTest, SplitEnablesItsSizeBox) {
    tick(form->Check1);
    EXPECT_TRUE(form->Text3->isEnabled());
    click(form->Check1);
    EXPECT_FALSE(form->Text3->isEnabled());
}

TEST_F(Form1OptionsTest, SplitCannotBeTickedWhileDomainSortingIs) {
    tick(form->Check2);
    click(form->Check1);
    EXPECT_FALSE(form->Check1->isChecked());
    EXPECT_FALSE(form->Text3->isEnabled());
    EXPECT_TRUE(form->Check2->isChecked());
}

TEST_F(Form1OptionsTest, DomainSortingUnticksSplitAndShowsIgnoreOptions) {
    tick(form->Check1);
    click(form->Check2);
    EXPECT_TRUE(form->Check2->isChecked());
    EXPECT_FALSE(form->Check1->isChecked());
    EXPECT_FALSE(form->Text3->isEnabled());
    EXPECT_TRUE(form->Check3->isVisible());
    EXPECT_TRUE(form->Text4->isVisible());
}

TEST_F(Form1OptionsTest, UntickingDomainSortingHidesIgnoreOptionsButKeepsTheirValues) {
    tick(form->Check2);
    tick(form->Check3);
    form->Text4->setText(u"Example.COM "_s);
    click(form->Check2);
    EXPECT_FALSE(form->Check3->isVisible());
    EXPECT_FALSE(form->Text4->isVisible());
    EXPECT_TRUE(form->Check3->isChecked());
    EXPECT_EQ(form->Text4->text(), u"Example.COM "_s);
    click(form->Check2);
    EXPECT_TRUE(form->Check3->isVisible());
    EXPECT_TRUE(form->Text4->isEnabled());
}

TEST_F(Form1OptionsTest, DomainTextStartsEnabledUntilIgnoreIsToggled) {
    tick(form->Check2);
    EXPECT_TRUE(form->Text4->isEnabled());
    EXPECT_FALSE(form->Check3->isChecked());
    click(form->Check3);
    EXPECT_TRUE(form->Text4->isEnabled());
    click(form->Check3);
    EXPECT_FALSE(form->Text4->isEnabled());
}

TEST_F(Form1OptionsTest, SettingABoxFromCodeRunsItsHandlerAtOnceAndOnlyOnChange) {
    form->Check1->setChecked(true);
    EXPECT_TRUE(form->Text3->isEnabled());
    form->Text3->setEnabled(false);
    form->Check1->setChecked(true);  // no change: the handler does not run
    EXPECT_FALSE(form->Text3->isEnabled());
    form->Check2->setChecked(true);  // unticks Check1 nested, which disables Text3
    EXPECT_FALSE(form->Check1->isChecked());
    EXPECT_FALSE(form->Text3->isEnabled());
}

struct UrlCase {
    const char* name;
    QString text;
    bool urlMode;
    friend void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.name; }
};

class Form1UrlModeTest : public Form1OptionsTest, public ::testing::WithParamInterface<UrlCase> {};

TEST_P(Form1UrlModeTest, MoreThanNineCharactersSwitchUrlModeOn) {
    tick(form->Check2);
    tick(form->Check3);
    tick(form->chkSort);
    setUrlText(GetParam().text);
    for (QCheckBox* box : {form->chkSort, form->Check1, form->Check2, form->Check3}) {
        EXPECT_EQ(box->isEnabled(), !GetParam().urlMode) << box->objectName().toStdString();
        if (GetParam().urlMode) {
            EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, Form1UrlModeTest,
                         ::testing::Values(UrlCase{"NineCharacters", u"http://ab"_s, false},
                                           UrlCase{"TenCharacters", u"http://abc"_s, true},
                                           UrlCase{"TenCharactersOfAnything", u"C:\\lists\\a"_s,
                                                   true},
                                           UrlCase{"Empty", u""_s, false}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(Form1OptionsTest, UrlModeRunsTheHandlersOfTheBoxesItUnticks) {
    tick(form->Check1);
    setUrlText(u"http://example.com"_s);
    EXPECT_FALSE(form->Text3->isEnabled());
    setUrlText(u"http://"_s);
    tick(form->Check2);
    tick(form->Check3);
    setUrlText(u"http://example.com"_s);
    EXPECT_FALSE(form->Check3->isVisible());
    EXPECT_FALSE(form->Text4->isVisible());
    EXPECT_FALSE(form->Text4->isEnabled());
}

TEST_F(Form1OptionsTest, LeavingUrlModeEnablesTheBoxesUnticked) {
    tick(form->Check1);
    setUrlText(u"http://abc"_s);
    QTest::keyClick(form->txtURL, Qt::Key_Backspace);
    ASSERT_EQ(form->txtURL->text(), u"http://ab"_s);
    for (QCheckBox* box : {form->chkSort, form->Check1, form->Check2, form->Check3}) {
        EXPECT_TRUE(box->isEnabled()) << box->objectName().toStdString();
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    }
    EXPECT_FALSE(form->Text3->isEnabled());
    EXPECT_FALSE(form->Check3->isVisible());
}

TEST_F(Form1OptionsTest, TypingTheTenthCharacterSwitchesUrlModeOn) {
    form->txtURL->setFocus();
    form->txtURL->end(false);
    QTest::keyClicks(form->txtURL, u"ab"_s);
    EXPECT_TRUE(form->Check1->isEnabled());
    QTest::keyClicks(form->txtURL, u"c"_s);
    EXPECT_FALSE(form->Check1->isEnabled());
}

// --- Browse

TEST_F(Form1Test, BrowseForInputPutsTheChosenFileIntoText1) {
    form->Text1->setText(u"C:\\old\\path.txt"_s);
    dialog.calls.clear();
    dialog.answers = {u"/home/ann/addresses.txt"_s};
    showPage(0);
    click(form->Command2);
    EXPECT_EQ(form->Text1->text(), u"/home/ann/addresses.txt"_s);
    EXPECT_EQ(dialog.calls, (QStringList{u"setFilter(All Files | *.)"_s, u"showOpen"_s}));
}

TEST_F(Form1Test, BrowseForOutputPutsTheChosenFileIntoText2) {
    dialog.calls.clear();
    dialog.answers = {u"/home/ann/list.doc"_s};
    showPage(1);
    click(form->Command3);
    EXPECT_EQ(form->Text2->text(), u"/home/ann/list.doc"_s);
    EXPECT_EQ(dialog.calls, (QStringList{u"setFilter(Word Files | *.doc)"_s, u"showSave"_s}));
}

TEST_F(Form1Test, CancelledBrowseLeavesTheFieldsUnchanged) {
    click(form->Command2);
    showPage(1);
    click(form->Command3);
    EXPECT_EQ(form->Text1->text(), u"C:\\"_s);
    EXPECT_EQ(form->Text2->text(), u"C:\\"_s);
}

TEST_F(Form1Test, TheLastFilterSetStaysInTheSharedDialog) {
    showPage(1);
    click(form->Command3);
    EXPECT_EQ(form->CD1.filter(), u"Word Files | *.doc"_s);
    showPage(0);
    click(form->Command2);
    EXPECT_EQ(form->CD1.filter(), u"All Files | *."_s);
}

// --- Size warning

class Form1SizeWarningTest : public Form1OptionsTest {
protected:
    QString outputFileOf(qsizetype characters) {
        const QString path = m_dir.filePath(u"list.doc"_s);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(characters, 'a'));
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_F(Form1SizeWarningTest, WarnsAboutOutputFilesOfMoreThan20000Characters) {
    form->Text2->setText(outputFileOf(20001));
    tick(form->Check2);
    click(form->chkSort);
    ASSERT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_EQ(messageBoxes.shown[0].text,
              u"Using Alphabetical sorting and\r\nDomain sorting with this file\r\n"
              "may cause your system to not\r\nrespond!"_s);
    EXPECT_EQ(messageBoxes.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(messageBoxes.shown[0].caption.isEmpty());
    EXPECT_TRUE(form->chkSort->isChecked());
    EXPECT_TRUE(form->rchFile.text().isEmpty());
}

TEST_F(Form1SizeWarningTest, JudgesHugeAndEndlessFilesWithoutReadingThemWhole) {
    form->Text2->setText(outputFileOf(8 << 20));
    tick(form->Check2);
    click(form->chkSort);
    EXPECT_EQ(messageBoxes.shown.size(), 1u);
    click(form->chkSort);
    // Neither is a list file: an endless device and a FIFO without a writer are not read.
    const QString fifo = m_dir.filePath(u"fifo.doc"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {u"/dev/zero"_s, fifo}) {
        form->Text2->setText(path);
        click(form->chkSort);
        click(form->chkSort);
    }
    EXPECT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_TRUE(form->rchFile.text().isEmpty());
}

TEST_F(Form1SizeWarningTest, ThreeByteCharactersCountAsCharacters) {
    const QString path = m_dir.filePath(u"euro.doc"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray euros;
    for (int i = 0; i < 20000; ++i) euros += "\xE2\x82\xAC";  // 20000 characters, 60000 bytes
    file.write(euros);
    file.close();
    form->Text2->setText(path);
    tick(form->Check2);
    click(form->chkSort);
    EXPECT_TRUE(messageBoxes.shown.empty());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\xE2\x82\xAC");
    file.close();
    click(form->chkSort);
    click(form->chkSort);
    EXPECT_EQ(messageBoxes.shown.size(), 1u);
}

TEST_F(Form1SizeWarningTest, StaysQuietAt20000Characters) {
    form->Text2->setText(outputFileOf(20000));
    tick(form->Check2);
    click(form->chkSort);
    EXPECT_TRUE(messageBoxes.shown.empty());
    EXPECT_TRUE(form->rchFile.text().isEmpty());
}

TEST_F(Form1SizeWarningTest, WarnsOnlyWithDomainSortingAndOnlyWhenTicking) {
    form->Text2->setText(outputFileOf(30000));
    click(form->chkSort);
    click(form->chkSort);
    tick(form->chkSort);
    click(form->Check2);   // domain sorting after alphabetical: no test
    click(form->chkSort);  // unticking
    EXPECT_TRUE(messageBoxes.shown.empty());
}

TEST_F(Form1SizeWarningTest, MissingFileTestsWhatTheBufferHeld) {
    form->Text2->setText(m_dir.filePath(u"absent.doc"_s));
    tick(form->Check2);
    form->rchFile.setText(QString(20001, u'x'));
    click(form->chkSort);
    EXPECT_EQ(messageBoxes.shown.size(), 1u);
    EXPECT_TRUE(form->rchFile.text().isEmpty());
    click(form->chkSort);
    click(form->chkSort);
    EXPECT_EQ(messageBoxes.shown.size(), 1u);
}

}  // namespace
}  // namespace rosterly

// Whole runs in the offscreen window, from the "&Extract" click to the last box, with the real
// harvesting control: the fields' check, the list sources of every option, the failure report.
#include <QTimer>

#include "corvell_ids.h"
#include "harvest_run.h"
#include "support/harvest_fixture.h"

namespace rosterly {
namespace {

using Form1HarvestTest = HarvestTest;

// The control's Count, read by member identifier as any late-binding client does.
QString controlCount(IDispatch* control) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    if (FAILED(control->Invoke(DISPID_SIEVAN_COUNT, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                               &result, nullptr, nullptr)) ||
        result.vt != VT_BSTR)
        return QStringLiteral("(failed)");
    const QString count = QString::fromUtf16(reinterpret_cast<const char16_t*>(result.bstrVal),
                                             SysStringLen(result.bstrVal));
    VariantClear(&result);
    return count;
}

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

TEST_F(Form1HarvestTest, WildcardCharactersAreLiteralAndCauseNoFailure) {
    harvest("ab@x.cc\r\na*b@x.cc\r\na?b@x.cc\r\na#b@x.cc\r\n[a@x.cc\r\na[b]@x.cc\r\n");
    EXPECT_EQ(output(),
              "ab@x.cc\r\na*b@x.cc\r\na?b@x.cc\r\na#b@x.cc\r\n[a@x.cc\r\na[b]@x.cc\r\n<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(6, 0)});
}

TEST_F(Form1HarvestTest, InvalidUtf8BytesAreReadAsWindows1252AndWrittenAsUtf8) {
    harvest("CAF\xc9@x.cc\r\ncaf\xc3\xa9@x.cc\r\n\xc3\x89T\xc3\x89@X.CC\r\n");
    EXPECT_EQ(output(), "caf\xc3\xa9@x.cc\r\n\xc3\xa9t\xc3\xa9@x.cc\r\n<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(2, 1)});
}

TEST_F(Form1HarvestTest, EveryKindOfLineEndEndsALineInOneFile) {
    harvest("first@a.cc\nsecond@b.cc\r\nthird@c.cc\rfourth@d.cc\n\rfifth@e.cc");
    EXPECT_EQ(output(),
              "first@a.cc\r\nsecond@b.cc\r\nthird@c.cc\r\nfourth@d.cc\r\nfifth@e.cc\r\n<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(5, 0)});
}

// A tab-separated export, NUL and other control bytes around addresses: each is read as a space,
// so no list entry ever holds one.
TEST_F(Form1HarvestTest, ControlCharactersNeverReachTheList) {
    static const char input[] =
        "Ann\tann@example.com\tParis\n"
        "\0bug-list@gnu.org\0\n"
        "x\x01y@b.cc\x7f\x1b[0m\n"
        "tab@inside\t.cc\n";
    harvest(QByteArray(input, sizeof input - 1));
    EXPECT_EQ(output(), "ann@example.com\r\nbug-list@gnu.org\r\ny@b.cc\r\n<END>");
}

// A line far longer than any address, with its address near the end: found all the same.
TEST_F(Form1HarvestTest, AddressAtTheEndOfAVeryLongLine) {
    harvest(QByteArray(3 << 20, 'x') + " far@away.cc\nnear@by.cc\n" + QByteArray(3 << 20, 'y') +
            "@too.long.cc");
    EXPECT_EQ(output(), "far@away.cc\r\nnear@by.cc\r\n<END>");
}

TEST_F(Form1HarvestTest, SameAddressInTwoRunsIsAcceptedInBoth) {
    harvest("a@b.cc\r\nA@B.CC\r\n");
    harvest("a@b.cc\r\n");
    EXPECT_EQ(output(), "a@b.cc\r\n<END>");
    EXPECT_EQ(boxTexts(), (QStringList{shortSummary(1, 1), shortSummary(1, 0)}));
}

TEST_F(Form1HarvestTest, ControlCountersGrowAcrossRuns) {
    harvest("a@b.cc\r\nc@d.cc\r\nnothing\r\n");
    const QString afterOne = controlCount(form->Sievan1());
    harvest("a@b.cc\r\nc@d.cc\r\nnothing\r\n");
    const QString afterTwo = controlCount(form->Sievan1());
    EXPECT_GT(afterOne.toInt(), 0);
    EXPECT_EQ(afterTwo.toInt(), 2 * afterOne.toInt()) << qPrintable(afterTwo);
}

TEST_F(Form1HarvestTest, UnwritableOutputShowsOnlyFailureAndNextRunCountsFromZero) {
    writeFile(workPath(QStringLiteral("plain")), "x");
    form->Text2->setText(workPath(QStringLiteral("plain/list.doc")));
    harvest("a@b.cc\r\na@b.cc\r\n");
    EXPECT_EQ(boxTexts(), QStringList{"File not found."});
    EXPECT_TRUE(form->SSTab1->isEnabled());
    form->Text2->setText(outputPath());
    harvest("c@d.cc\r\n");
    EXPECT_EQ(boxTexts().last(), shortSummary(1, 0));
}

TEST_F(Form1HarvestTest, ClosingWindowDuringRunEndsItWithoutBoxes) {
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    harvest("a@b.cc\r\nc@d.cc\r\ne@f.cc\r\n");
    EXPECT_TRUE(boxTexts().isEmpty());
    EXPECT_TRUE(form->SSTab1->isEnabled());
    EXPECT_EQ(form->run().AcceptedCount, 0);
    EXPECT_EQ(form->lblEmail->text(), "");
    EXPECT_TRUE(QFile(inputPath()).open(QIODevice::ReadWrite));
}

TEST_F(Form1HarvestTest, StatusLineShowsAcceptedAddressWhenWindowPaints) {
    QStringList painted;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { painted << form->lblEmail->text(); });
    probe.start(0);
    harvest("first@a.cc\r\n");
    ASSERT_FALSE(painted.isEmpty());
    EXPECT_EQ(painted.first(), "first@a.cc");
    EXPECT_EQ(form->lblEmail->text(), "");
}

}  // namespace
}  // namespace rosterly

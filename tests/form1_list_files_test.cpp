// The files a run writes, by the options of the run: the list file in plain or RTF form, the
// piece files of a split run, domain groups and sorting, and their summaries.
#include "support/harvest_fixture.h"

namespace rosterly {
namespace {

// `count` distinct addresses, one per CR LF line, in the order given.
QByteArray addressLines(int count, const char* domain = "example.com") {
    QByteArray lines;
    for (int i = 1; i <= count; ++i)
        lines += "user" + QByteArray::number(i) + "@" + domain + "\r\n";
    return lines;
}

QByteArray listOf(const QList<QByteArray>& addresses) {
    QByteArray text;
    for (const QByteArray& address : addresses) text += address + "\r\n";
    return text + "<END>";
}

// What an RTF reader shows for a list: its lines with LF ends.
QString rtfListOf(const QStringList& addresses) {
    QString text;
    for (const QString& address : addresses) text += address + u'\n';
    return text + QStringLiteral("<END>");
}

bool isRtf(const QByteArray& bytes) {
    return bytes.startsWith("{\\rtf1");
}

class Form1ListFilesTest : public HarvestTest {
protected:
    void split(const QString& size) {
        QTest::mouseClick(form->Check1, Qt::LeftButton);
        form->Text3->setText(size);
    }
};

const QByteArray kUnsorted = "m@b.cc\r\nZed@a.cc\r\nab@b.cc\r\nab.c@a.cc\r\nm@b.cc\r\n";

TEST_F(Form1ListFilesTest, AlphabeticalListIsSortedRtf) {
    harvest(kUnsorted, {form->chkSort});
    ASSERT_TRUE(isRtf(output()));
    EXPECT_EQ(rtfText(outputPath()), rtfListOf({"ab.c@a.cc", "ab@b.cc", "m@b.cc", "zed@a.cc"}));
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(4, 1)});
}

TEST_F(Form1ListFilesTest, DomainListGroupsByWholeDomainInOrderOfArrivalAsPlainText) {
    harvest("a1@d1.cc\r\nb1@d2.cc\r\nb2@d2.cc\r\na2@d1.cc\r\nx@yd1.cc\r\nc@D1.CC\r\n",
            {form->Check2});
    EXPECT_EQ(output(),
              listOf({"a1@d1.cc", "a2@d1.cc", "c@d1.cc", "b1@d2.cc", "b2@d2.cc", "x@yd1.cc"}));
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(6, 0)});
}

TEST_F(Form1ListFilesTest, DomainAndAlphabeticalOrdersGroupsByFirstAddress) {
    harvest("z@d1.cc\r\nb@d2.cc\r\na@d1.cc\r\n", {form->Check2, form->chkSort});
    EXPECT_EQ(output(), listOf({"b@d2.cc", "z@d1.cc", "a@d1.cc"}));
}

TEST_F(Form1ListFilesTest, IgnoredDomainIsLeftOutButCounted) {
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    QTest::mouseClick(form->Check3, Qt::LeftButton);
    form->Text4->setText(QStringLiteral(" Skip.CC "));
    harvest("first@skip.cc\r\nkeep@other.cc\r\nsub@mail.skip.cc\r\nagain@skip.cc\r\n");
    EXPECT_EQ(output(), listOf({"keep@other.cc", "sub@mail.skip.cc"}));
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(4, 0)});
}

TEST_F(Form1ListFilesTest, EmptyIgnoredDomainIgnoresNothing) {
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    QTest::mouseClick(form->Check3, Qt::LeftButton);
    harvest("a@b.cc\r\n");
    EXPECT_EQ(output(), listOf({"a@b.cc"}));
}

TEST_F(Form1ListFilesTest, EmptyDomainListStillWritesEndMarkerAndSummary) {
    QTest::mouseClick(form->Check2, Qt::LeftButton);
    QTest::mouseClick(form->Check3, Qt::LeftButton);
    form->Text4->setText(QStringLiteral("b.cc"));
    harvest("a@b.cc\r\nno address\r\n");
    EXPECT_EQ(output(), "<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(1, 0)});
    harvest("c@d.cc\r\n");
    EXPECT_EQ(boxTexts().last(), shortSummary(1, 0));
}

TEST_F(Form1ListFilesTest, SplitWritesFullPlainPiecesAndRtfRestWithOutputLeftEmpty) {
    split(QStringLiteral("1000"));
    harvest(addressLines(2500));
    const QByteArray all = addressLines(2500);
    const QList<QByteArray> lines = all.trimmed().split('\n');
    auto piece = [&](int from, int count) {
        QList<QByteArray> part;
        for (int i = from; i < from + count; ++i) part << lines[i].trimmed();
        return part;
    };
    EXPECT_EQ(fileBytes(piecePath(1)), listOf(piece(0, 1000)));
    EXPECT_EQ(fileBytes(piecePath(2)), listOf(piece(1000, 1000)));
    ASSERT_TRUE(isRtf(fileBytes(piecePath(3))));
    QStringList rest;
    for (const QByteArray& a : piece(2000, 500)) rest << QString::fromLatin1(a);
    EXPECT_EQ(rtfText(piecePath(3)), rtfListOf(rest));
    EXPECT_FALSE(QFile::exists(piecePath(4)));
    EXPECT_EQ(output(), "");
    EXPECT_EQ(boxTexts(), QStringList{splitSummary(2500, 0)});
}

TEST_F(Form1ListFilesTest, SplitOfExactMultipleEndsWithEmptyRtfPiece) {
    split(QStringLiteral("2"));
    harvest(addressLines(4));
    EXPECT_EQ(fileBytes(piecePath(2)), listOf({"user3@example.com", "user4@example.com"}));
    ASSERT_TRUE(isRtf(fileBytes(piecePath(3))));
    EXPECT_EQ(rtfText(piecePath(3)), QStringLiteral("<END>"));
}

TEST_F(Form1ListFilesTest, PieceSizeTextDecidesAddressesPerPiece) {
    struct Case {
        const char* text;
        int perPiece;
    };
    for (const Case& c : {Case{"1", 1}, Case{"0", 1}, Case{"", 1}, Case{"many", 1}, Case{"2.5", 3},
                          Case{" 2", 2}}) {
        SCOPED_TRACE(c.text);
        QDir(programDir.path()).removeRecursively();
        QDir().mkpath(programDir.path());
        form->Text3->setText(QString::fromLatin1(c.text));
        split(QString::fromLatin1(c.text));
        harvest(addressLines(6));
        QTest::mouseClick(form->Check1, Qt::LeftButton);  // unticks for the next case
        const int full = 6 / c.perPiece;
        for (int n = 1; n <= full; ++n) {
            EXPECT_EQ(fileBytes(piecePath(n)).count("\r\n"), c.perPiece) << n;
            EXPECT_FALSE(isRtf(fileBytes(piecePath(n))));
        }
        EXPECT_TRUE(isRtf(fileBytes(piecePath(full + 1))));
        EXPECT_FALSE(QFile::exists(piecePath(full + 2)));
    }
}

TEST_F(Form1ListFilesTest, ShorterRunLeavesHigherPiecesOfEarlierRun) {
    split(QStringLiteral("1"));
    harvest(addressLines(4, "old.cc"));
    harvest(addressLines(2, "new.cc"));
    EXPECT_EQ(fileBytes(piecePath(1)), listOf({"user1@new.cc"}));
    EXPECT_EQ(fileBytes(piecePath(2)), listOf({"user2@new.cc"}));
    EXPECT_EQ(rtfText(piecePath(3)), QStringLiteral("<END>"));
    EXPECT_EQ(fileBytes(piecePath(4)), listOf({"user4@old.cc"}));
    EXPECT_EQ(rtfText(piecePath(5)), QStringLiteral("<END>"));
}

TEST_F(Form1ListFilesTest, SplitWithSortingSortsEachPieceOnItsOwn) {
    split(QStringLiteral("2"));
    harvest("d@x.cc\r\nc@x.cc\r\nb@x.cc\r\na@x.cc\r\ne@x.cc\r\n", {form->chkSort});
    EXPECT_EQ(fileBytes(piecePath(1)), listOf({"c@x.cc", "d@x.cc"}));
    EXPECT_EQ(fileBytes(piecePath(2)), listOf({"a@x.cc", "b@x.cc"}));
    EXPECT_EQ(rtfText(piecePath(3)), rtfListOf({"e@x.cc"}));
    EXPECT_EQ(boxTexts(), QStringList{splitSummary(5, 0)});
}

TEST_F(Form1ListFilesTest, LargeSortedPiecesAndManyDomainsLoseNoAddress) {
    split(QStringLiteral("4000"));
    harvest(addressLines(4500), {form->chkSort});
    EXPECT_EQ(fileBytes(piecePath(1)).count("\r\n"), 4000);
    EXPECT_EQ(rtfText(piecePath(2)).count(u'\n'), 500);
    QTest::mouseClick(form->Check2, Qt::LeftButton);  // unticks split
    QByteArray manyDomains;
    for (int i = 0; i < 3500; ++i) manyDomains += "a@d" + QByteArray::number(i) + ".cc\r\n";
    harvest(manyDomains);
    EXPECT_EQ(output().count("\r\n"), 3500);
}

TEST_F(Form1ListFilesTest, AlphabeticalListHoldsEveryAddressBeyondThreeThousand) {
    harvest(addressLines(3500), {form->chkSort});
    EXPECT_EQ(rtfText(outputPath()).count(u'\n'), 3500);
}

TEST_F(Form1ListFilesTest, HundredThousandAddressesGiveTrueCounts) {
    harvest(addressLines(100000) + addressLines(10));
    EXPECT_EQ(output().count("\r\n"), 100000);
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(100000, 10)});
}

TEST_F(Form1ListFilesTest, UnwritableProgramDirectoryKeepsRunGoingAndReportsFailure) {
    // Tests run as root: a directory below a regular file can never be created.
    writeFile(workPath(QStringLiteral("plain")), "x");
    Form1::Creation creation = Form1::create(
        {messageBoxes, dialog, controls, &fakeTransfer, workPath(QStringLiteral("plain/dir"))});
    ASSERT_TRUE(creation.form);
    form = std::move(creation.form);
    split(QStringLiteral("1"));
    harvest(addressLines(3));
    EXPECT_EQ(boxTexts(), (QStringList{splitSummary(3, 0), QStringLiteral("File not found.")}));
    EXPECT_TRUE(form->SSTab1->isEnabled());
}

}  // namespace
}  // namespace rosterly

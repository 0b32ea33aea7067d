// Runs from a web address in the offscreen window, fetching over libcurl from a server of the
// test's own on 127.0.0.1: the temporary file, and fetches that fail.
#include <QTimer>

#include <cstdlib>

#include "curl_transfer.h"
#include "support/harvest_fixture.h"
#include "support/local_server.h"

namespace rosterly {
namespace {

const std::string kPage =
    "<html>\n<p>Write to <a href=\"mailto:Info@Example.COM\">Info@Example.COM</a></p>\n"
    "<p>or sales@example.com</p>\n<p>info@example.com</p>\n</html>\n";

class Form1UrlHarvestTest : public HarvestTest {
protected:
    void SetUp() override {
        ::setenv("no_proxy", "*", 1);
        TransferLimits limits;
        limits.connectTimeout = std::chrono::seconds(5);
        limits.stallTimeout = std::chrono::seconds(2);
        curl = std::make_unique<CurlTransfer>(limits);
        HarvestTest::SetUp();
    }
    InternetTransfer* transfer() override { return curl.get(); }

    void harvestUrl(const QString& url) {
        form->txtURL->setText(url);
        harvestNamed();
    }
    QString temporaryFile() const { return programDir.filePath(QStringLiteral("temp.doc")); }

    std::unique_ptr<CurlTransfer> curl;
    LocalServer server{{{"/page", plain(200, kPage)},
                        {"/moved", redirectTo("/page")},
                        {"/empty", plain(200, "")}}};
};

TEST_F(Form1UrlHarvestTest, PageIsSavedWithCrLfLinesAndHarvested) {
    harvestUrl(server.url("/page"));
    EXPECT_EQ(output(), "info@example.com\r\nsales@example.com\r\n<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(2, 1)});
    QByteArray expected = QByteArray::fromStdString(kPage);
    expected.replace("\n", "\r\n");
    EXPECT_EQ(fileBytes(temporaryFile()), expected);
}

TEST_F(Form1UrlHarvestTest, RedirectIsFollowed) {
    harvestUrl(server.url("/moved"));
    EXPECT_EQ(output(), "info@example.com\r\nsales@example.com\r\n<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(2, 1)});
}

TEST_F(Form1UrlHarvestTest, FailedFetchesHarvestNothingAndReportFailure) {
    for (const QString& url :
         {server.url("/missing"), QStringLiteral("http://127.0.0.1:%1/page").arg(closedPort())}) {
        SCOPED_TRACE(url.toStdString());
        writeFile(temporaryFile(), "old@copy.cc\r\n");
        messageBoxes.shown.clear();
        harvestUrl(url);
        EXPECT_EQ(fileBytes(temporaryFile()), "");
        EXPECT_EQ(output(), "<END>");
        EXPECT_EQ(boxTexts(), (QStringList{shortSummary(0, 0), QStringLiteral("File not found.")}));
        EXPECT_TRUE(
            messageBoxes.shown.back().details.contains(QStringLiteral("Web address \"") + url))
            << messageBoxes.shown.back().details.toStdString();
        EXPECT_TRUE(form->SSTab1->isEnabled());
    }
}

TEST_F(Form1UrlHarvestTest, FetchedPageWithMixedLineEndsIsReadLineByLine) {
    LocalServer mixed({{"/mixed", plain(200, "a@b.cc\nc@d.cc\re@f.cc\r\n\ng@h.cc")}});
    harvestUrl(mixed.url("/mixed"));
    EXPECT_EQ(fileBytes(temporaryFile()), "a@b.cc\r\nc@d.cc\r\ne@f.cc\r\n\r\ng@h.cc");
    EXPECT_EQ(output(), "a@b.cc\r\nc@d.cc\r\ne@f.cc\r\ng@h.cc\r\n<END>");
}

// While a server keeps the window waiting, the window still paints and answers; closing it
// abandons the fetch instead of waiting for the server to be given up on.
TEST_F(Form1UrlHarvestTest, ClosingWindowDuringStalledFetchCancelsIt) {
    LocalServer stalled({{"/stall", stall()}});
    writeFile(temporaryFile(), "old@copy.cc\r\n");
    QString shownDuringFetch;
    QTimer::singleShot(300, form.get(), [&] {
        shownDuringFetch = form->lblEmail->text();
        form->close();
    });
    harvestUrl(stalled.url("/stall"));
    EXPECT_EQ(shownDuringFetch, "Retrieving...");
    EXPECT_TRUE(boxTexts().isEmpty());
    EXPECT_TRUE(form->SSTab1->isEnabled());
    EXPECT_EQ(fileBytes(temporaryFile()), "old@copy.cc\r\n");
}

TEST_F(Form1UrlHarvestTest, EmptyPageIsNoFailure) {
    harvestUrl(server.url("/empty"));
    EXPECT_EQ(output(), "<END>");
    EXPECT_EQ(boxTexts(), QStringList{shortSummary(0, 0)});
}

TEST_F(Form1UrlHarvestTest, UnwritableProgramDirectoryGivesNoLines) {
    writeFile(workPath(QStringLiteral("plain")), "x");
    Form1::Creation creation = Form1::create(
        {messageBoxes, dialog, controls, curl.get(), workPath(QStringLiteral("plain/dir"))});
    ASSERT_TRUE(creation.form);
    form = std::move(creation.form);
    harvestUrl(server.url("/page"));
    EXPECT_EQ(output(), "<END>");
    EXPECT_EQ(boxTexts(), (QStringList{shortSummary(0, 0), QStringLiteral("File not found.")}));
}

}  // namespace
}  // namespace rosterly

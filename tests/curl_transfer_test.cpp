// Fetches against a small HTTP server of the test's own on 127.0.0.1; nothing else is contacted.
#include "curl_transfer.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/local_server.h"

namespace rosterly {
namespace {

class CurlTransferTest : public ::testing::Test {
protected:
    // A proxy from the environment would carry the test's requests off the machine.
    void SetUp() override { ::setenv("no_proxy", "*", 1); }

    // The document as it arrived, or empty after a failure, and the fetch's outcome.
    struct Fetched {
        Status status = Status::success();
        QByteArray document;
        bool ok() const { return status.ok(); }
        QString reason() const { return status.message(); }
    };
    Fetched fetch(const QString& url, TransferLimits limits = shortLimits()) {
        CurlTransfer transfer(limits);
        transfer.setUrl(url);
        Fetched fetched;
        fetched.status = transfer.fetch(
            [&](QByteArrayView bytes) {
                fetched.document += bytes;
                return Status::success();
            },
            [] { return true; });
        if (!fetched.ok()) fetched.document.clear();
        return fetched;
    }
    static TransferLimits shortLimits() {
        TransferLimits limits;
        limits.connectTimeout = std::chrono::seconds(5);
        limits.stallTimeout = std::chrono::seconds(1);
        return limits;
    }
};

TEST_F(CurlTransferTest, StartsWithFtpSchemeAlone) {
    EXPECT_EQ(CurlTransfer().url(), "ftp://");
}

TEST_F(CurlTransferTest, FetchesWholePage) {
    LocalServer server({{"/page", plain(200, "one\r\ntwo a@b.cc\r\n")}});
    const Fetched result = fetch(server.url("/page"));
    ASSERT_TRUE(result.ok()) << result.reason().toStdString();
    EXPECT_EQ(result.document, "one\r\ntwo a@b.cc\r\n");
}

TEST_F(CurlTransferTest, FetchesEmptyPageAsEmptyDocument) {
    LocalServer server({{"/empty", plain(200, "")}});
    const Fetched result = fetch(server.url("/empty"));
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result.document.isEmpty());
}

TEST_F(CurlTransferTest, HttpErrorStatusIsFailureWithoutDocument) {
    LocalServer server({{"/gone", plain(410, "error page text")}});
    for (const char* path : {"/missing", "/gone"}) {
        const Fetched result = fetch(server.url(path));
        EXPECT_FALSE(result.ok()) << path;
        EXPECT_FALSE(result.reason().isEmpty());
        EXPECT_TRUE(result.document.isEmpty());
    }
}

TEST_F(CurlTransferTest, ClosedPortIsFailure) {
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort());
    EXPECT_FALSE(fetch(url).ok());
}

TEST_F(CurlTransferTest, FollowsRedirects) {
    LocalServer server({{"/old", redirectTo("/older")},
                        {"/older", redirectTo("/new")},
                        {"/new", plain(200, "moved here")}});
    const Fetched result = fetch(server.url("/old"));
    ASSERT_TRUE(result.ok()) << result.reason().toStdString();
    EXPECT_EQ(result.document, "moved here");
}

TEST_F(CurlTransferTest, GivesUpOnRedirectLoop) {
    LocalServer server({{"/a", redirectTo("/b")}, {"/b", redirectTo("/a")}});
    EXPECT_FALSE(fetch(server.url("/a")).ok());
}

TEST_F(CurlTransferTest, FollowsTenRedirectsButNotEleven) {
    std::map<std::string, Reply> routes{{"/0", plain(200, "end")}};
    for (int i = 1; i <= 11; ++i) {
        routes["/" + std::to_string(i)] = redirectTo("/" + std::to_string(i - 1));
    }
    LocalServer server(std::move(routes));
    EXPECT_TRUE(fetch(server.url("/10")).ok());
    EXPECT_FALSE(fetch(server.url("/11")).ok());
}

TEST_F(CurlTransferTest, RefusesDocumentOverSizeCap) {
    LocalServer server({{"/declared", plain(200, std::string(2000, 'x'))},
                        {"/undeclared", unsizedBody(200000)},
                        {"/fits", unsizedBody(1000)}});
    TransferLimits limits = shortLimits();
    limits.maxDocumentBytes = 1000;
    for (const char* path : {"/declared", "/undeclared"}) {
        const Fetched result = fetch(server.url(path), limits);
        EXPECT_FALSE(result.ok()) << path;
        EXPECT_TRUE(result.reason().contains("larger")) << result.reason().toStdString();
        EXPECT_TRUE(result.document.isEmpty());
    }
    EXPECT_TRUE(fetch(server.url("/fits"), limits).ok());
}

TEST_F(CurlTransferTest, GivesUpOnStalledServer) {
    LocalServer server({{"/stall", stall()}});
    EXPECT_FALSE(fetch(server.url("/stall")).ok());
}

TEST_F(CurlTransferTest, AsksToGoOnWhileServerIsSilentAndStopsWhenTold) {
    LocalServer server({{"/stall", stall()}});
    CurlTransfer transfer(shortLimits());
    transfer.setUrl(server.url("/stall"));
    int asked = 0;
    const Status status = transfer.fetch([](QByteArrayView) { return Status::success(); },
                                         [&] { return ++asked < 3; });
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(status.ok());
    EXPECT_TRUE(status.message().contains(u"cancelled")) << status.message().toStdString();
}

TEST_F(CurlTransferTest, SinkFailureStopsFetchWithItsReason) {
    LocalServer server({{"/big", unsizedBody(200000)}});
    CurlTransfer transfer(shortLimits());
    transfer.setUrl(server.url("/big"));
    qint64 taken = 0;
    const Status status = transfer.fetch(
        [&](QByteArrayView bytes) {
            taken += bytes.size();
            return Status::failure(QStringLiteral("disk full"));
        },
        [] { return true; });
    EXPECT_EQ(status.message(), "disk full");
    EXPECT_LT(taken, 200000);
}

TEST_F(CurlTransferTest, RefusesOtherSchemes) {
    // A redirect may not lead out of the allowed schemes either.
    LocalServer server({{"/to-file", redirectTo("file:///etc/hostname")}});
    for (const QString& url : {QStringLiteral("file:///etc/hostname"),
                               QStringLiteral("gopher://127.0.0.1/"), server.url("/to-file")}) {
        const Fetched result = fetch(url);
        EXPECT_FALSE(result.ok()) << url.toStdString();
        EXPECT_TRUE(result.document.isEmpty());
    }
}

}  // namespace
}  // namespace rosterly

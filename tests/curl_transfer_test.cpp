// Fetches against a small HTTP server of the test's own on 127.0.0.1; nothing else is contacted.
#include "curl_transfer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>

namespace rosterly {
namespace {

// What the server does with one request: writes a reply on the socket, or holds it open.
using Reply = std::function<void(int socket, const std::atomic<bool>& stopping)>;

void sendAll(int socket, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += size_t(n);
    }
}

Reply plain(int status, const std::string& body, const std::string& extraHeaders = {}) {
    return [=](int socket, const std::atomic<bool>&) {
        sendAll(socket, "HTTP/1.1 " + std::to_string(status) +
                            " X\r\nContent-Length: " + std::to_string(body.size()) +
                            "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body);
    };
}

Reply redirectTo(const std::string& path) {
    return plain(302, "", "Location: " + path + "\r\n");
}

// A body without a declared length, so only the receiving side can notice its size.
Reply unsizedBody(size_t bytes) {
    return [=](int socket, const std::atomic<bool>&) {
        sendAll(socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(bytes, 'x'));
    };
}

Reply stall() {
    return [](int, const std::atomic<bool>& stopping) {
        while (!stopping) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
}

// Serves one connection at a time on a free port of 127.0.0.1, by request path.
class LocalServer {
public:
    explicit LocalServer(std::map<std::string, Reply> routes) : m_routes(std::move(routes)) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_listener, 8) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "test server cannot listen";
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LocalServer() {
        m_stopping = true;
        m_thread.join();
        ::close(m_listener);
    }

    QString url(const std::string& path) const {
        return QString::fromStdString("http://127.0.0.1:" + std::to_string(m_port) + path);
    }

private:
    void serve() {
        while (!m_stopping) {
            pollfd waiting{m_listener, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int socket = ::accept(m_listener, nullptr, nullptr);
            if (socket < 0)
                continue;
            answer(socket);
            ::close(socket);
        }
    }
    void answer(int socket) {
        std::string request;
        char chunk[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            request.append(chunk, size_t(n));
        }
        const size_t pathStart = request.find(' ') + 1;
        const std::string path =
            request.substr(pathStart, request.find(' ', pathStart) - pathStart);
        const auto route = m_routes.find(path);
        if (route == m_routes.end()) {
            plain(404, "no such page")(socket, m_stopping);
        } else {
            route->second(socket, m_stopping);
        }
    }

    std::map<std::string, Reply> m_routes;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

quint16 closedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

class CurlTransferTest : public ::testing::Test {
protected:
    // A proxy from the environment would carry the test's requests off the machine.
    void SetUp() override { ::setenv("no_proxy", "*", 1); }

    FetchResult fetch(const QString& url, TransferLimits limits = shortLimits()) {
        CurlTransfer transfer(limits);
        transfer.setUrl(url);
        return transfer.fetch();
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
    const FetchResult result = fetch(server.url("/page"));
    ASSERT_TRUE(result.ok()) << result.reason().toStdString();
    EXPECT_EQ(result.document(), "one\r\ntwo a@b.cc\r\n");
}

TEST_F(CurlTransferTest, FetchesEmptyPageAsEmptyDocument) {
    LocalServer server({{"/empty", plain(200, "")}});
    const FetchResult result = fetch(server.url("/empty"));
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result.document().isEmpty());
}

TEST_F(CurlTransferTest, HttpErrorStatusIsFailureWithoutDocument) {
    LocalServer server({{"/gone", plain(410, "error page text")}});
    for (const char* path : {"/missing", "/gone"}) {
        const FetchResult result = fetch(server.url(path));
        EXPECT_FALSE(result.ok()) << path;
        EXPECT_FALSE(result.reason().isEmpty());
        EXPECT_TRUE(result.document().isEmpty());
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
    const FetchResult result = fetch(server.url("/old"));
    ASSERT_TRUE(result.ok()) << result.reason().toStdString();
    EXPECT_EQ(result.document(), "moved here");
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
        const FetchResult result = fetch(server.url(path), limits);
        EXPECT_FALSE(result.ok()) << path;
        EXPECT_TRUE(result.reason().contains("larger")) << result.reason().toStdString();
        EXPECT_TRUE(result.document().isEmpty());
    }
    EXPECT_TRUE(fetch(server.url("/fits"), limits).ok());
}

TEST_F(CurlTransferTest, GivesUpOnStalledServer) {
    LocalServer server({{"/stall", stall()}});
    EXPECT_FALSE(fetch(server.url("/stall")).ok());
}

TEST_F(CurlTransferTest, RefusesOtherSchemes) {
    // A redirect may not lead out of the allowed schemes either.
    LocalServer server({{"/to-file", redirectTo("file:///etc/hostname")}});
    for (const QString& url : {QStringLiteral("file:///etc/hostname"),
                               QStringLiteral("gopher://127.0.0.1/"), server.url("/to-file")}) {
        const FetchResult result = fetch(url);
        EXPECT_FALSE(result.ok()) << url.toStdString();
        EXPECT_TRUE(result.document().isEmpty());
    }
}

}  // namespace
}  // namespace rosterly

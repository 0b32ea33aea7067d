// A small HTTP server of a test's own on 127.0.0.1, answering by request path; nothing else is
// contacted. Tests that use it should set no_proxy=* so no proxy carries their requests away.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>

namespace rosterly {

// What the server does with one request: writes a reply on the socket, or holds it open.
using Reply = std::function<void(int socket, const std::atomic<bool>& stopping)>;

inline void sendAll(int socket, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += size_t(n);
    }
}

inline Reply plain(int status, const std::string& body, const std::string& extraHeaders = {}) {
    return [=](int socket, const std::atomic<bool>&) {
        sendAll(socket, "HTTP/1.1 " + std::to_string(status) +
                            " X\r\nContent-Length: " + std::to_string(body.size()) +
                            "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body);
    };
}

inline Reply redirectTo(const std::string& path) {
    return plain(302, "", "Location: " + path + "\r\n");
}

// A body without a declared length, so only the receiving side can notice its size.
inline Reply unsizedBody(size_t bytes) {
    return [=](int socket, const std::atomic<bool>&) {
        sendAll(socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(bytes, 'x'));
    };
}

inline Reply stall() {
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
            if (::poll(&waiting, 1, 20) <= 0) continue;
            const int socket = ::accept(m_listener, nullptr, nullptr);
            if (socket < 0) continue;
            answer(socket);
            ::close(socket);
        }
    }
    void answer(int socket) {
        std::string request;
        char chunk[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
            if (n <= 0) return;
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

inline quint16 closedPort() {
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

}  // namespace rosterly

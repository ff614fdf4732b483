// The server module over real sockets on 127.0.0.1: answers, security
// headers, slow clients dropped, connections over the cap refused at once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "FakeGuestCatalog.h"
#include "requests/GuestLimits.h"
#include "requests/RequestServer.h"

namespace cx {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// From 127.0.0.1, or from 127.2.0.0 + `source` when `source` is not 0.
int Connect(int port, unsigned source = 0) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (source != 0) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl((127u << 24) | (2u << 16) | source);
        bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads what the server sends (into `text` when given) until it closes the
// connection, true, or `wait` passes, false.
bool ClosedWithin(int fd, std::chrono::milliseconds wait, std::string* text = nullptr) {
    const auto deadline = Clock::now() + wait;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) <= 0) return false;
        char buffer[4096];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return true;
        if (text) text->append(buffer, static_cast<std::size_t>(got));
    }
}

class RequestServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        m_server = MakeRequestServerFrom(CX_REQUESTS_MODULE, &why);
        ASSERT_TRUE(m_server) << why;
        ASSERT_EQ(m_server->Start("127.0.0.1", 0, m_api), "");
        ASSERT_GT(m_server->Port(), 0);
    }

    std::string Get(const std::string& target) {
        const int fd = Connect(m_server->Port());
        const std::string request = "GET " + target +
                                    " HTTP/1.1\r\nHost: x\r\nX-Join-Code: " + m_desk.JoinCode() +
                                    "\r\nConnection: close\r\n\r\n";
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::string reply;
        ClosedWithin(fd, 5s, &reply);
        close(fd);
        return reply;
    }

    RequestDesk m_desk;
    FakeGuestCatalog m_catalog;
    GuestApi m_api{m_desk, m_catalog, {{"en", {}}}, "en"};
    std::unique_ptr<RequestServer> m_server;
};

TEST_F(RequestServerTest, AnswersOverASocketWithSecurityHeaders) {
    struct Case {
        std::string target, status;
    };
    const Case cases[] = {{"/api/check", "HTTP/1.1 200"},
                          {"/api/search?q=Title%2042", "HTTP/1.1 200"},
                          {"/../../etc/passwd", "HTTP/1.1 404"},
                          {"/%2e%2e/%2e%2e/etc/passwd", "HTTP/1.1 404"},
                          {"/app.js", "HTTP/1.1 200"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string reply = Get(c.target);
        EXPECT_EQ(reply.substr(0, c.status.size()), c.status) << reply.substr(0, 200);
        for (const char* header :
             {"Content-Security-Policy: default-src 'self'", "X-Content-Type-Options: nosniff",
              "Referrer-Policy: no-referrer", "Cache-Control: no-store"})
            EXPECT_NE(reply.find(header), std::string::npos) << header;
        EXPECT_EQ(reply.find("root:"), std::string::npos);
    }
    EXPECT_NE(Get("/api/search?q=Title%2042").find("\"title\":\"Title 42\""), std::string::npos);
}

TEST_F(RequestServerTest, AClientThatSendsSlowlyIsDropped) {
    const int silent = Connect(m_server->Port());
    const int dripping = Connect(m_server->Port());
    send(silent, "GET / HTTP/1.1\r\n", 16, MSG_NOSIGNAL);
    const auto start = Clock::now();
    bool dropped = false;
    // One byte every 300 ms never finishes the headers before the deadline.
    while (!dropped && Clock::now() - start < std::chrono::seconds(kGuestIdleSeconds + 3)) {
        send(dripping, "X", 1, MSG_NOSIGNAL);
        dropped = ClosedWithin(dripping, 300ms);
    }
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(ClosedWithin(silent, 3s));
    close(silent);
    close(dripping);
}

TEST_F(RequestServerTest, IdleConnectionsMakeRoomForAGuestsCall) {
    std::vector<int> idle;
    for (std::size_t i = 0; i < kMaxGuestConnectionsPerAddress + 8; ++i)
        idle.push_back(Connect(m_server->Port()));
    std::this_thread::sleep_for(200ms);
    const auto start = Clock::now();
    EXPECT_EQ(Get("/api/check").substr(0, 12), "HTTP/1.1 200");
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_TRUE(ClosedWithin(idle.front(), 1s));  // the longest idle went first
    for (const int fd : idle) close(fd);
}

TEST_F(RequestServerTest, BusyConnectionsOverTheCapsGetANewOneClosedAtOnce) {
    struct Case {
        const char* what;
        std::size_t connections;
        bool manySources;
    };
    const Case cases[] = {{"from one address", kMaxGuestConnectionsPerAddress, false},
                          {"in all", kMaxGuestConnections, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> busy;
        for (std::size_t i = 0; i < c.connections; ++i) {
            busy.push_back(
                Connect(m_server->Port(), c.manySources ? static_cast<unsigned>(i + 1) : 0));
            send(busy.back(), "GET / HTTP/1.1\r\n", 16, MSG_NOSIGNAL);  // a call begun, never ended
        }
        // Time for every one to be accepted and begin its call.
        std::this_thread::sleep_for(1s);
        const int extra = Connect(m_server->Port(), c.manySources ? 60000 : 0);
        // Well before the idle time would end it.
        EXPECT_TRUE(ClosedWithin(extra, std::chrono::seconds(kGuestIdleSeconds - 2)));
        close(extra);
        for (const int fd : busy) close(fd);
        std::this_thread::sleep_for(300ms);
    }
    EXPECT_EQ(Get("/api/check").substr(0, 12), "HTTP/1.1 200");
}

}  // namespace
}  // namespace cx

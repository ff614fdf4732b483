// The request page's HTTP server: cpp-httplib parses HTTP; this file bounds
// what any client may hold (connections, time per request, body size) and
// hands every call to the GuestHandler. Built as a module the player opens on
// first use.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "requests/GuestLimits.h"
#include "requests/RequestServerModule.h"

namespace cx {

namespace {

// Calls one connection may make before it is closed (keep-alive).
constexpr int kMaxCallsPerConnection = 100;
constexpr std::size_t kReadBufferBytes = 4096;
constexpr int kListenBacklog = 256;

using Clock = std::chrono::steady_clock;

// Set on the accepting thread while a connection over the cap is closed, and
// on a worker when a reply leaves part of the request unread.
thread_local bool t_refuseConnection = false;
thread_local bool t_closeAfterReply = false;
// Whether the GuestHandler made this reply (otherwise the HTTP library did,
// for a request it could not read).
thread_local bool t_handlerAnswered = false;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = poll(&entry, 1, MillisecondsLeft(deadline));
        if (ready > 0) return (entry.revents & (events | POLLHUP | POLLERR)) != 0;
        if (ready == 0 || errno != EINTR) return false;
    }
}

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

// A socket stream whose every read and write ends by one deadline, so a
// client that sends (or reads) a byte at a time is dropped all the same.
class DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(int fd, Clock::time_point deadline) : m_fd(fd), m_deadline(deadline) {}

    bool is_readable() const override {
        return m_begin < m_end || WaitFor(m_fd, POLLIN, m_deadline);
    }
    bool is_writable() const override { return WaitFor(m_fd, POLLOUT, m_deadline); }

    ssize_t read(char* ptr, size_t size) override {
        if (m_begin == m_end) {
            if (!WaitFor(m_fd, POLLIN, m_deadline)) return -1;
            const ssize_t got = recv(m_fd, m_buffer, sizeof m_buffer, 0);
            if (got <= 0) return got;
            m_begin = 0;
            m_end = static_cast<std::size_t>(got);
        }
        const std::size_t n = std::min(size, m_end - m_begin);
        std::copy(m_buffer + m_begin, m_buffer + m_begin + n, ptr);
        m_begin += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!WaitFor(m_fd, POLLOUT, m_deadline)) return -1;
        return send(m_fd, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getpeername(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressOf(address, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressOf(address, ip, port);
    }
    socket_t socket() const override { return m_fd; }

    // Bytes of the next request that arrived with this one.
    bool HasBuffered() const { return m_begin < m_end; }

private:
    int m_fd;
    Clock::time_point m_deadline;
    char m_buffer[kReadBufferBytes];
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

// Workers grow with demand up to the connection cap. At the cap, the
// connection idle longest makes room (`makeRoom`); with none idle, the new one
// is closed at once on the accepting thread instead of waiting.
class BoundedQueue : public httplib::TaskQueue {
public:
    explicit BoundedQueue(std::function<bool()> makeRoom) : m_makeRoom(std::move(makeRoom)) {}
    ~BoundedQueue() override { shutdown(); }

    void enqueue(std::function<void()> job) override {
        {
            std::lock_guard lock(m_mutex);
            const bool admit = m_open < kMaxGuestConnections ||
                               (m_open < 2 * kMaxGuestConnections && m_makeRoom());
            if (!m_stopping && admit) {
                ++m_open;
                m_jobs.push_back(std::move(job));
                if (m_jobs.size() > m_idle && m_workers.size() < kMaxGuestConnections)
                    m_workers.emplace_back([this] { Work(); });
                m_wake.notify_one();
                return;
            }
        }
        t_refuseConnection = true;
        job();
        t_refuseConnection = false;
    }

    void shutdown() override {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& worker : m_workers)
            if (worker.joinable()) worker.join();
        m_workers.clear();
    }

private:
    void Work() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            ++m_idle;
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            --m_idle;
            if (m_jobs.empty()) return;
            auto job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
            --m_open;
        }
    }

    std::function<bool()> m_makeRoom;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    std::vector<std::thread> m_workers;
    std::size_t m_open = 0;
    std::size_t m_idle = 0;
    bool m_stopping = false;
};

std::string PeerOf(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    std::string ip;
    int port = 0;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        AddressOf(address, ip, port);
    return ip;
}

class GuestHttpServer : public httplib::Server {
public:
    // The library listens with a backlog of five; a room of phones arriving
    // at once would wait for SYN retries.
    void WidenBacklog() { ::listen(svr_sock_, kListenBacklog); }

    // Wakes every connection so Stop need not wait out their deadlines.
    void ShutdownConnections() {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (const auto& [fd, connection] : m_connections) ::shutdown(fd, SHUT_RDWR);
    }

    // Closes the connection idle longest, of `peer` or of anyone; false when
    // none is idle.
    bool CloseLongestIdle(const std::string* peer = nullptr) {
        std::lock_guard lock(m_mutex);
        return CloseLongestIdleLocked(peer);
    }

private:
    struct Connection {
        std::string peer;
        bool idle = true;
        Clock::time_point idleSince = Clock::now();
    };

    bool process_and_close_socket(socket_t fd) override {
        // The library writes a reply's head and body apart; without this the
        // body waits for the client's delayed acknowledgement (~40 ms).
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (!t_refuseConnection && Track(fd)) {
            Serve(fd);
            Untrack(fd);
        }
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
        return true;
    }

    void Serve(int fd) {
        const auto idle = std::chrono::seconds(kGuestIdleSeconds);
        for (int calls = 0; calls < kMaxCallsPerConnection; ++calls) {
            SetIdle(fd, true);
            const bool ready = WaitFor(fd, POLLIN, Clock::now() + idle);
            if (!SetIdle(fd, false) || !ready) return;
            DeadlineStream stream(fd, Clock::now() + idle);
            bool closed = false;
            t_closeAfterReply = false;
            t_handlerAnswered = false;
            const bool last = calls + 1 == kMaxCallsPerConnection || Stopping();
            if (!process_request(stream, last, closed, nullptr) || closed || t_closeAfterReply)
                return;
            // Pipelined bytes would be lost with this stream's buffer.
            if (stream.HasBuffered()) return;
        }
    }

    bool Track(int fd) {
        const std::string peer = PeerOf(fd);
        std::lock_guard lock(m_mutex);
        if (m_stopping) return false;
        const auto fromPeer =
            std::count_if(m_connections.begin(), m_connections.end(),
                          [&](const auto& entry) { return entry.second.peer == peer; });
        if (static_cast<std::size_t>(fromPeer) >= kMaxGuestConnectionsPerAddress &&
            !CloseLongestIdleLocked(&peer))
            return false;
        m_connections[fd] = Connection{peer};
        return true;
    }
    void Untrack(int fd) {
        std::lock_guard lock(m_mutex);
        m_connections.erase(fd);
    }
    // False once the connection was closed to make room.
    bool SetIdle(int fd, bool idle) {
        std::lock_guard lock(m_mutex);
        const auto found = m_connections.find(fd);
        if (found == m_connections.end()) return false;
        found->second.idle = idle;
        found->second.idleSince = Clock::now();
        return true;
    }
    bool Stopping() {
        std::lock_guard lock(m_mutex);
        return m_stopping;
    }

    bool CloseLongestIdleLocked(const std::string* peer) {
        auto oldest = m_connections.end();
        for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
            if (!it->second.idle || (peer && it->second.peer != *peer)) continue;
            if (oldest == m_connections.end() || it->second.idleSince < oldest->second.idleSince)
                oldest = it;
        }
        if (oldest == m_connections.end()) return false;
        ::shutdown(oldest->first, SHUT_RDWR);
        m_connections.erase(oldest);
        return true;
    }

    std::mutex m_mutex;
    std::map<int, Connection> m_connections;
    bool m_stopping = false;
};

GuestCall ToCall(const httplib::Request& request) {
    GuestCall call;
    call.method = request.method;
    call.path = request.path;
    call.query.insert(request.params.begin(), request.params.end());
    for (const auto& [name, value] : request.headers) {
        std::string lower = name;
        for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        call.headers.emplace(std::move(lower), value);
    }
    call.body = request.body;
    call.peer = request.remote_addr;
    call.nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
    return call;
}

class HttpServerCore : public GuestServerCore {
public:
    ~HttpServerCore() override { Stop(); }

    std::string Start(const std::string& address, int port, GuestHandler handler) override {
        if (m_thread.joinable()) return "the request server is running already";
        m_handler = std::move(handler);
        m_server = std::make_unique<GuestHttpServer>();
        Configure(*m_server);
        const int bound = port == 0 ? m_server->bind_to_any_port(address)
                                    : (m_server->bind_to_port(address, port) ? port : -1);
        if (bound <= 0) return "cannot listen on " + address + " port " + std::to_string(port);
        m_port = bound;
        m_server->WidenBacklog();
        m_thread = std::thread([server = m_server.get()] { server->listen_after_bind(); });
        return {};
    }

    int Port() const override { return m_port; }

    void Stop() override {
        if (!m_server) return;
        // stop() only ends a listen that has begun.
        for (int i = 0; i < 2000 && m_thread.joinable() && !m_server->is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m_server->ShutdownConnections();
        m_server->stop();
        if (m_thread.joinable()) m_thread.join();
        m_server.reset();
        m_port = 0;
    }

private:
    void Configure(GuestHttpServer& server) {
        server.new_task_queue = [&server] {
            return new BoundedQueue([&server] { return server.CloseLongestIdle(); });
        };
        server.set_payload_max_length(kMaxGuestBodyBytes);
        server.set_read_timeout(kGuestIdleSeconds, 0);
        server.set_write_timeout(kGuestIdleSeconds, 0);
        server.set_keep_alive_timeout(kGuestIdleSeconds);
        server.set_default_headers({
            {"Content-Security-Policy",
             "default-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'"},
            {"X-Content-Type-Options", "nosniff"},
            {"Referrer-Policy", "no-referrer"},
            {"X-Frame-Options", "DENY"},
            {"Cache-Control", "no-store"},
        });
        // Every call but a request's POST is answered before its body is read;
        // a body left unread then ends the connection.
        server.set_pre_routing_handler([this](const httplib::Request& request,
                                              httplib::Response& response) {
            if (request.method == "POST" && request.path == "/api/request")
                return httplib::Server::HandlerResponse::Unhandled;
            if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding")) {
                t_closeAfterReply = true;
                response.set_header("Connection", "close");
            }
            Answer(request, response);
            return httplib::Server::HandlerResponse::Handled;
        });
        // A request the library refused (unreadable, too large, too slow) ends
        // its connection: what follows it cannot be trusted to be a request.
        server.set_error_handler(httplib::Server::HandlerWithResponse(
            [](const httplib::Request&, httplib::Response& response) {
                if (!t_handlerAnswered) {
                    t_closeAfterReply = true;
                    response.set_header("Connection", "close");
                }
                return httplib::Server::HandlerResponse::Unhandled;
            }));
        server.Post("/api/request",
                    [this](const httplib::Request& request, httplib::Response& response) {
                        Answer(request, response);
                    });
    }

    void Answer(const httplib::Request& request, httplib::Response& response) {
        t_handlerAnswered = true;
        GuestReply reply = m_handler(ToCall(request));
        response.status = reply.status;
        if (reply.retryAfterSeconds > 0)
            response.set_header("Retry-After", std::to_string(reply.retryAfterSeconds));
        response.set_content(reply.body, reply.contentType.c_str());
    }

    GuestHandler m_handler;
    std::unique_ptr<GuestHttpServer> m_server;
    std::thread m_thread;
    int m_port = 0;
};

}  // namespace

}  // namespace cx

extern "C" __attribute__((visibility("default"))) cx::GuestServerCore* CxMakeGuestServerCore(
    int version) {
    return version == cx::kRequestServerModuleVersion ? new cx::HttpServerCore : nullptr;
}

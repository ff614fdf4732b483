// Load on the guests' request page: N clients, each on its own keep-alive
// connection from its own loopback address, search, poll their requests and
// now and then ask for a song, for D seconds. Prints p50/p99 latency and the
// count of each status.
//   request_load [--url http://127.0.0.1:PORT --code CODE] [--clients 200]
//                [--seconds 30] [--think-ms 600]
// Without --url it serves an in-process page over a made-up library of 10,000
// songs and plays the host, accepting every request once a second.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "requests/GuestApi.h"
#include "requests/RequestServer.h"
#include "tests/requests/FakeGuestCatalog.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxClients = 1000;
constexpr int kMaxSeconds = 600;
constexpr int kReplyTimeoutMs = 5000;

struct Options {
    int port = 0;
    std::string code;
    int clients = 200;
    int seconds = 30;
    int thinkMs = 600;
};

struct Tally {
    std::mutex mutex;
    std::vector<double> latenciesMs;
    std::map<std::string, std::vector<double>> byCall;
    std::map<std::string, long> statuses;
};

int ConnectFrom(int port, int client) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    // Each client its own loopback source, so the per-address rate limit
    // counts clients, not the one benchmark process.
    sockaddr_in source{};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr =
        htonl((127u << 24) | (1u << 8) | static_cast<unsigned>(client % 250 + 1) |
              (static_cast<unsigned>(client / 250) << 16));
    bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// One call on a keep-alive connection; the status as text ("200", "closed").
std::string Exchange(int fd, const std::string& request) {
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size()))
        return "closed";
    std::string reply;
    std::size_t headerEnd = std::string::npos;
    std::size_t length = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
    while (headerEnd == std::string::npos || reply.size() < headerEnd + 4 + length) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, POLLIN, 0};
        if (left <= 0 || poll(&entry, 1, static_cast<int>(left)) <= 0) return "timeout";
        char buffer[8192];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return "closed";
        reply.append(buffer, static_cast<std::size_t>(got));
        if (headerEnd == std::string::npos &&
            (headerEnd = reply.find("\r\n\r\n")) != std::string::npos) {
            const std::size_t at = reply.find("Content-Length: ");
            length = at < headerEnd ? std::strtoul(reply.c_str() + at + 16, nullptr, 10) : 0;
        }
    }
    return reply.size() > 12 ? reply.substr(9, 3) : "short";
}

void RunClient(int client, const Options& options, Clock::time_point end, Tally& tally) {
    std::mt19937 random(static_cast<unsigned>(client) * 7919u + 1);
    const std::string guest = "load-guest-" + std::to_string(100000 + client) + "-xxxxxx";
    const std::string headers =
        "Host: 127.0.0.1\r\nX-Join-Code: " + options.code + "\r\nX-Guest: " + guest + "\r\n";
    std::vector<double> latencies;
    std::map<std::string, std::vector<double>> byCall;
    std::map<std::string, long> statuses;
    int fd = -1;
    long callsOnConnection = 0;
    // Guests arrive over the first seconds, not in one instant.
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % (2 * options.thinkMs + 1)));
    for (long n = 0; Clock::now() < end; ++n) {
        if (fd < 0) {
            fd = ConnectFrom(options.port, client);
            callsOnConnection = 0;
        }
        if (fd < 0) {
            ++statuses["connect"];
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        std::string request;
        const char* kind = n % 10 == 9 ? "request" : n % 3 == 2 ? "mine" : "search";
        if (n % 10 == 9) {
            const std::string body =
                "{\"name\":\"Guest " + std::to_string(client) +
                "\",\"song\":" + std::to_string(random() % 10000 + 1) +
                ",\"key\":" + std::to_string(static_cast<int>(random() % 13) - 6) + "}";
            request =
                "POST /api/request HTTP/1.1\r\n" + headers +
                "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\n\r\n" + body;
        } else if (n % 3 == 2) {
            request = "GET /api/mine HTTP/1.1\r\n" + headers + "\r\n";
        } else {
            request = "GET /api/search?q=Title%20" + std::to_string(random() % 1000) +
                      " HTTP/1.1\r\n" + headers + "\r\n";
        }
        const auto start = Clock::now();
        std::string status = Exchange(fd, request);
        if (status == "closed" && callsOnConnection > 0) {
            // The server closed an idle keep-alive connection to make room:
            // a browser sends again on a new one, and so do we.
            close(fd);
            ++statuses["reconnect"];
            fd = ConnectFrom(options.port, client);
            status = fd < 0 ? "connect" : Exchange(fd, request);
            callsOnConnection = 0;
        }
        ++callsOnConnection;
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        byCall[kind].push_back(latencies.back());
        ++statuses[status];
        if (status == "closed" || status == "timeout" || status == "short" || status == "connect") {
            if (fd >= 0) close(fd);
            fd = -1;
        }
        std::this_thread::sleep_for(
            std::chrono::milliseconds(random() % (2 * options.thinkMs + 1)));
    }
    if (fd >= 0) close(fd);
    std::lock_guard lock(tally.mutex);
    tally.latenciesMs.insert(tally.latenciesMs.end(), latencies.begin(), latencies.end());
    for (const auto& [status, count] : statuses) tally.statuses[status] += count;
    for (const auto& [kind, values] : byCall)
        tally.byCall[kind].insert(tally.byCall[kind].end(), values.begin(), values.end());
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--url") {
            const std::string prefix = "http://127.0.0.1:";
            if (value.rfind(prefix, 0) != 0) {
                std::cerr << "only http://127.0.0.1:PORT is loaded\n";
                return false;
            }
            options.port = std::atoi(value.c_str() + prefix.size());
        } else if (name == "--code") {
            options.code = value;
        } else if (name == "--clients") {
            options.clients = std::clamp(std::atoi(value.c_str()), 1, kMaxClients);
        } else if (name == "--seconds") {
            options.seconds = std::clamp(std::atoi(value.c_str()), 1, kMaxSeconds);
        } else if (name == "--think-ms") {
            options.thinkMs = std::clamp(std::atoi(value.c_str()), 0, 60'000);
        } else {
            std::cerr << "unknown option " << name << "\n";
            return false;
        }
    }
    return argc % 2 == 1 && (options.port == 0 || !options.code.empty());
}

double Percentile(std::vector<double>& values, double p) {
    if (values.empty()) return 0;
    const auto at = values.begin() + static_cast<long>(p * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: request_load [--url http://127.0.0.1:PORT --code CODE] [--clients N] "
                     "[--seconds S] "
                     "[--think-ms MS]\n";
        return 2;
    }
    cx::RequestDesk desk;
    cx::FakeGuestCatalog catalog(10'000);
    cx::GuestApi api(desk, catalog, {{"en", {}}}, "en");
    std::unique_ptr<cx::RequestServer> server;
    std::atomic<bool> hosting{true};
    std::thread host;
    if (options.port == 0) {
        std::string why;
        server = cx::MakeRequestServerFrom(CX_REQUESTS_MODULE, &why);
        if (!server) server = cx::MakeRequestServer(&why);
        if (!server || !(why = server->Start("127.0.0.1", 0, api)).empty()) {
            std::cerr << "cannot start the page: " << why << "\n";
            return 1;
        }
        options.port = server->Port();
        options.code = desk.JoinCode();
        host = std::thread([&] {
            while (hosting) {
                std::vector<cx::RequestStanding> standings;
                int place = 0;
                for (const auto& request : desk.Pending()) {
                    desk.MarkAccepted(request.id);
                    ++place;
                    standings.push_back({request.id, place, place * 200'000, false});
                }
                desk.PublishStandings(std::move(standings));
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
        });
    }
    std::cout << "loading http://127.0.0.1:" << options.port << " with " << options.clients
              << " clients for " << options.seconds << " s\n";
    Tally tally;
    const auto end = Clock::now() + std::chrono::seconds(options.seconds);
    std::vector<std::thread> clients;
    for (int i = 0; i < options.clients; ++i)
        clients.emplace_back(RunClient, i, std::cref(options), end, std::ref(tally));
    for (auto& client : clients) client.join();
    hosting = false;
    if (host.joinable()) host.join();
    if (server) server->Stop();

    const std::size_t calls = tally.latenciesMs.size();
    const double p50 = Percentile(tally.latenciesMs, 0.50);
    const double p99 = Percentile(tally.latenciesMs, 0.99);
    const double worst =
        calls ? *std::max_element(tally.latenciesMs.begin(), tally.latenciesMs.end()) : 0;
    std::printf("calls %zu (%.0f/s)  p50 %.2f ms  p99 %.2f ms  max %.2f ms\n", calls,
                static_cast<double>(calls) / options.seconds, p50, p99, worst);
    for (auto& [kind, values] : tally.byCall)
        std::printf("  %-8s %6zu calls  p50 %.2f ms  p99 %.2f ms\n", kind.c_str(), values.size(),
                    Percentile(values, 0.50), Percentile(values, 0.99));
    std::printf("statuses:");
    for (const auto& [status, count] : tally.statuses)
        std::printf(" %s=%ld", status.c_str(), count);
    std::printf("\n");
    return 0;
}

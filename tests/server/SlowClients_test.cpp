// SlowClients_test.cpp -- slow and idle clients against the skyvern-scores program: a version
// query is answered at once while 200 connections trickle header bytes and 2,000 idle
// keep-alive connections stay open; memory stays bounded; silent connections are closed.
#include "ScoresProcess.h"
#include "ServerTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::string kVersionRequest =
    "GET /cgi/version.pl?version&prg=Skyvern HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

// A blocking loopback connection whose reads and writes give up after five seconds, from the
// loopback address `source` (host order); -1 on failure.
int Connect(int port, std::uint32_t source = INADDR_LOOPBACK) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(source);
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// The body of one response on the connection, or nothing when it does not come whole.
std::optional<std::string> ReadResponse(int fd) {
    std::string data;
    char buffer[4096];
    std::size_t headerEnd = std::string::npos;
    std::size_t length = 0;
    while (true) {
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::string head = data.substr(0, headerEnd);
                std::transform(head.begin(), head.end(), head.begin(), ::tolower);
                std::size_t at = head.find("content-length:");
                if (at == std::string::npos) return std::nullopt;
                length = std::stoul(head.substr(at + 15));
                headerEnd += 4;
            }
        }
        if (headerEnd != std::string::npos && data.size() >= headerEnd + length)
            return data.substr(headerEnd, length);
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return std::nullopt;
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

// Takes as many descriptors as the hard limit allows; the limit reached.
rlim_t RaiseDescriptorLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
    return limit.rlim_cur;
}

// The crowd of slow and idle clients comes from many addresses, 50 connections each: one
// address alone is held to fewer connections than that crowd.
std::uint32_t CrowdAddress(std::uint32_t network, int connection) {
    return network | static_cast<std::uint32_t>(1 + connection / 50);
}

bool Alive(ScoresProcess& process) {
    return kill(process.Pid(), 0) == 0;
}

} // namespace

TEST(SlowClientsTest, AVersionQueryIsAnsweredAtOnceAmongSlowAndIdleClients) {
    constexpr int kIdle = 2000, kTrickling = 200, kQueries = 20;
    // Both ends of every connection are in this machine: twice the connections, and a margin.
    if (RaiseDescriptorLimit() < 2 * (kIdle + kTrickling) + 200)
        GTEST_SKIP() << "the descriptor limit is too low for 2,200 loopback connections";
    TempDir dir;
    ScoresProcess server({"--listen", "127.0.0.1:0", "--db", dir.File("scores.db"), "--create-db"});
    const int port = server.Port();
    ASSERT_GT(port, 0);
    const long startKiB = ResidentKiB(server.Pid());

    std::vector<int> idle;
    for (int i = 0; i < kIdle; ++i) {
        int fd = Connect(port, CrowdAddress(0x7f010000, i));
        ASSERT_GE(fd, 0) << "idle connection " << i;
        idle.push_back(fd);
        ASSERT_TRUE(SendAll(fd, kVersionRequest));
        auto body = ReadResponse(fd);
        ASSERT_TRUE(body && body->rfind("OK|", 0) == 0) << "idle connection " << i;
    }

    // Header lines that never end, a byte at a time; a connection the server closes is opened
    // again at once, as a patient attacker would.
    std::vector<int> trickling(kTrickling, -1);
    std::atomic<bool> stop{false};
    std::atomic<int> reopened{0};
    auto open = [&](int& fd) {
        fd = Connect(port, CrowdAddress(0x7f020000, static_cast<int>(&fd - trickling.data())));
        if (fd >= 0 &&
            !SendAll(fd, "GET /cgi/version.pl?version&prg=Skyvern HTTP/1.1\r\nX-Slow: ")) {
            close(fd);
            fd = -1;
        }
    };
    for (int& fd : trickling)
        open(fd);
    std::thread trickler([&] {
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (!stop.load() && Clock::now() < deadline) {
            for (int& fd : trickling) {
                if (fd >= 0 && SendAll(fd, "a")) continue;
                if (fd >= 0) close(fd);
                open(fd);
                ++reopened;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    std::vector<double> ms;
    for (int i = 0; i < kQueries; ++i) {
        const auto begin = Clock::now();
        int fd = Connect(port);
        bool ok = fd >= 0 && SendAll(fd, kVersionRequest);
        auto body = ok ? ReadResponse(fd) : std::nullopt;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
        if (fd >= 0) close(fd);
        EXPECT_TRUE(body && body->rfind("OK|", 0) == 0) << "query " << i;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const long loadedKiB = ResidentKiB(server.Pid());
    stop = true;
    trickler.join();

    std::sort(ms.begin(), ms.end());
    const double median = (ms[kQueries / 2 - 1] + ms[kQueries / 2]) / 2;
    std::printf("version query among %d idle and %d trickling connections: median %.1f ms, "
                "worst %.1f ms; server memory %ld KiB before, %ld KiB loaded; %d reopened\n",
                kIdle, kTrickling, median, ms.back(), startKiB, loadedKiB, reopened.load());
    EXPECT_LT(median, 100.0);
    EXPECT_LT(ms.back(), 500.0);
    // Every held connection costs a small buffer: far less than 64 KiB each.
    EXPECT_LT(loadedKiB - startKiB, (kIdle + kTrickling) * 64L);
    EXPECT_TRUE(Alive(server));

    // The idle connections were held all along, not dropped: each still answers.
    for (int i = 0; i < kIdle; i += 100) {
        ASSERT_TRUE(SendAll(idle[i], kVersionRequest)) << i;
        auto body = ReadResponse(idle[i]);
        EXPECT_TRUE(body && body->rfind("OK|", 0) == 0) << "idle connection " << i;
    }
    for (int fd : idle)
        close(fd);
    for (int fd : trickling)
        if (fd >= 0) close(fd);
}

TEST(SlowClientsTest, SilentConnectionsAreClosedAfterTheIdleTimeOut) {
    RaiseDescriptorLimit();
    TempDir dir;
    ScoresProcess server({"--listen", "127.0.0.1:0", "--db", dir.File("scores.db"), "--create-db",
                          "--idle-timeout", "1"});
    const int port = server.Port();
    ASSERT_GT(port, 0);
    std::vector<int> fds;
    for (int i = 0; i < 40; ++i) {
        int fd = Connect(port);
        ASSERT_GE(fd, 0);
        if (i % 2 == 0) {
            // Idle after one answered request.
            ASSERT_TRUE(SendAll(fd, kVersionRequest));
            ASSERT_TRUE(ReadResponse(fd));
        } else {
            // Half a request, then silence.
            ASSERT_TRUE(SendAll(fd, "GET / HTTP/1.1\r\nHost"));
        }
        fds.push_back(fd);
    }
    // Every connection ends (end of file, or a 408-like answer and then end of file) within a
    // few seconds; bounded by the five-second read time-out of each socket.
    const auto begin = Clock::now();
    int closed = 0;
    for (int fd : fds) {
        char buffer[512];
        ssize_t n;
        while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        }
        if (n == 0) ++closed;
        close(fd);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    EXPECT_EQ(closed, 40);
    EXPECT_LT(seconds, 4.5);
    EXPECT_TRUE(Alive(server));
}

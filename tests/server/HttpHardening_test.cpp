// HttpHardening_test.cpp -- the HTTP layer of skyvern-scores under hostile clients: one address
// flooding the connection slots, headers that trickle for ever, conflicting lengths, links out
// of the screenshots folder; and what browsers and caches are told (validators, gzip, policy).
#include "ScoreServer.h"

#include "ServerTestUtil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kVersionLine = "GET /cgi/version.pl?version&prg=Skyvern HTTP/1.1\r\n";
constexpr const char* kWorldPage = "/cgi/version.pl?prg=Skyvern&show&type=0";

// A blocking connection from `source` (a loopback address) whose reads and writes give up after
// `timeoutMs`; -1 on failure.
int Connect(int port, const char* source, int timeoutMs = 5000) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source, &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
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

struct RawResponse {
    int status = 0;
    std::string head; // status line and headers, as sent
    std::string body;
};

// One response read off the connection, or nothing when it does not come whole. The answer to
// HEAD has no body whatever its length says.
std::optional<RawResponse> ReadResponse(int fd, bool head = false) {
    std::string data;
    char buffer[4096];
    while (data.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return std::nullopt;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    RawResponse response;
    const std::size_t end = data.find("\r\n\r\n");
    response.head = data.substr(0, end);
    std::string lower = response.head;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    if (lower.rfind("http/1.1 ", 0) != 0) return std::nullopt;
    response.status = std::atoi(response.head.c_str() + 9);
    std::size_t length = 0;
    if (std::size_t at = lower.find("content-length:"); !head && at != std::string::npos)
        length = std::stoul(lower.substr(at + 15));
    data.erase(0, end + 4);
    while (data.size() < length) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return std::nullopt;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    response.body = data.substr(0, length);
    return response;
}

// Whether the server ends the connection (end of stream or reset) within `ms`.
bool ClosedWithin(int fd, int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    char buffer[512];
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) == 1) {
            ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
        }
    }
    return false;
}

std::string Gunzip(const std::string& data) {
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) return "";
    std::string out;
    char buffer[16384];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : "";
}

// The value of a header, its name given in lower case.
std::string HeaderOf(const RawResponse& response, const std::string& name) {
    std::string lower = response.head;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    const std::string key = "\r\n" + name + ":";
    std::size_t at = lower.find(key);
    if (at == std::string::npos) return "";
    at += key.size();
    std::string value = response.head.substr(at, response.head.find("\r\n", at) - at);
    value.erase(0, value.find_first_not_of(' '));
    return value;
}

// One server on SQLite in this process, with limits of the test's choosing.
class Served {
  public:
    explicit Served(scores::ServerLimits limits) {
        store_ = std::make_unique<scores::ScoreStore>(dir_.File("scores.db"));
        server_ =
            std::make_unique<scores::ScoreServer>(*store_, "1.2.3", scores::SystemClockMs, limits);
        port_ = server_->Http().bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_->Http().listen_after_bind(); });
        for (int i = 0; i < 500 && !server_->Http().is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~Served() {
        server_->Http().stop();
        thread_.join();
    }
    int Port() const { return port_; }
    scores::ScoreStore& Store() { return *store_; }
    scores::ScoreServer& Server() { return *server_; }
    const TempDir& Dir() const { return dir_; }

    // One request on a fresh connection from 127.0.0.1.
    std::optional<RawResponse> Ask(const std::string& target, const std::string& headers = "",
                                   const std::string& method = "GET") {
        int fd = Connect(port_, "127.0.0.1");
        if (fd < 0) return std::nullopt;
        std::optional<RawResponse> response;
        if (SendAll(fd,
                    method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n"))
            response = ReadResponse(fd, method == "HEAD");
        close(fd);
        return response;
    }

  private:
    TempDir dir_;
    std::unique_ptr<scores::ScoreStore> store_;
    std::unique_ptr<scores::ScoreServer> server_;
    std::thread thread_;
    int port_ = -1;
};

} // namespace

TEST(HttpHardeningTest, OneAddressFloodingTheSlotsLeavesOthersAnsweredAtOnce) {
    struct Case {
        const char* flooder;
        const char* client;
    } cases[] = {{"127.0.0.1", "127.0.0.2"}, {"127.0.0.2", "127.0.0.1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("flood from ") + c.flooder);
        scores::ServerLimits limits;
        limits.threads = 2;
        limits.workers = 2;
        limits.maxConnections = 100;
        limits.connectionsPerAddress = 8;
        Served served(limits);
        ASSERT_GT(served.Port(), 0);

        // More connections than there are slots, each trickling a header byte now and then and
        // opened again at once when the server drops it.
        constexpr int kFlood = 150;
        std::vector<int> flood(kFlood, -1);
        std::atomic<bool> stop{false};
        auto open = [&](int& fd) {
            fd = Connect(served.Port(), c.flooder, 1000);
            if (fd >= 0 && !SendAll(fd, std::string(kVersionLine) + "X-Slow: ")) {
                close(fd);
                fd = -1;
            }
        };
        for (int& fd : flood)
            open(fd);
        std::thread flooder([&] {
            const auto deadline = Clock::now() + std::chrono::seconds(30);
            while (!stop.load() && Clock::now() < deadline) {
                for (int& fd : flood) {
                    if (fd >= 0 && SendAll(fd, "a")) continue;
                    if (fd >= 0) close(fd);
                    open(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));

        constexpr int kQueries = 20;
        std::vector<double> ms;
        int answered = 0;
        for (int i = 0; i < kQueries; ++i) {
            const auto begin = Clock::now();
            int fd = Connect(served.Port(), c.client, 2000);
            std::optional<RawResponse> response;
            if (fd >= 0 && SendAll(fd, std::string(kVersionLine) + "Host: x\r\n\r\n"))
                response = ReadResponse(fd);
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
            if (fd >= 0) close(fd);
            if (response && response->body.rfind("OK|", 0) == 0) ++answered;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        stop = true;
        flooder.join();
        for (int fd : flood)
            if (fd >= 0) close(fd);

        std::sort(ms.begin(), ms.end());
        const double median = (ms[kQueries / 2 - 1] + ms[kQueries / 2]) / 2;
        std::printf("version query from %s while %s floods: %d of %d answered, median %.1f ms\n",
                    c.client, c.flooder, answered, kQueries, median);
        EXPECT_EQ(answered, kQueries);
        EXPECT_LT(median, 100.0);
    }
}

TEST(HttpHardeningTest, OurOwnProxyIsNotHeldToTheCapOfOneAddress) {
    scores::ServerLimits limits;
    limits.threads = 1;
    limits.connectionsPerAddress = 4;
    limits.trustedProxies = {"127.0.0.3/32"};
    Served served(limits);
    ASSERT_GT(served.Port(), 0);
    // Every connection is held open at once, then each asks.
    struct Case {
        const char* source;
        int answered;
    } cases[] = {{"127.0.0.3", 12}, {"127.0.0.4", 4}};
    for (const Case& c : cases) {
        std::vector<int> fds;
        for (int i = 0; i < 12; ++i)
            fds.push_back(Connect(served.Port(), c.source, 2000));
        // Let the loop take them all in before any asks.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        int answered = 0;
        for (int fd : fds) {
            if (fd < 0 || !SendAll(fd, std::string(kVersionLine) + "Host: x\r\n\r\n")) continue;
            auto response = ReadResponse(fd);
            if (response && response->body.rfind("OK|", 0) == 0) ++answered;
        }
        EXPECT_EQ(answered, c.answered) << c.source;
        for (int fd : fds)
            if (fd >= 0) close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

TEST(HttpHardeningTest, HeadersThatNeverEndAreCutOffAtTheirDeadline) {
    scores::ServerLimits limits;
    limits.threads = 1;
    limits.idleTimeoutSeconds = 10;
    limits.headerTimeoutSeconds = 1;
    Served served(limits);
    ASSERT_GT(served.Port(), 0);
    // Never silent for long, so the idle time-out alone would keep it for ever.
    int slow = Connect(served.Port(), "127.0.0.1");
    ASSERT_GE(slow, 0);
    ASSERT_TRUE(SendAll(slow, std::string(kVersionLine) + "X-Slow: "));
    const auto begin = Clock::now();
    bool closed = false;
    while (!closed && Clock::now() - begin < std::chrono::seconds(4)) {
        if (!SendAll(slow, "a")) {
            closed = true;
            break;
        }
        closed = ClosedWithin(slow, 200);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    EXPECT_TRUE(closed) << "still open after " << seconds << " s";
    EXPECT_LT(seconds, 3.0);
    // A keep-alive client that asks in time is answered, again and again: the deadline runs
    // anew from each answer, so together its requests may take longer than one deadline.
    int prompt = Connect(served.Port(), "127.0.0.1");
    ASSERT_GE(prompt, 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SendAll(prompt, std::string(kVersionLine) + "Host: x\r\n\r\n")) << i;
        auto response = ReadResponse(prompt);
        ASSERT_TRUE(response) << i;
        EXPECT_EQ(response->body.rfind("OK|", 0), 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    close(slow);
    close(prompt);
}

TEST(HttpHardeningTest, TwoDifferentLengthsAreRefusedAndTheConnectionClosed) {
    Served served({});
    ASSERT_GT(served.Port(), 0);
    struct Case {
        const char* headers;
        int status;
    } cases[] = {
        {"Content-Length: 0\r\nContent-Length: 5\r\n", 400},
        {"Content-Length: 5\r\ncontent-length: 0\r\n", 400},
        // The same length twice says nothing new.
        {"Content-Length: 0\r\nContent-Length: 0\r\n", 200},
        {"Content-Length: 0\r\n", 200},
    };
    for (const Case& c : cases) {
        int fd = Connect(served.Port(), "127.0.0.1");
        ASSERT_GE(fd, 0);
        // What follows would be a second request to a reader that took the shorter length.
        ASSERT_TRUE(SendAll(fd, std::string(kVersionLine) + "Host: x\r\n" + c.headers +
                                    "\r\nhello" + kVersionLine + "Host: x\r\n\r\n"));
        auto response = ReadResponse(fd);
        ASSERT_TRUE(response) << c.headers;
        EXPECT_EQ(response->status, c.status) << c.headers;
        if (c.status == 400) {
            EXPECT_TRUE(ClosedWithin(fd, 2000)) << c.headers;
        }
        close(fd);
    }
}

TEST(HttpHardeningTest, HeadOnTheSubmissionRouteStoresNothing) {
    Served served({});
    ASSERT_GT(served.Port(), 0);
    auto version = served.Ask("/cgi/version.pl?version&prg=Skyvern");
    ASSERT_TRUE(version);
    const std::string token = ExtractVersionToken(version->body);
    const std::string submission =
        "/cgi/version.pl?hs&prg=Skyvern&inf=" + GameSubmission("Head", 500, token, "");
    auto head = served.Ask(submission, "", "HEAD");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 405);
    EXPECT_EQ(HeaderOf(*head, "allow"), "GET");
    EXPECT_EQ(served.Store().Count(), 0);
    // The token is still good for the real submission.
    auto get = served.Ask(submission);
    ASSERT_TRUE(get);
    EXPECT_EQ(get->body, "OK");
    EXPECT_EQ(served.Store().Count(), 1);
}

TEST(HttpHardeningTest, LinksInTheScreenshotsFolderAreNotFollowed) {
    Served served({});
    ASSERT_GT(served.Port(), 0);
    const TempDir& dir = served.Dir();
    std::filesystem::create_directory(dir.File("shots"));
    std::ofstream(dir.File("shots/menu.png"), std::ios::binary) << "\x89PNG menu";
    std::ofstream(dir.File("secret.txt")) << "not for the web";
    std::filesystem::create_symlink(dir.File("secret.txt"), dir.File("shots/secret.png"));
    std::filesystem::create_symlink(dir.File("shots/menu.png"), dir.File("shots/alias.png"));
    std::filesystem::create_directory_symlink(dir.File("."), dir.File("shots/up"));
    ASSERT_TRUE(served.Server().ServeScreenshots(dir.File("shots")));

    auto menu = served.Ask("/screenshots/menu.png");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->status, 200);
    for (const char* target :
         {"/screenshots/secret.png", "/screenshots/alias.png", "/screenshots/up"}) {
        auto response = served.Ask(target);
        ASSERT_TRUE(response) << target;
        EXPECT_EQ(response->status, 404) << target;
        EXPECT_EQ(response->body.find("not for the web"), std::string::npos) << target;
    }
}

TEST(HttpHardeningTest, AnswersSayHowToCacheThemAndPagesAreCompressed) {
    Served served({});
    ASSERT_GT(served.Port(), 0);
    // Every answer: no sniffing, no referrer, a policy that allows only our own style.
    for (const char* target : {"/", kWorldPage, "/cgi/version.pl?version&prg=Skyvern", "/no"}) {
        auto response = served.Ask(target);
        ASSERT_TRUE(response) << target;
        EXPECT_EQ(HeaderOf(*response, "x-content-type-options"), "nosniff") << target;
        EXPECT_EQ(HeaderOf(*response, "referrer-policy"), "no-referrer") << target;
        const std::string policy = HeaderOf(*response, "content-security-policy");
        EXPECT_EQ(policy.rfind("default-src 'none'; style-src 'sha256-", 0), 0u) << policy;
    }
    // One-time tokens and outcomes are never kept by a cache.
    auto version = served.Ask("/cgi/version.pl?version&prg=Skyvern");
    ASSERT_TRUE(version);
    EXPECT_EQ(HeaderOf(*version, "cache-control"), "no-store");
    auto submit = served.Ask("/cgi/version.pl?hs&prg=Skyvern&inf=" +
                             GameSubmission("Ann", 900, ExtractVersionToken(version->body), ""));
    ASSERT_TRUE(submit);
    EXPECT_EQ(submit->body, "OK");
    EXPECT_EQ(HeaderOf(*submit, "cache-control"), "no-store");

    // The world page: validators, a 304 to a client that has it, gzip to one that takes it.
    auto page = served.Ask(kWorldPage);
    ASSERT_TRUE(page);
    const std::string etag = HeaderOf(*page, "etag");
    const std::string modified = HeaderOf(*page, "last-modified");
    ASSERT_FALSE(etag.empty());
    ASSERT_FALSE(modified.empty());
    EXPECT_EQ(HeaderOf(*page, "content-encoding"), "");
    struct Conditional {
        std::string headers;
        int status;
    } conditionals[] = {
        {"If-None-Match: " + etag + "\r\n", 304},
        {"If-None-Match: \"other\", W/" + etag + "\r\n", 304},
        {"If-None-Match: \"other\"\r\n", 200},
        {"If-Modified-Since: " + modified + "\r\n", 304},
        {"If-Modified-Since: Thu, 01 Jan 1998 00:00:00 GMT\r\n", 200},
        // The tag wins over the date.
        {"If-None-Match: \"other\"\r\nIf-Modified-Since: " + modified + "\r\n", 200},
    };
    for (const Conditional& c : conditionals) {
        auto response = served.Ask(kWorldPage, c.headers);
        ASSERT_TRUE(response) << c.headers;
        EXPECT_EQ(response->status, c.status) << c.headers;
        if (c.status == 304) {
            EXPECT_EQ(response->body, "") << c.headers;
        }
    }
    for (const char* accept : {"gzip", "deflate, gzip;q=0.5", "br, x-gzip"}) {
        auto zipped = served.Ask(kWorldPage, std::string("Accept-Encoding: ") + accept + "\r\n");
        ASSERT_TRUE(zipped) << accept;
        EXPECT_EQ(HeaderOf(*zipped, "content-encoding"), "gzip") << accept;
        EXPECT_NE(HeaderOf(*zipped, "etag"), etag) << "another representation, another tag";
        EXPECT_EQ(HeaderOf(*zipped, "vary"), "Accept-Encoding") << accept;
        EXPECT_EQ(Gunzip(zipped->body), page->body) << accept;
        EXPECT_LT(zipped->body.size(), page->body.size());
    }
    auto refused = served.Ask(kWorldPage, "Accept-Encoding: gzip;q=0\r\n");
    ASSERT_TRUE(refused);
    EXPECT_EQ(HeaderOf(*refused, "content-encoding"), "");
    EXPECT_EQ(refused->body, page->body);

    // A new score changes the page, and its tag.
    version = served.Ask("/cgi/version.pl?version&prg=Skyvern");
    ASSERT_TRUE(version);
    submit = served.Ask("/cgi/version.pl?hs&prg=Skyvern&inf=" +
                        GameSubmission("Bea", 950, ExtractVersionToken(version->body), ""));
    ASSERT_TRUE(submit);
    ASSERT_EQ(submit->body, "OK");
    auto changed = served.Ask(kWorldPage, "If-None-Match: " + etag + "\r\n");
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->status, 200);
    EXPECT_NE(changed->body.find("Bea"), std::string::npos);
    EXPECT_NE(HeaderOf(*changed, "etag"), etag);

    // Screenshots: validators from the file.
    std::filesystem::create_directory(served.Dir().File("shots"));
    std::ofstream(served.Dir().File("shots/menu.png"), std::ios::binary) << "\x89PNG menu";
    ASSERT_TRUE(served.Server().ServeScreenshots(served.Dir().File("shots")));
    auto shot = served.Ask("/screenshots/menu.png");
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->status, 200);
    const std::string shotTag = HeaderOf(*shot, "etag");
    ASSERT_FALSE(shotTag.empty());
    EXPECT_FALSE(HeaderOf(*shot, "last-modified").empty());
    auto again = served.Ask("/screenshots/menu.png", "If-None-Match: " + shotTag + "\r\n");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 304);
}

// ScoreServer.cpp -- routes of skyvern-scores: home page, version query, submission, world table,
// screenshots.
#include "ScoreServer.h"

#include "ScorePages.h"
#include "ScoreRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

namespace scores {

namespace {

constexpr const char* kProgramName = "skyvern-scores";
constexpr const char* kGameName = "Skyvern";
constexpr const char* kFreeText = "Skyvern world high scores";
constexpr const char* kHtml = "text/html; charset=utf-8";

void NotFound(HttpResponse& response) {
    response.status = 404;
    response.body = "Not Found\n";
}

// The answers of the script carry one-time values and outcomes: never kept by a cache.
constexpr const char* kNoStore = "no-store";
// Pages are kept but asked about again each time (a 304 when they are unchanged).
constexpr const char* kRevalidate = "no-cache";
constexpr const char* kScreenshotCache = "public, max-age=3600";
// Larger files are not ours to serve from memory.
constexpr off_t kLargestScreenshot = 32 << 20;

std::int64_t UnixSeconds() {
    return SystemClockMs() / 1000;
}

std::vector<NetRange> ParseProxies(const std::vector<std::string>& proxies) {
    std::vector<NetRange> ranges;
    for (const std::string& proxy : proxies) {
        auto range = ParseRange(proxy);
        if (!range) throw std::invalid_argument("not an address or range: " + proxy);
        ranges.push_back(*range);
    }
    return ranges;
}

HttpLimits HttpLimitsOf(const ServerLimits& limits) {
    HttpLimits http;
    http.threads = limits.threads;
    http.maxConnections = limits.maxConnections;
    http.idleTimeoutSeconds = limits.idleTimeoutSeconds;
    // Room for the longest target we answer plus ordinary headers.
    http.connectionMemory = limits.maxUrlLength + 12 * 1024;
    http.workers = limits.workers;
    http.connectionsPerAddress = limits.connectionsPerAddress;
    // A proxy of ours carries everyone's requests on its connections.
    http.uncapped = ParseProxies(limits.trustedProxies);
    http.headerTimeoutSeconds = limits.headerTimeoutSeconds;
    return http;
}

} // namespace

std::int64_t SystemClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ScoreServer::ScoreServer(ScoreStore& store, std::string version, Clock clock, ServerLimits limits)
    : store_(store), version_(std::move(version)), clock_(std::move(clock)), limits_(limits),
      trustedProxies_(ParseProxies(limits.trustedProxies)),
      tokens_(store.TokenKey(), limits.tokenLifetimeMs), homeVersions_(UnixSeconds),
      worldVersions_(UnixSeconds),
      http_(
          [this](const HttpRequest& request, HttpResponse& response) { Route(request, response); },
          HttpLimitsOf(limits),
          // A submission waits for its commit to reach the disk, a world page that is out of
          // date for it to be rendered again: the event loops wait for neither.
          [this](const HttpRequest& request) {
              if (request.path != "/cgi/version.pl") return false;
              for (const auto& param : request.params) {
                  if (param.first == "hs") return true;
                  if (param.first == "show") return !WorldPageCurrent();
              }
              return false;
          }) {
    keeper_ = std::thread([this] { Keep(); });
}

ScoreServer::~ScoreServer() {
    {
        std::lock_guard lock(pageMutex_);
        keeperStopping_ = true;
    }
    renderWanted_.notify_all();
    keeper_.join();
}

bool ScoreServer::ServeScreenshots(const std::string& dir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return false;
    std::lock_guard lock(screenshotsMutex_);
    screenshots_ = dir;
    return true;
}

std::optional<std::string> ScoreServer::ClientAddress(const HttpRequest& request) const {
    if (request.forwardedFor.empty()) return request.peer;
    auto peer = ParseAddress(request.peer);
    if (!peer || !AnyContains(trustedProxies_, *peer)) return request.peer;
    // Our proxy appends the address it saw last; whatever stands before it the client wrote.
    // What our proxy wrote and we cannot read is refused, not counted against the proxy: that
    // would let one client use up everyone's allowance.
    std::size_t comma = request.forwardedFor.rfind(',');
    auto last = ParseForwardedAddress(
        comma == std::string::npos ? std::string_view(request.forwardedFor)
                                   : std::string_view(request.forwardedFor).substr(comma + 1));
    if (!last) return std::nullopt;
    return last->Text();
}

void ScoreServer::Route(const HttpRequest& request, HttpResponse& response) {
    AddCommonHeaders(response);
    if (request.target.size() > limits_.maxUrlLength) {
        response.status = 414;
        response.body = "URI Too Long\n";
    } else if (request.path == "/") {
        response.contentType = kHtml;
        homeVersions_.Deliver(request, response, HomePage(version_), kRevalidate);
    } else if (request.path == "/cgi/version.pl") {
        HandleScript(request, response);
    } else if (request.path.rfind("/screenshots/", 0) == 0) {
        Screenshot(request, request.path.substr(13), response);
    } else {
        NotFound(response);
    }
}

void ScoreServer::Screenshot(const HttpRequest& request, const std::string& name,
                             HttpResponse& response) {
    // A plain file name of the folder itself: nothing above it or hidden in it.
    if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return NotFound(response);
    std::string dir;
    {
        std::lock_guard lock(screenshotsMutex_);
        dir = screenshots_;
    }
    if (dir.empty()) return NotFound(response);
    const std::string file = (std::filesystem::path(dir) / name).string();
    // A link in the folder could point anywhere on the machine: only the folder's own regular
    // files are served.
    const int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return NotFound(response);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLargestScreenshot) {
        close(fd);
        return NotFound(response);
    }
    std::string body(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < body.size()) {
        const ssize_t n = read(fd, body.data() + got, body.size() - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    if (got != body.size()) return NotFound(response);
    response.body = std::move(body);
    response.contentType = std::filesystem::path(name).extension() == ".png"
                               ? "image/png"
                               : "application/octet-stream";
    char etag[64];
    std::snprintf(etag, sizeof etag, "\"%llx-%llx-%lx\"",
                  static_cast<unsigned long long>(info.st_ino),
                  static_cast<unsigned long long>(info.st_size),
                  static_cast<long>(info.st_mtim.tv_sec * 1000 + info.st_mtim.tv_nsec / 1000000));
    Deliver(request, response, etag, info.st_mtim.tv_sec, kScreenshotCache);
}

void ScoreServer::HandleScript(const HttpRequest& request, HttpResponse& response) {
    // The three requests are told apart by their exact set of parameters; a parameter given
    // twice or any extra one is not a request of ours.
    std::map<std::string, std::string> params;
    for (const auto& [key, value] : request.params)
        if (!params.emplace(key, value).second) return NotFound(response);
    auto prg = params.find("prg");
    if (prg == params.end() || prg->second != kGameName) return NotFound(response);
    std::set<std::string> keys;
    for (const auto& entry : params)
        keys.insert(entry.first);

    using Keys = std::set<std::string>;
    if (keys == Keys{"version", "prg"} && params["version"].empty()) {
        response.headers.emplace_back("Cache-Control", kNoStore);
        response.body = VersionReply();
    } else if (keys == Keys{"hs", "prg", "inf"} && params["hs"].empty()) {
        response.headers.emplace_back("Cache-Control", kNoStore);
        // Storing is no answer to HEAD, which a client may send only to look.
        if (request.method != "GET") {
            response.status = 405;
            response.headers.emplace_back("Allow", "GET");
            response.body = "Method Not Allowed\n";
            return;
        }
        auto client = ClientAddress(request);
        response.body = client ? Submit(*client, params["inf"]) : "ERROR bad client address";
    } else if (keys == Keys{"prg", "show", "type"} && params["show"].empty() &&
               params["type"] == "0") {
        response.contentType = kHtml;
        worldVersions_.Deliver(request, response, WorldPageHtml(), kRevalidate);
    } else {
        NotFound(response);
    }
}

std::string ScoreServer::VersionReply() {
    return std::string("OK|") + kProgramName + "|" + version_ + "|" + kFreeText + "|" +
           tokens_.Issue(clock_()) + "|";
}

void ScoreServer::PurgeNowAndThen(std::int64_t nowMs) {
    std::int64_t due = nextPurgeMs_.load();
    if (nowMs < due || !nextPurgeMs_.compare_exchange_strong(due, nowMs + limits_.purgeIntervalMs))
        return;
    try {
        store_.Purge(nowMs, limits_.rateWindowMs);
    } catch (const std::exception&) {
        // Only housekeeping: the next round tries again.
    }
}

std::string ScoreServer::Submit(const std::string& client, const std::string& encoded) {
    const std::int64_t now = clock_();
    PurgeNowAndThen(now);
    // Every attempt counts, valid or not, so the limit also slows down guessing of tokens;
    // over the limit the answer says so whatever was sent.
    std::string refusal;
    ParseResult parsed = DecodeScoreRecord(encoded);
    std::int64_t expires = 0;
    if (!parsed.record) {
        refusal = "ERROR " + parsed.error;
    } else {
        switch (tokens_.Verify(parsed.record->token, now, &expires)) {
        case TokenSigner::Check::Ok:
            break;
        case TokenSigner::Check::Unknown:
            refusal = "ERROR unknown token";
            break;
        case TokenSigner::Check::Expired:
            refusal = "ERROR expired token";
            break;
        }
    }
    ScoreStore::Submitted outcome;
    try {
        if (!refusal.empty())
            return store_.CountAttempt(client, now, limits_.submissionsPerWindow,
                                       limits_.rateWindowMs)
                       ? refusal
                       : "ERROR too many submissions";
        // A valid one is counted and stored in one go: one commit to wait for.
        const ScoreRecord& record = *parsed.record;
        outcome = store_.CountAndStore(
            client, now, limits_.submissionsPerWindow, limits_.rateWindowMs, record.token, expires,
            StoredScore{record.name, record.score, record.country, now / 1000});
    } catch (const std::exception&) {
        return "ERROR cannot store score";
    }
    switch (outcome) {
    case ScoreStore::Submitted::Stored:
        return "OK";
    case ScoreStore::Submitted::TokenUsed:
        return "ERROR unknown token";
    case ScoreStore::Submitted::TooMany:
        break;
    }
    return "ERROR too many submissions";
}

bool ScoreServer::WorldPageCurrentLocked(std::chrono::steady_clock::time_point now) const {
    return worldPage_ && worldPageGeneration_ == store_.Generation() &&
           (!store_.Shared() ||
            now - worldPageAt_ < std::chrono::milliseconds(limits_.worldPageMaxAgeMs));
}

bool ScoreServer::WorldPageCurrent() {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(pageMutex_);
    worldPageAskedAt_ = now;
    return WorldPageCurrentLocked(now);
}

std::string ScoreServer::WorldPageHtml() {
    using namespace std::chrono;
    std::unique_lock lock(pageMutex_);
    worldPageAskedAt_ = steady_clock::now();
    if (!WorldPageCurrentLocked(worldPageAskedAt_)) {
        // Wait for a rendering that begins after this request, so it shows every row stored
        // before it.
        const std::uint64_t wanted = rendersStarted_ + 1;
        renderAsked_ = true;
        renderWanted_.notify_one();
        rendered_.wait_for(lock, milliseconds(limits_.worldPageWaitMs),
                           [&] { return rendersEnded_ >= wanted || keeperStopping_; });
    }
    const auto now = steady_clock::now();
    if (!worldPage_) return StaleWorldPage(WorldPage({}), 0);
    if (WorldPageCurrentLocked(now)) return *worldPage_;
    return StaleWorldPage(*worldPage_, duration_cast<seconds>(now - worldPageAt_).count());
}

void ScoreServer::Keep() {
    using namespace std::chrono;
    // How often the database file is checked, and how often a shared database's page is
    // rendered again while anyone looks at it.
    const auto tick = milliseconds(std::max<std::int64_t>(limits_.worldPageMaxAgeMs / 2, 50));
    const auto watched = seconds(10);
    std::unique_lock lock(pageMutex_);
    while (!keeperStopping_) {
        renderWanted_.wait_for(lock, std::min<steady_clock::duration>(tick, milliseconds(250)),
                               [&] { return renderAsked_ || keeperStopping_; });
        if (keeperStopping_) break;
        const auto now = steady_clock::now();
        const bool looked = now - worldPageAskedAt_ < watched;
        if (renderAsked_ || (looked && store_.Shared() && now - worldPageAt_ >= tick)) {
            renderAsked_ = false;
            ++rendersStarted_;
            const std::uint64_t generation = store_.Generation();
            lock.unlock();
            std::shared_ptr<const std::string> page;
            try {
                page =
                    std::make_shared<const std::string>(WorldPage(store_.Best(limits_.worldRows)));
            } catch (const std::exception&) {
                // The last good page stays; the store has logged why.
            }
            lock.lock();
            if (page) {
                worldPage_ = std::move(page);
                worldPageGeneration_ = generation;
                worldPageAt_ = steady_clock::now();
            }
            ++rendersEnded_;
            rendered_.notify_all();
        }
        lock.unlock();
        store_.Watch();
        lock.lock();
    }
    rendered_.notify_all();
}

} // namespace scores

// ScoreServer.cpp -- routes of skyvern-scores: home page, version query, submission, world table,
// screenshots.
#include "ScoreServer.h"

#include "ScorePages.h"
#include "ScoreRecord.h"

#include <arpa/inet.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

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

// The canonical text of an IPv4 or IPv6 address, or "" when `text` is none.
std::string NormalAddress(std::string text) {
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    unsigned char bytes[16];
    char out[INET6_ADDRSTRLEN];
    if (inet_pton(AF_INET, text.c_str(), bytes) == 1 && inet_ntop(AF_INET, bytes, out, sizeof out))
        return out;
    if (inet_pton(AF_INET6, text.c_str(), bytes) == 1 && inet_ntop(AF_INET6, bytes, out, sizeof out))
        return out;
    return "";
}

} // namespace

std::int64_t SystemClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ScoreServer::ScoreServer(ScoreStore& store, std::string version, Clock clock, ServerLimits limits)
    : store_(store), version_(std::move(version)), clock_(std::move(clock)), limits_(limits),
      tokens_(store.TokenKey(), limits.tokenLifetimeMs),
      http_([this](const HttpRequest& request, HttpResponse& response) { Route(request, response); },
            HttpLimits{limits.threads, limits.maxConnections, limits.idleTimeoutSeconds,
                       // Room for the longest target we answer plus ordinary headers.
                       limits.maxUrlLength + 12 * 1024, limits.workers},
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
    for (const std::string& proxy : limits_.trustedProxies) {
        std::string address = NormalAddress(proxy);
        trustedProxies_.push_back(address.empty() ? proxy : address);
    }
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

std::string ScoreServer::ClientAddress(const HttpRequest& request) const {
    if (request.forwardedFor.empty()) return request.peer;
    bool trusted = false;
    for (const std::string& proxy : trustedProxies_)
        trusted = trusted || proxy == request.peer;
    if (!trusted) return request.peer;
    // Our proxy appends the address it saw last; whatever stands before it the client wrote.
    std::size_t comma = request.forwardedFor.rfind(',');
    std::string last = NormalAddress(
        comma == std::string::npos ? request.forwardedFor : request.forwardedFor.substr(comma + 1));
    return last.empty() ? request.peer : last;
}

void ScoreServer::Route(const HttpRequest& request, HttpResponse& response) {
    if (request.target.size() > limits_.maxUrlLength) {
        response.status = 414;
        response.body = "URI Too Long\n";
    } else if (request.path == "/") {
        response.contentType = kHtml;
        response.body = HomePage(version_);
    } else if (request.path == "/cgi/version.pl") {
        HandleScript(request, response);
    } else if (request.path.rfind("/screenshots/", 0) == 0) {
        Screenshot(request.path.substr(13), response);
    } else {
        NotFound(response);
    }
}

void ScoreServer::Screenshot(const std::string& name, HttpResponse& response) {
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
    std::filesystem::path file = std::filesystem::path(dir) / name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return NotFound(response);
    std::ifstream in(file, std::ios::binary);
    if (!in) return NotFound(response);
    response.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    response.contentType = file.extension() == ".png" ? "image/png" : "application/octet-stream";
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
        response.body = VersionReply();
    } else if (keys == Keys{"hs", "prg", "inf"} && params["hs"].empty()) {
        response.body = Submit(ClientAddress(request), params["inf"]);
    } else if (keys == Keys{"prg", "show", "type"} && params["show"].empty() &&
               params["type"] == "0") {
        response.contentType = kHtml;
        response.body = WorldPageHtml();
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

// ScoreServer.h -- the HTTP routes of skyvern-scores on top of the token signer and the store.
#pragma once

#include "HttpServer.h"
#include "NetAddress.h"
#include "PageDelivery.h"
#include "ScoreStore.h"
#include "TokenSigner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace scores {

// Milliseconds since the Unix epoch. Tests pass their own to expire tokens without sleeping.
using Clock = std::function<std::int64_t()>;
std::int64_t SystemClockMs();

struct ServerLimits {
    std::size_t maxUrlLength = 4096;
    std::size_t threads = 4; // event loops; they never touch the database
    // Submissions wait for their commit on these, each with its own database connection:
    // enough of them that PostgreSQL commits many with one disk flush.
    std::size_t workers = 16;
    std::size_t maxConnections = 10000;
    unsigned idleTimeoutSeconds = 10;
    // Connections one client address holds at most (trusted proxies excepted), and how long
    // a request's headers may take to arrive whole.
    std::size_t connectionsPerAddress = 64;
    unsigned headerTimeoutSeconds = 10;
    int worldRows = 100;
    std::int64_t tokenLifetimeMs = TokenSigner::kDefaultLifetimeMs;
    int submissionsPerWindow = 30;
    std::int64_t rateWindowMs = 60 * 1000;
    // On a shared database other instances add rows too; the world page is then rendered
    // again at least this often.
    std::int64_t worldPageMaxAgeMs = 500;
    // A world page request that finds the page out of date waits this long (on a worker) for
    // it to be rendered again; then it gets the last good page, marked with its age.
    std::int64_t worldPageWaitMs = 300;
    // How often used tokens and old attempts are cleared out of the database.
    std::int64_t purgeIntervalMs = 15 * 1000;
    // Peers whose X-Forwarded-For names the client (reverse proxies of ours): addresses or
    // ranges ("10.0.0.0/8"); a value that is neither makes the constructor throw.
    std::vector<std::string> trustedProxies;
};

class ScoreServer {
  public:
    ScoreServer(ScoreStore& store, std::string version, Clock clock = SystemClockMs,
                ServerLimits limits = {});
    ~ScoreServer();
    ScoreServer(const ScoreServer&) = delete;
    ScoreServer& operator=(const ScoreServer&) = delete;

    // The configured server with every route; bind and listen on it, stop it from any thread.
    HttpServer& Http() { return http_; }

    // Serves the game's screenshots (the images its AppStream metainfo names) from `dir` as
    // /screenshots/NAME.png. False when `dir` is not a folder.
    bool ServeScreenshots(const std::string& dir);

    // The bodies of the three script answers, also used directly by tests.
    std::string VersionReply();
    std::string Submit(const std::string& client, const std::string& encoded);
    std::string WorldPageHtml();

    // The address a submission counts against: the peer, or for a trusted proxy the last
    // address it put in X-Forwarded-For; nothing when that entry is not an address.
    std::optional<std::string> ClientAddress(const HttpRequest& request) const;

  private:
    void Route(const HttpRequest& request, HttpResponse& response);
    void HandleScript(const HttpRequest& request, HttpResponse& response);
    void Screenshot(const HttpRequest& request, const std::string& name, HttpResponse& response);
    void PurgeNowAndThen(std::int64_t nowMs);
    // True when the world page can be answered at once, without the database.
    bool WorldPageCurrent();
    bool WorldPageCurrentLocked(std::chrono::steady_clock::time_point now) const;
    // The page renderer and file watcher: the only thread that reads the world table.
    void Keep();

    ScoreStore& store_;
    const std::string version_;
    const Clock clock_;
    const ServerLimits limits_;
    std::vector<NetRange> trustedProxies_;
    TokenSigner tokens_;
    std::atomic<std::int64_t> nextPurgeMs_{0};

    std::mutex screenshotsMutex_;
    std::string screenshots_;

    // The world page changes only when a score is stored, so it is rendered once per change,
    // by the keeper thread; the last good page is kept for when the database cannot answer.
    std::mutex pageMutex_;
    std::condition_variable renderWanted_;
    std::condition_variable rendered_;
    bool renderAsked_ = true;
    bool keeperStopping_ = false;
    std::uint64_t rendersStarted_ = 0;
    std::uint64_t rendersEnded_ = 0;
    std::shared_ptr<const std::string> worldPage_;
    std::uint64_t worldPageGeneration_ = 0;
    std::chrono::steady_clock::time_point worldPageAt_;
    std::chrono::steady_clock::time_point worldPageAskedAt_;
    std::thread keeper_;

    // Validators and gzip forms of the pages as they go out.
    PageVersions homeVersions_;
    PageVersions worldVersions_;

    HttpServer http_;
};

} // namespace scores

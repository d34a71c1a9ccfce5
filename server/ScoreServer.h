// ScoreServer.h -- the HTTP routes of skyvern-scores on top of the token book, limiter and store.
#pragma once

#include "RateLimiter.h"
#include "ScoreStore.h"
#include "TokenBook.h"

#include <httplib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace scores {

// Milliseconds since the Unix epoch. Tests pass their own to expire tokens without sleeping.
using Clock = std::function<std::int64_t()>;
std::int64_t SystemClockMs();

struct ServerLimits {
    std::size_t maxUrlLength = 4096;
    std::size_t threads = 64; // each open keep-alive connection holds one
    int worldRows = 100;
    std::size_t tokenCapacity = TokenBook::kDefaultCapacity;
    std::int64_t tokenLifetimeMs = TokenBook::kDefaultLifetimeMs;
    std::size_t submissionsPerWindow = RateLimiter::kDefaultLimit;
    std::int64_t rateWindowMs = RateLimiter::kDefaultWindowMs;
    std::size_t maxRateClients = RateLimiter::kDefaultMaxClients;
};

class ScoreServer {
  public:
    ScoreServer(ScoreStore& store, std::string version, Clock clock = SystemClockMs,
                ServerLimits limits = {});

    // The configured server with every route; bind and listen on it, stop it from any thread.
    httplib::Server& Http() { return http_; }

    // Serves the game's screenshots (the images its AppStream metainfo names) from `dir` as
    // /screenshots/NAME.png. False when `dir` is not a folder.
    bool ServeScreenshots(const std::string& dir);

    // The bodies of the three script answers, also used directly by tests.
    std::string VersionReply();
    std::string Submit(const std::string& client, const std::string& encoded);
    std::string WorldPageHtml();

  private:
    void HandleScript(const httplib::Request& req, httplib::Response& res);

    ScoreStore& store_;
    const std::string version_;
    const Clock clock_;
    const ServerLimits limits_;
    TokenBook tokens_;
    RateLimiter limiter_;
    httplib::Server http_;

    // The world page changes only when a score is stored, so it is rendered once per change.
    std::mutex pageMutex_;
    std::shared_ptr<const std::string> worldPage_;
    std::uint64_t worldPageGeneration_ = 0;
};

} // namespace scores

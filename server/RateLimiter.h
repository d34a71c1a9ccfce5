// RateLimiter.h -- at most N score submissions per client address in any sliding window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace scores {

class RateLimiter {
  public:
    static constexpr std::size_t kDefaultLimit = 30;
    static constexpr std::int64_t kDefaultWindowMs = 60 * 1000;
    static constexpr std::size_t kDefaultMaxClients = 50000;

    // Memory stays below maxClients * limit time stamps: clients quiet for a whole window are
    // dropped, and while the table is full of active clients a new address is refused.
    explicit RateLimiter(std::size_t limit = kDefaultLimit,
                         std::int64_t windowMs = kDefaultWindowMs,
                         std::size_t maxClients = kDefaultMaxClients);

    // Counts one attempt of `client` at nowMs if it is within the limit; refused ones do not
    // count, so a client that keeps trying is let in again once its window has passed.
    bool Allow(const std::string& client, std::int64_t nowMs);

    std::size_t ClientCount() const;

  private:
    void PruneLocked(std::int64_t nowMs);

    const std::size_t limit_;
    const std::int64_t windowMs_;
    const std::size_t maxClients_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::vector<std::int64_t>> attempts_; // oldest first
    std::int64_t nextPruneMs_ = 0;
};

} // namespace scores

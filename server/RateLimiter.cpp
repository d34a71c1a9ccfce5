// RateLimiter.cpp -- sliding-window submission limit per client address, with pruning.
#include "RateLimiter.h"

#include <algorithm>

namespace scores {

RateLimiter::RateLimiter(std::size_t limit, std::int64_t windowMs, std::size_t maxClients)
    : limit_(limit), windowMs_(windowMs), maxClients_(maxClients) {}

bool RateLimiter::Allow(const std::string& client, std::int64_t nowMs) {
    std::lock_guard lock(mutex_);
    // A sweep over every client costs O(clients), so it runs only a few times per window, even
    // while the table is full.
    if (nowMs >= nextPruneMs_) PruneLocked(nowMs);

    auto it = attempts_.find(client);
    if (it == attempts_.end()) {
        if (limit_ == 0 || attempts_.size() >= maxClients_) return false;
        it = attempts_.emplace(client, std::vector<std::int64_t>{}).first;
        it->second.reserve(limit_);
    }
    std::vector<std::int64_t>& stamps = it->second;
    auto live = std::find_if(stamps.begin(), stamps.end(),
                             [&](std::int64_t t) { return nowMs - t < windowMs_; });
    stamps.erase(stamps.begin(), live);
    if (stamps.size() >= limit_) return false;
    stamps.push_back(nowMs);
    return true;
}

std::size_t RateLimiter::ClientCount() const {
    std::lock_guard lock(mutex_);
    return attempts_.size();
}

void RateLimiter::PruneLocked(std::int64_t nowMs) {
    for (auto it = attempts_.begin(); it != attempts_.end();) {
        if (it->second.empty() || nowMs - it->second.back() >= windowMs_)
            it = attempts_.erase(it);
        else
            ++it;
    }
    nextPruneMs_ = nowMs + windowMs_ / 4;
}

} // namespace scores

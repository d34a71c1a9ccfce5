// TokenBook.h -- the one-time values handed out by the version query and used up by a submission.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

namespace scores {

class TokenBook {
  public:
    static constexpr std::int64_t kDefaultLifetimeMs = 10 * 60 * 1000;
    static constexpr std::size_t kDefaultCapacity = 100000;
    static constexpr std::size_t kTokenLength = 24; // 120 random bits

    enum class Use { Ok, Unknown, Expired };

    // At most `capacity` tokens are kept; when full, the oldest is forgotten first.
    explicit TokenBook(std::size_t capacity = kDefaultCapacity,
                       std::int64_t lifetimeMs = kDefaultLifetimeMs);

    // A fresh random token of alphabet symbols, valid for the lifetime from nowMs.
    std::string Issue(std::int64_t nowMs);

    // Uses the token up, whatever the answer: a second use is always Unknown.
    Use Consume(const std::string& token, std::int64_t nowMs);

    std::size_t Size() const;

  private:
    void PruneLocked(std::int64_t nowMs);

    const std::size_t capacity_;
    const std::int64_t lifetimeMs_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::int64_t> issued_;
    // Issue order, so expiry and eviction work from the front. Entries of consumed tokens stay
    // until they reach the front; the queue never holds more than `capacity_` entries.
    std::deque<std::pair<std::int64_t, std::string>> order_;
};

} // namespace scores

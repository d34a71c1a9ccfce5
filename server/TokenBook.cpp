// TokenBook.cpp -- one-time tokens: random issue, single use, expiry and a bounded book.
#include "TokenBook.h"

#include "ScoreRecord.h"

#include <array>
#include <cerrno>
#include <stdexcept>
#include <sys/random.h>

namespace scores {

namespace {

void FillRandom(unsigned char* buf, std::size_t size) {
    while (size > 0) {
        ssize_t got = getrandom(buf, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("getrandom failed");
        }
        buf += got;
        size -= static_cast<std::size_t>(got);
    }
}

} // namespace

TokenBook::TokenBook(std::size_t capacity, std::int64_t lifetimeMs)
    : capacity_(capacity > 0 ? capacity : 1), lifetimeMs_(lifetimeMs) {}

std::string TokenBook::Issue(std::int64_t nowMs) {
    std::array<unsigned char, kTokenLength> raw;
    FillRandom(raw.data(), raw.size());
    std::string token(kTokenLength, ' ');
    for (std::size_t i = 0; i < kTokenLength; ++i)
        token[i] = kSymbolAlphabet[raw[i] & 31];

    std::lock_guard lock(mutex_);
    PruneLocked(nowMs);
    while (order_.size() >= capacity_) {
        issued_.erase(order_.front().second);
        order_.pop_front();
    }
    // A repeat of a live token has odds of 2^-120; if it ever happens the older one just lives on.
    if (issued_.emplace(token, nowMs).second) order_.emplace_back(nowMs, token);
    return token;
}

TokenBook::Use TokenBook::Consume(const std::string& token, std::int64_t nowMs) {
    std::lock_guard lock(mutex_);
    auto it = issued_.find(token);
    if (it == issued_.end()) return Use::Unknown;
    std::int64_t issuedAt = it->second;
    issued_.erase(it);
    PruneLocked(nowMs);
    return nowMs - issuedAt < lifetimeMs_ ? Use::Ok : Use::Expired;
}

std::size_t TokenBook::Size() const {
    std::lock_guard lock(mutex_);
    return issued_.size();
}

void TokenBook::PruneLocked(std::int64_t nowMs) {
    while (!order_.empty() && nowMs - order_.front().first >= lifetimeMs_) {
        auto it = issued_.find(order_.front().second);
        if (it != issued_.end() && it->second == order_.front().first) issued_.erase(it);
        order_.pop_front();
    }
}

} // namespace scores

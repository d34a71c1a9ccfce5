// TokenSigner.h -- the one-time values handed out by the version query: signed, so that any
// instance sharing the key can check them without asking the others.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scores {

// A token is 24 symbols of the score alphabet, 15 bytes:
//   issue time (4 bytes, Unix seconds) | serial (5 bytes) | HMAC-SHA256 of the first 9 (6 bytes)
// Issuing needs no storage at all; single use is kept by the store, which records every token
// that was used until it has expired.
class TokenSigner {
  public:
    static constexpr std::int64_t kDefaultLifetimeMs = 10 * 60 * 1000;
    static constexpr std::size_t kTokenLength = 24;
    static constexpr std::size_t kKeyLength = 32;
    // Instances' clocks may differ a little; a token from further ahead is not taken.
    static constexpr std::int64_t kMaxAheadMs = 60 * 1000;

    enum class Check { Ok, Unknown, Expired };

    // `key` is the secret shared by every instance (kept in the database).
    explicit TokenSigner(std::string_view key, std::int64_t lifetimeMs = kDefaultLifetimeMs);

    std::string Issue(std::int64_t nowMs);

    // Whether the token is one of ours and still within its lifetime at nowMs. On Ok,
    // *expiresMs (when given) is when it stops being good, which is how long its use must be
    // remembered.
    Check Verify(std::string_view token, std::int64_t nowMs,
                 std::int64_t* expiresMs = nullptr) const;

    // Fresh random key bytes for a new database.
    static std::string NewKey();

  private:
    std::array<unsigned char, 6> Mac(const unsigned char* data, std::size_t size) const;

    std::string key_;
    const std::int64_t lifetimeMs_;
    // Tokens of one second differ by their serial; it starts at a random point in every
    // process so that two instances practically never hand out the same one.
    std::atomic<std::uint64_t> serial_;
};

} // namespace scores

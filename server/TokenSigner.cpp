// TokenSigner.cpp -- signed one-time tokens: issue, verify, expiry.
#include "TokenSigner.h"

#include "ScoreRecord.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cerrno>
#include <stdexcept>
#include <sys/random.h>

namespace scores {

namespace {

constexpr std::size_t kRawLength = TokenSigner::kTokenLength * 5 / 8; // 15
constexpr std::size_t kSignedLength = 9;                              // time and serial

void FillRandom(void* buffer, std::size_t size) {
    auto* at = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        ssize_t got = getrandom(at, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("getrandom failed");
        }
        at += got;
        size -= static_cast<std::size_t>(got);
    }
}

std::uint64_t RandomSerial() {
    std::uint64_t value = 0;
    FillRandom(&value, sizeof value);
    return value;
}

int SymbolValue(char c) {
    std::size_t at = kSymbolAlphabet.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace

TokenSigner::TokenSigner(std::string_view key, std::int64_t lifetimeMs)
    : key_(key), lifetimeMs_(lifetimeMs), serial_(RandomSerial()) {
    if (key_.size() < 16) throw std::invalid_argument("token key too short");
}

std::string TokenSigner::NewKey() {
    std::string key(kKeyLength, '\0');
    FillRandom(key.data(), key.size());
    return key;
}

std::array<unsigned char, 6> TokenSigner::Mac(const unsigned char* data, std::size_t size) const {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()), data, size, digest,
              &length))
        throw std::runtime_error("HMAC failed");
    std::array<unsigned char, 6> mac;
    for (std::size_t i = 0; i < mac.size(); ++i)
        mac[i] = digest[i];
    return mac;
}

std::string TokenSigner::Issue(std::int64_t nowMs) {
    unsigned char raw[kRawLength];
    const auto seconds = static_cast<std::uint32_t>(nowMs / 1000);
    const std::uint64_t serial = serial_.fetch_add(1, std::memory_order_relaxed);
    for (int i = 0; i < 4; ++i)
        raw[i] = static_cast<unsigned char>(seconds >> (24 - 8 * i));
    for (int i = 0; i < 5; ++i)
        raw[4 + i] = static_cast<unsigned char>(serial >> (32 - 8 * i));
    auto mac = Mac(raw, kSignedLength);
    for (std::size_t i = 0; i < mac.size(); ++i)
        raw[kSignedLength + i] = mac[i];

    // 120 bits, five at a time, most significant first.
    std::string token(kTokenLength, ' ');
    for (std::size_t s = 0; s < kTokenLength; ++s) {
        unsigned value = 0;
        for (std::size_t b = 0; b < 5; ++b) {
            std::size_t bit = s * 5 + b;
            value = value << 1 | ((raw[bit / 8] >> (7 - bit % 8)) & 1u);
        }
        token[s] = kSymbolAlphabet[value];
    }
    return token;
}

TokenSigner::Check TokenSigner::Verify(std::string_view token, std::int64_t nowMs,
                                       std::int64_t* expiresMs) const {
    if (token.size() != kTokenLength) return Check::Unknown;
    unsigned char raw[kRawLength] = {};
    for (std::size_t s = 0; s < kTokenLength; ++s) {
        int value = SymbolValue(token[s]);
        if (value < 0) return Check::Unknown;
        for (std::size_t b = 0; b < 5; ++b) {
            std::size_t bit = s * 5 + b;
            if ((value >> (4 - b)) & 1)
                raw[bit / 8] |= static_cast<unsigned char>(0x80 >> (bit % 8));
        }
    }
    auto mac = Mac(raw, kSignedLength);
    if (CRYPTO_memcmp(mac.data(), raw + kSignedLength, mac.size()) != 0) return Check::Unknown;
    std::uint32_t seconds = 0;
    for (int i = 0; i < 4; ++i)
        seconds = seconds << 8 | raw[i];
    // Never issued by a clock of ours (a key leaked, or a clock far off): its use would have
    // to be remembered for as long as it claims to live.
    if (static_cast<std::int64_t>(seconds) * 1000 > nowMs + kMaxAheadMs) return Check::Unknown;
    // The issue second is rounded down, so a token never lives longer than its lifetime.
    const std::int64_t expires = static_cast<std::int64_t>(seconds) * 1000 + lifetimeMs_;
    if (nowMs >= expires) return Check::Expired;
    if (expiresMs) *expiresMs = expires;
    return Check::Ok;
}

} // namespace scores

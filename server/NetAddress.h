// NetAddress.h -- client addresses as the server counts them: parsed from text (plain, with a
// port, bracketed IPv6), compared against ranges of trusted proxies, grouped per client.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sockaddr;

namespace scores {

// A header value or list item without the spaces and tabs HTTP allows around it.
std::string_view Trim(std::string_view text);

struct NetAddress {
    bool v6 = false;
    // IPv4 in the first four bytes; an IPv4-mapped IPv6 address is kept as IPv4, as a proxy
    // names it.
    std::array<unsigned char, 16> bytes{};

    std::string Text() const;
    // What one client is held to: an IPv4 address, or the /64 of an IPv6 one (a single host
    // is usually handed a whole /64).
    std::string ClientKey() const;
    bool operator==(const NetAddress& other) const {
        return v6 == other.v6 && bytes == other.bytes;
    }
};

// A plain IPv4 or IPv6 address, surrounding spaces allowed; nothing else.
std::optional<NetAddress> ParseAddress(std::string_view text);
// As a proxy may write one entry of X-Forwarded-For: a plain address, "1.2.3.4:port",
// "[v6]" or "[v6]:port".
std::optional<NetAddress> ParseForwardedAddress(std::string_view text);
std::optional<NetAddress> FromSockaddr(const sockaddr* address);

// An address with a prefix length ("10.0.0.0/8", "2001:db8::/32"); a plain address is a range
// of one.
struct NetRange {
    NetAddress base;
    int prefix = 0;
    bool Contains(const NetAddress& address) const;
};
std::optional<NetRange> ParseRange(std::string_view text);
bool AnyContains(const std::vector<NetRange>& ranges, const NetAddress& address);

} // namespace scores

// NetAddress.cpp -- parsing and grouping of client addresses.
#include "NetAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace scores {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

namespace {

NetAddress FromV6(const unsigned char* bytes) {
    NetAddress address;
    static const unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(bytes, kMapped, sizeof kMapped) == 0) {
        std::memcpy(address.bytes.data(), bytes + 12, 4);
    } else {
        address.v6 = true;
        std::memcpy(address.bytes.data(), bytes, 16);
    }
    return address;
}

bool IsPort(std::string_view text) {
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535;
}

} // namespace

std::string NetAddress::Text() const {
    char out[INET6_ADDRSTRLEN] = "";
    inet_ntop(v6 ? AF_INET6 : AF_INET, bytes.data(), out, sizeof out);
    return out;
}

std::string NetAddress::ClientKey() const {
    if (!v6) return Text();
    NetAddress network = *this;
    std::memset(network.bytes.data() + 8, 0, 8);
    return network.Text() + "/64";
}

std::optional<NetAddress> ParseAddress(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() >= INET6_ADDRSTRLEN) return std::nullopt;
    const std::string copy(text);
    unsigned char bytes[16];
    if (inet_pton(AF_INET, copy.c_str(), bytes) == 1) {
        NetAddress address;
        std::memcpy(address.bytes.data(), bytes, 4);
        return address;
    }
    if (inet_pton(AF_INET6, copy.c_str(), bytes) == 1) return FromV6(bytes);
    return std::nullopt;
}

std::optional<NetAddress> ParseForwardedAddress(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '[') {
        std::size_t close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && (rest.front() != ':' || !IsPort(rest.substr(1)))) return std::nullopt;
        auto address = ParseAddress(text.substr(1, close - 1));
        // Brackets belong to IPv6 only.
        if (!address || text.substr(1, close - 1).find(':') == std::string_view::npos)
            return std::nullopt;
        return address;
    }
    // One colon can only be IPv4 with a port; more are an IPv6 address without brackets.
    std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
        if (!IsPort(text.substr(colon + 1))) return std::nullopt;
        auto address = ParseAddress(text.substr(0, colon));
        if (!address || address->v6) return std::nullopt;
        return address;
    }
    return ParseAddress(text);
}

std::optional<NetAddress> FromSockaddr(const sockaddr* address) {
    if (!address) return std::nullopt;
    if (address->sa_family == AF_INET) {
        NetAddress out;
        std::memcpy(out.bytes.data(), &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, 4);
        return out;
    }
    if (address->sa_family == AF_INET6)
        return FromV6(reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr.s6_addr);
    return std::nullopt;
}

bool NetRange::Contains(const NetAddress& address) const {
    if (address.v6 != base.v6) return false;
    int bits = prefix;
    for (std::size_t i = 0; bits > 0; ++i, bits -= 8) {
        const unsigned mask = bits >= 8 ? 0xffu : (0xffu << (8 - bits)) & 0xffu;
        if ((address.bytes[i] & mask) != (base.bytes[i] & mask)) return false;
    }
    return true;
}

std::optional<NetRange> ParseRange(std::string_view text) {
    text = Trim(text);
    std::size_t slash = text.find('/');
    auto base = ParseAddress(text.substr(0, slash));
    if (!base) return std::nullopt;
    const int bits = base->v6 ? 128 : 32;
    NetRange range{*base, bits};
    if (slash == std::string_view::npos) return range;
    std::string_view length = text.substr(slash + 1);
    if (length.empty() || length.size() > 3) return std::nullopt;
    int value = 0;
    for (char c : length) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > bits) return std::nullopt;
    range.prefix = value;
    return range;
}

bool AnyContains(const std::vector<NetRange>& ranges, const NetAddress& address) {
    for (const NetRange& range : ranges)
        if (range.Contains(address)) return true;
    return false;
}

} // namespace scores

// ScoreServer.cpp -- the score server's base address.
#include "online/ScoreServer.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "state/GameState.h"

namespace {

// Longer than any address a player types; a value past this is a mistake, not a server.
constexpr size_t kLongestAddress = 1024;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// An http or https address with a host, and nothing a request line cannot carry.
bool UsableAddress(std::string_view url) {
    if (url.size() > kLongestAddress) return false;
    size_t rest;
    if (StartsWithNoCase(url, "http://"))
        rest = 7;
    else if (StartsWithNoCase(url, "https://"))
        rest = 8;
    else
        return false;
    if (rest >= url.size() || url[rest] == '/') return false;
    for (char c : url)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return false;
    return true;
}

// SKYVERN_SCORE_SERVER, so a LAN party or a test can use a server of its own without a rebuild.
// A value that is no usable address is said once and left aside.
std::string FromEnvironment() {
    const char* value = std::getenv("SKYVERN_SCORE_SERVER");
    if (!value || !*value) return "";
    if (UsableAddress(value)) return value;
    static std::string refused;
    if (refused != value) {
        refused = value;
        std::fprintf(stderr,
                     "skyvern: SKYVERN_SCORE_SERVER is not an http:// or https:// address; "
                     "using %s\n",
                     SKYVERN_SCORE_SERVER);
    }
    return "";
}

} // namespace

std::string ScoreServerBase() {
    std::string base = ScoreServerOverride;
    if (base.empty()) base = FromEnvironment();
    if (base.empty()) base = SKYVERN_SCORE_SERVER;
    if (base.back() != '/') base += '/';
    return base;
}

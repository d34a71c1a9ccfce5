// SendScore.cpp -- the score exchange: the version query for a one-time value, then the
// encoded result. Both requests block the game, as designed; a waiting frame shows meanwhile.
#include "online/SendScore.h"

#include "online/ScoreCodec.h"
#include "online/ScoreServer.h"
#include "state/GameState.h"
#include "state/WorldContext.h"

namespace {
bool StartsWithOK(const std::string& reply) {
    return reply.size() >= 2 && reply.compare(0, 2, "OK") == 0;
}

bool Failed() {
    Host().SendFailed();
    return false;
}
} // namespace

bool SendScore(TIdHTTP& http, const std::function<void()>& showWaiting) {
    // No frame runs while the requests block: show one now.
    if (showWaiting) showWaiting();
    Host().SendStarted();

    const std::string base = ScoreServerBase();
    std::string reply;
    try {
        reply = http.Get(base + "cgi/version.pl?version&prg=Skyvern");
    } catch (const EIdHTTPError&) {
        reply.clear();
    }
    if (!StartsWithOK(reply)) return Failed();

    const std::string record =
        BuildScoreRecord(PlayerName.Str(), Score, ExtractVersionToken(reply), Country.Str());
    const std::string encoded = BitsToSymbols(TextToBits(record));
    try {
        reply = http.Get(base + "cgi/version.pl?hs&prg=Skyvern&inf=" + encoded);
    } catch (const EIdHTTPError&) {
        reply.clear();
    }
    if (!StartsWithOK(reply)) return Failed();
    Host().SendAnswered();
    return true;
}

// ScoreServer.cpp -- the score server's base address.
#include "online/ScoreServer.h"

#include "state/GameState.h"

std::string ScoreServerBase() {
    std::string base = ScoreServerOverride.empty() ? SKYVERN_SCORE_SERVER : ScoreServerOverride;
    if (base.empty() || base.back() != '/') base += '/';
    return base;
}

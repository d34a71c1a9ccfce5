// ScoreServer.h -- the score server's base address: the home page, the world table and the
// score exchange all hang off it. Built in (SKYVERN_SCORE_SERVER at build time); the environment
// variable SKYVERN_SCORE_SERVER points an installed game elsewhere, and the harness's "server"
// line wins over both.
#pragma once

#include <string>

// The harness's "server URL" line sets ScoreServerOverride (state/GameState.h).
// The base address, always ending in "/".
std::string ScoreServerBase();

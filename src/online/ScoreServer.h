// ScoreServer.h -- the score server's base address: the home page, the world table and the
// score exchange all hang off it. A build-time constant; the harness may point it elsewhere.
#pragma once

#include <string>

// The harness's "server URL" line sets ScoreServerOverride (state/GameState.h).
// The base address, always ending in "/".
std::string ScoreServerBase();

// ScoreServer.h -- the score server's base address: the home page, the world table and the
// score exchange all hang off it. A build-time constant; the harness may point it elsewhere.
#pragma once

#include <string>

// Set by the harness's "server URL" line; empty = the built-in address.
extern std::string ScoreServerOverride;
// The base address, always ending in "/".
std::string ScoreServerBase();

// SendScore.h -- sending a finished game's result to the score server (the send prompt's
// send item).
#pragma once

#include <functional>

#include "online/IdHTTP.h"

// Shows the waiting frame (`showWaiting`, while both requests block), then exchanges with the
// server through `http`, telling the host (state/FlowHost.h) each change of state: begun, then
// failed (false; the notice for 1500 ms) or answered (true; the prompt again, whose "no" the
// caller then performs).
bool SendScore(TIdHTTP& http, const std::function<void()>& showWaiting);

// SendScore.h -- sending a finished game's result to the score server (the send prompt's
// send item).
#pragma once

#include <functional>

#include "online/IdHTTP.h"

// Shows the waiting frame (`showWaiting`, while both requests block), then exchanges with the
// server through `http`. False, with GameState at gsSendFailed and BannerTime 1500, when the
// exchange fails; true with GameState back at gsSendPrompt, whose "no" the caller then performs.
bool SendScore(TIdHTTP& http, const std::function<void()>& showWaiting);

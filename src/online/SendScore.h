// SendScore.h -- sending a finished game's result to the score server (the send prompt's
// send item).
#pragma once

// Leaves GameState at gsSendFailed with BannerTime 1500 when the exchange fails; after success
// the front end is already back, on its high-score screen.
void SendScore();

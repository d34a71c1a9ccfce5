// SendScore.cpp -- the score exchange. Until the exchange itself is written every attempt
// takes the failure path: the notice shows and the prompt comes back.
#include "online/SendScore.h"

#include "app/GameState.h"

void SendScore() {
    GameState = gsSendFailed;
    BannerTime = 1500;
}

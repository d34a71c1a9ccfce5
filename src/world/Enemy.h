// Enemy.h -- TFlyingEnemySprite, all eight kinds of enemy: three that fly (straight, diving,
// on a sine path) and five on the ground (four archers and a catapult).
#pragma once

#include <cstdint>

#include "sprites/DXSprite.h"

class TFlyingEnemySprite : public TImageSprite {
  public:
    // kind 1..8; places itself and draws its random numbers in a fixed order.
    TFlyingEnemySprite(int32_t kind, TSprite* engine);
    const char* ClassName() const override { return "TFlyingEnemySprite"; }

    void Step(int32_t frames) override;
    // Killed, with its sound, explosion and points. Does not look at Killed: an enemy that
    // dies twice before it is freed scores twice.
    void Die();

    int32_t Health = 0;
    uint16_t Points = 0;   // the starting Health
    uint16_t FireRate = 1; // reload 200 / FireRate frames
    uint16_t FireCooldown = 0;
    uint16_t ShootPhase = 0; // 100 down to 0; shoots only below 50
    uint16_t Kind = 0;
    uint8_t FlapCounter = 0;
    uint8_t FlapMax = 0;
    uint8_t WavePhase = 0; // wraps at 256
    int32_t BaseY = 0;     // centre line of the sine path
};

// Sine of a phase in 256ths of a turn, from the 256-entry cosine table built once.
double WaveSine(uint8_t phase);

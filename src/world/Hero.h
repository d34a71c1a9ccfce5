// Hero.h -- the dragon the player flies (THeroSprite), its tail, which counts as part of it for
// collisions (TTailSprite), and the shield shown while a shield bonus lasts (TShieldSprite).
#pragma once

#include <cstdint>

#include "sprites/DXSprite.h"

class THeroSprite : public TImageSprite {
  public:
    // Hidden at (150, 200); also makes the tail (HeroTail).
    explicit THeroSprite(TSprite* engine);
    const char* ClassName() const override { return "THeroSprite"; }

    // Steers from the input states and the pending mouse steps, drifts, fires, then queries
    // collisions.
    void Step(int32_t frames) override;
    void Collided(TSprite* other, bool& stop) override;
    // Costs a life and starts the dying state; the game loop clears the field and revives.
    void Die();

    int32_t FireRate = 24; // a shot waits 200 / FireRate frames
    int32_t FireCooldown = 0;
    int32_t Weapon = 1; // 1 fire pistol, 2 fireball, 3 ice pistol, 4 flash pistol
    int32_t Health = 0;
    uint8_t FlapCounter = 0;
    uint8_t FlapDivisor = 10; // frames per wing pattern
};

class TTailSprite : public TImageSprite {
  public:
    // Joins the game's engine, hidden.
    TTailSprite(int32_t x, int32_t y);
    const char* ClassName() const override { return "TTailSprite"; }

    // Queries collisions even while hidden; the hero ignores them then.
    void Step(int32_t frames) override;
    // Touching with the tail is touching with the dragon.
    void Collided(TSprite* other, bool& stop) override;
};

// Moved and animated by the hero; no behaviour of its own. Needs the hero to exist.
class TShieldSprite : public TImageSprite {
  public:
    explicit TShieldSprite(TSprite* engine);
    const char* ClassName() const override { return "TShieldSprite"; }
};

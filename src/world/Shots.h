// Shots.h -- enemy shots (TWeaponSprite: arrows and burning stones), the hero's shots
// (THeroWeaponSprite: the four pistols) and explosions (TExplosionSprite).
#pragma once

#include <cstdint>
#include <string_view>

#include "sprites/DXSprite.h"

class TWeaponSprite : public TImageSprite {
  public:
    // Plays its launch sound.
    TWeaponSprite(TSprite* engine, std::string_view picture, uint8_t shotKind, int32_t damage,
                  int32_t x, int32_t y);
    const char* ClassName() const override { return "TWeaponSprite"; }

    void Step(int32_t frames) override;
    // Killed; a stone also explodes with the "herodie" sound.
    void Burst();

    uint8_t ShotKind = 0; // 1, 2 arrows; 3, 4 stones
    int32_t Damage = 0;   // taken from the hero
};

class THeroWeaponSprite : public TImageSprite {
  public:
    // weapon 1..4 (the hero's Weapon); plays its launch sound.
    THeroWeaponSprite(TSprite* engine, uint8_t weapon, int32_t x, int32_t y);
    const char* ClassName() const override { return "THeroWeaponSprite"; }

    void Step(int32_t frames) override;
    // Hits every enemy it overlaps in one query, also one already dead this frame.
    void Collided(TSprite* other, bool& stop) override;

    uint16_t Damage = 0; // taken from an enemy
    uint8_t Weapon = 0;
    uint8_t FlapCounter = 0;
};

// A one-shot pattern animation drifting left with the landscape: one pattern per step.
class TExplosionSprite : public TImageSprite {
  public:
    TExplosionSprite(TSprite* engine, std::string_view picture, int32_t drift, int32_t x,
                     int32_t y);
    const char* ClassName() const override { return "TExplosionSprite"; }

    void Step(int32_t frames) override;

    int32_t Drift = 0; // pixels left per step
};

// Scenery.h -- the landscape: mountain layers that scroll and wrap (TMountain), volcanoes and
// lava (TVolcano), trees (TGreenTree) and the swaying grille at the left edge (TReshetkaSprite).
// The help screen's page picture (THelpImageSprite) lives with the help screen.
#pragma once

#include <cstdint>
#include <string_view>

#include "sprites/DXSprite.h"

// One half of a scenery layer; two side by side tile the layer endlessly.
class TMountain : public TImageSprite {
  public:
    // Joins the game's engine.
    TMountain(std::string_view picture, int32_t x, int32_t y, int32_t layer, uint16_t speed);
    const char* ClassName() const override { return "TMountain"; }
    void Step(int32_t frames) override;

    uint16_t Speed = 0; // pixels per step, times ScrollSpeed
};

class TVolcano : public TImageSprite {
  public:
    // Joins the game's engine.
    TVolcano(bool isLava, int32_t x);
    const char* ClassName() const override { return "TVolcano"; }
    void Step(int32_t frames) override;

    uint8_t FlapCounter = 0;
    bool IsLava = false; // the lava stream, which burns the hero
};

class TGreenTree : public TImageSprite {
  public:
    TGreenTree(); // joins the game's engine
    const char* ClassName() const override { return "TGreenTree"; }
    void Step(int32_t frames) override;
};

// The grille: kills the dragon on contact unless the shield is up.
class TReshetkaSprite : public TImageSprite {
  public:
    explicit TReshetkaSprite(TSprite* engine);
    const char* ClassName() const override { return "TReshetkaSprite"; }
    void Step(int32_t frames) override;
    void Paint() override;

    bool SwayRight = false;
    bool SwayDown = true;
    int32_t SwayX = 0;
    int32_t SwayY = 166;
};

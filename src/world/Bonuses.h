// Bonuses.h -- floating pick-ups (TBonusSprite) and the three head-up sprites on the status
// bar: the bonus indicator, the lives indicator and the level-time scale.
#pragma once

#include <cstdint>

#include "sprites/DXSprite.h"

class TBonusSprite : public TImageSprite {
  public:
    // Picks its kind, its pistol and its height; enters at the right edge.
    explicit TBonusSprite(TSprite* engine);
    const char* ClassName() const override { return "TBonusSprite"; }

    void Step(int32_t frames) override;
    void Paint() override; // the bubble, then its icon on top
    // The hero touched it (run by the hero's Collided; twice when dragon and tail both do).
    void PickUp();

    uint8_t BonusKind = 0;  // 1 pistol, 2 bomb, 3 shield, 4 life, 5 points, 6 time
    uint8_t PistolKind = 0; // the hero weapon a pistol bonus gives, 2..4
    uint8_t FlapCounter = 0;

  private:
    TPictureCollectionItem* generic_ = nullptr; // "bonusindicator"
};

class TBonusIndicatorSprite : public TImageSprite {
  public:
    explicit TBonusIndicatorSprite(TSprite* engine);
    const char* ClassName() const override { return "TBonusIndicatorSprite"; }
    void Paint() override; // the running pistol's icon, or the generic one
};

// One dragon icon per life. No picture of its own; its position only has to lie strictly inside
// the view for the engine to paint it.
class TLivesIndicator : public TImageSprite {
  public:
    explicit TLivesIndicator(TSprite* engine) : TImageSprite(engine) {}
    const char* ClassName() const override { return "TLivesIndicator"; }
    void Paint() override;
};

// The bar that shows how much of the level has passed: 1 to 195 one-pixel columns.
class TScaleSprite : public TImageSprite {
  public:
    TScaleSprite(); // joins the game's engine
    const char* ClassName() const override { return "TScaleSprite"; }
    void Paint() override;
};

// The columns the scale draws for the level clock at elapsed of length (both date-times).
int32_t ScaleColumns(double elapsed, double length);

// Bonuses.cpp -- bonus kinds and their pick-up effects; the status bar's indicators.
#include "world/Bonuses.h"

#include <cmath>

#include "audio/SoundEvents.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "world/Enemy.h"
#include "world/GameField.h"
#include "world/Hero.h"

namespace {
// The pistol icons follow each other in the picture file: pistol n at index n + 23.
constexpr int kPistolIconBase = 23;
constexpr int32_t kTimeBonusMs = 10000;
} // namespace

// ---- TBonusSprite ----

TBonusSprite::TBonusSprite(TSprite* engine) : TImageSprite(engine) {
    BonusKind = uint8_t(1 + Random(8));
    if (BonusKind == 7 || BonusKind == 8) BonusKind = 1; // the pistol comes 3 times in 8
    PistolKind = uint8_t(2 + Random(3));
    PictureItem = &GamePicture("bonus");
    Width = PictureItem->PatternWidth;
    Height = PictureItem->PatternHeight;
    PixelExact = false;
    X = 800;
    Y = 70 + Random(490 - Height);
    SetZ(8);
    AnimLength = 4;
    AnimIndex = 0;
    AnimBase = 0;
    AnimLoop = false;
    Shown = true;
    generic_ = &GamePicture("bonusindicator");
}

void TBonusSprite::Step(int32_t frames) {
    TImageSprite::Step(frames);
    FlapCounter = FlapCounter < 39 ? FlapCounter + 1 : 0;
    AnimIndex = FlapCounter / 10;
    if (X <= -Width) Kill(); // tested before it moves
    X -= 3;
}

void TBonusSprite::Paint() {
    TImageSprite::Paint();
    if (!Engine()) return;
    TPictureCollectionItem& icon =
        BonusKind == 1 ? GamePictureAt(PistolKind + kPistolIconBase) : *generic_;
    icon.DrawPattern(Engine()->Target(), X, Y, 0);
}

void TBonusSprite::PickUp() {
    Kill();
    if (SoundOn) PlaySoundByName("bonus");
    if (BonusIndicator) BonusIndicator->Shown = true;
    switch (BonusKind) {
    case 1: // pistol: replaces the current one and restarts its 15 seconds
        WeaponTime = 15000;
        if (Hero) {
            Hero->Weapon = PistolKind;
            Hero->FireRate = 12;
        }
        break;
    case 2: { // bomb: every enemy on the field dies, also one already dead this frame
        BonusNoticeTime = 2000;
        TSpriteEngine* engine = Engine();
        const int32_t count = engine->ChildCount();
        for (int32_t i = 0; i < count; ++i)
            if (auto* enemy = dynamic_cast<TFlyingEnemySprite*>(engine->Child(i))) enemy->Die();
        break;
    }
    case 3: // shield
        ShieldTime = 15000;
        if (HeroShield && Hero) {
            HeroShield->Shown = true;
            HeroShield->X = Hero->X - (HeroTail ? HeroTail->Width : 0);
            HeroShield->Y = Hero->Y;
        }
        break;
    case 4:
        BonusNoticeTime = 2000;
        Lives += 1;
        if (Lives > 3) Lives = 3;
        break;
    case 5:
        BonusNoticeTime = 2000;
        Score = uint16_t(Score + 100);
        break;
    case 6: { // time: the level clock goes back, giving the level more time
        BonusNoticeTime = 2000;
        if (TimeMs(LevelTime) <= kTimeBonusMs)
            LevelTime = 0;
        else
            LevelTime -= kTimeBonusMs * kOneMs;
        break;
    }
    default:
        break;
    }
}

// ---- TBonusIndicatorSprite ----

TBonusIndicatorSprite::TBonusIndicatorSprite(TSprite* engine) : TImageSprite(engine) {
    PictureItem = &GamePicture("bonusindicator");
    PixelExact = false;
    X = 715;
    Y = 28;
    SetZ(11);
    Width = PictureItem->FrameWidth();
    Height = PictureItem->FrameHeight();
    Shown = false;
}

void TBonusIndicatorSprite::Paint() {
    if (!Engine()) return;
    TDirectDrawSurface* target = Engine()->Target();
    if (Hero && Hero->Weapon > 1 && WeaponTime > ShieldTime)
        GamePictureAt(Hero->Weapon + kPistolIconBase).DrawPattern(target, X, Y, 0);
    else if (ShieldTime > 0 || BonusNoticeTime > 0)
        PictureItem->DrawPattern(target, X, Y, 0);
}

// ---- TLivesIndicator ----

void TLivesIndicator::Paint() {
    if (!Engine() || Lives <= 0) return;
    TPictureCollectionItem& life = GamePicture("life");
    for (int32_t i = 1; i <= Lives; ++i)
        life.DrawPattern(Engine()->Target(), 265 + 41 * i, 38, 0);
}

// ---- TScaleSprite ----

TScaleSprite::TScaleSprite() : TImageSprite(SpriteEngine()) {
    PixelExact = false;
    PictureItem = &GamePicture("scale");
    X = 453;
    Y = 40;
    SetZ(11);
    Shown = true;
    AnimLoop = false;
    AnimIndex = 0;
    // The bar is 50 pixels wide for the engine. The width is kept here and not written into
    // the shared picture entry, so a rebuild of the surfaces during a game still cuts the
    // picture into its 195 one-pixel columns.
    Width = 50;
    Height = PictureItem->FrameHeight();
}

int32_t ScaleColumns(double elapsed, double length) {
    const int32_t e = TimeSeconds(elapsed), l = TimeSeconds(length);
    if (l == 0) return 0;
    return int32_t(std::trunc(double(e) / l * 194)) + 1;
}

void TScaleSprite::Paint() {
    if (!Engine()) return;
    const int32_t columns = ScaleColumns(LevelTime, LevelLength);
    // The column counter is a byte: past 255 columns the patterns and places wrap.
    uint8_t i = 0;
    for (int32_t k = 0; k < columns; ++k, ++i)
        PictureItem->DrawPattern(Engine()->Target(), X + i, Y, i);
}

// GameField.cpp -- building and clearing the game field, spawning, level changes.
#include "world/GameField.h"

#include <cmath>
#include <cstdio>

#include "audio/SoundEvents.h"
#include "frontend/MenuSprites.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "world/Bonuses.h"
#include "world/Enemy.h"
#include "world/Hero.h"
#include "world/Scenery.h"
#include "world/Shots.h"

namespace {

constexpr double kMinute = 60000 * kOneMs;
constexpr double kLevelStep = 10000 * kOneMs;

// Every level that is a multiple of 5 shows "fon2" in the middle; the one after goes back.
void ReplaceMiddleLayer(const char* picture, int32_t secondX) {
    FarMountains1 = new TMountain(picture, 0, 448, 3, 2);
    FarMountains2 = new TMountain(picture, secondX, 448, 3, 2);
}

} // namespace

TPictureCollectionItem& GamePicture(std::string_view name) {
    return Pictures().FindImage(name);
}

TPictureCollectionItem& GamePictureAt(int index) {
    return Pictures().Items(index);
}

int32_t TimeMs(double dateTime) {
    return RoundHalfEven(std::fabs(dateTime - std::trunc(dateTime)) * 86400000.0);
}

int32_t TimeSeconds(double dateTime) {
    const int32_t ms = TimeMs(dateTime);
    return ms / 60000 % 60 * 60 + ms / 1000 % 60;
}

std::string FormatMinSec(double dateTime) {
    const int32_t ms = TimeMs(dateTime);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", ms / 60000 % 60, ms / 1000 % 60);
    return text;
}

namespace world {

void CreateGameField() {
    TSpriteEngine* engine = SpriteEngine();

    GameBack = new TGameBack(engine);
    if (Random(2) == 1) {
        GameBack->PictureItem = &GamePicture("dayback");
        GameBack->DayFlag = 1;
    } else {
        GameBack->PictureItem = &GamePicture("nightback");
        GameBack->DayFlag = 0;
    }
    GameBack->X = 0;
    GameBack->Y = 68;
    GameBack->Shown = true;
    GameBack->Width = GameBack->PictureItem->FrameWidth();
    GameBack->Height = GameBack->PictureItem->FrameHeight();
    GameBack->SetZ(0);

    DialogWindow = new TClosingWindow(engine);
    DialogWindow->PixelExact = false;
    DialogWindow->PictureItem = &GamePictureAt(1);
    DialogWindow->X = 220;
    DialogWindow->Y = 190;
    DialogWindow->SetZ(10);
    DialogWindow->Shown = false;
    DialogWindow->Width = DialogWindow->PictureItem->FrameWidth();
    DialogWindow->Height = DialogWindow->PictureItem->FrameHeight();

    new TMountain("3-1", 0, 501, 2, 1);
    new TMountain("3-1", 800, 501, 2, 1);
    ReplaceMiddleLayer("2-1", 800);
    new TMountain("1-1", 0, 568, 5, 3);
    new TMountain("1-1", 800, 568, 5, 3);

    auto* statusBar = new TStatusSprite(engine);
    statusBar->PixelExact = false;
    statusBar->PictureItem = &GamePicture("statusbar");
    statusBar->X = 0;
    statusBar->Y = 0;
    statusBar->SetZ(10);
    statusBar->Shown = true;
    statusBar->Width = statusBar->PictureItem->FrameWidth();
    statusBar->Height = statusBar->PictureItem->FrameHeight();

    ScaleSprite = new TScaleSprite();

    auto* lives = new TLivesIndicator(engine);
    lives->X = 310;
    lives->Y = 38;
    lives->SetZ(11);
    lives->PixelExact = false;
    lives->Shown = true;

    Hero = new THeroSprite(engine);
    HeroShield = new TShieldSprite(engine);
    BonusIndicator = new TBonusIndicatorSprite(engine);
    new TReshetkaSprite(engine);

    ScrollSpeed = 1;
    Lives = 3;
    Score = 0;
    Level = 1;
    Host().ShowLevelBanner();
    Hero->Health = 50;
    LevelTime = 0;
    LevelLength = kMinute;
    // A game ended from the exit dialog never cleared its field: the next one starts still,
    // with no bonus running and no mouse step pending, however the last one ended.
    HeroSpeedX = 0;
    HeroSpeedY = 0;
    WeaponTime = 0;
    ShieldTime = 0;
    BonusNoticeTime = 0;
    DeathDelay = 0;
    MouseLeft = MouseRight = MouseUp = MouseDown = 0;
    // The spawn counters carry over from the previous game on purpose.
}

void CreateEnemy() {
    const int32_t kind = Random(8) + 1;
    new TFlyingEnemySprite(kind, SpriteEngine());
}

void ClearGameField() {
    TSpriteEngine* engine = SpriteEngine();
    for (int32_t i = engine->ChildCount() - 1; i >= 0; --i) {
        TSprite* s = engine->Child(i);
        if (dynamic_cast<TFlyingEnemySprite*>(s) || dynamic_cast<TBonusSprite*>(s) ||
            dynamic_cast<TWeaponSprite*>(s) || dynamic_cast<THeroWeaponSprite*>(s) ||
            dynamic_cast<TExplosionSprite*>(s))
            s->Kill();
    }
    if (Hero) {
        Hero->Shown = false;
        Hero->X = 150;
        Hero->Y = 200;
        Hero->Weapon = 1;
        Hero->FireRate = 24;
    }
    if (HeroTail) HeroTail->Shown = false;
    if (HeroShield) HeroShield->Shown = false;
    if (BonusIndicator) BonusIndicator->Shown = false;
    // The shield and the pistol are gone: so are their clocks, or the next bonus of any kind
    // would show their countdown again.
    WeaponTime = 0;
    ShieldTime = 0;
    BonusNoticeTime = 0;
    HeroSpeedX = 0;
    HeroSpeedY = 0;
}

void SpawnTick() {
    // A delay of d frames after a spawn means the next one comes d + 1 frames later.
    if (DayNightDelay > 0) {
        --DayNightDelay;
    } else {
        DayNightDelay = 5000;
        if (GameBack) {
            GameBack->DayFlag = uint8_t(1 - GameBack->DayFlag);
            GameBack->PictureItem = &GamePicture(GameBack->DayFlag == 1 ? "dayback" : "nightback");
        }
    }
    if (EnemyDelay > 0) {
        --EnemyDelay;
    } else {
        CreateEnemy();
        EnemyDelay = uint16_t(Random(160 / Level) + 50);
    }
    if (BonusDelay > 0) {
        --BonusDelay;
    } else {
        new TBonusSprite(SpriteEngine());
        BonusDelay = uint16_t(Random(1000 / Level));
    }
    if (TreeDelay > 0) {
        --TreeDelay;
    } else {
        new TGreenTree();
        TreeDelay = uint16_t(Random(160));
    }
}

void AdvanceLevel() {
    // Level is a byte and the spawn delays divide by it: it stops at 255, and every later
    // level change is still a level change (clock, banner, sound, field) that stays 255.
    if (Level < 255) ++Level;
    LevelTime = 0;
    if (Level < 8) LevelLength += kLevelStep;
    if (SoundOn) PlaySoundByName("nextlevel");
    Host().ShowLevelBanner();

    if (Level % 5 == 0 || Level % 5 == 1) {
        TSpriteEngine* engine = SpriteEngine();
        if (FarMountains1) FarMountains1->Kill();
        if (FarMountains2) FarMountains2->Kill();
        for (int32_t i = engine->ChildCount() - 1; i >= 0; --i)
            if (dynamic_cast<TVolcano*>(engine->Child(i))) engine->Child(i)->Kill();
        engine->FreeKilled();
        if (Level % 5 == 0)
            ReplaceMiddleLayer("fon2", 943);
        else
            ReplaceMiddleLayer("2-1", 800);
    }
    ClearGameField();
}

} // namespace world

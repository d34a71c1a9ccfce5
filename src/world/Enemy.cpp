// Enemy.cpp -- the enemy kinds, their flight, animation, shooting cycle and death.
#include "world/Enemy.h"

#include <array>
#include <cmath>
#include <numbers>

#include "audio/SoundEvents.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "world/GameField.h"
#include "world/Shots.h"

namespace {

// Entry i is the cosine of i/256 of a full turn.
const std::array<double, 256>& CosineTable() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = std::cos(2 * std::numbers::pi * i / 256);
        return t;
    }();
    return table;
}

// What each kind shoots and from where, relative to its (X, Y).
struct ShotSpec {
    const char* picture;
    uint8_t kind;
    int32_t damage, dx, dy;
};

ShotSpec ShotOf(uint16_t kind) {
    switch (kind) {
    case 1:
        return {"arrow", 1, 2, 0, 13};
    case 2:
        return {"arrow", 1, 2, 0, 103};
    case 3:
        return {"burnstone", 3, 10, 21, 80};
    case 8:
        return {"burnstone2", 4, 10, 64, 16};
    default:
        return {"arrow2", 2, 2, -40, -20};
    }
}

} // namespace

double WaveSine(uint8_t phase) {
    return CosineTable()[(phase + 192) % 256];
}

TFlyingEnemySprite::TFlyingEnemySprite(int32_t kind, TSprite* engine) : TImageSprite(engine) {
    PixelExact = false;
    AnimBase = 0;
    X = 800;
    Y = 50 + Random(350);
    SetZ(7);
    Shown = true;
    AnimLoop = false;
    FlapCounter = 0;
    AnimLength = 3;
    Kind = uint16_t(kind);
    FlapMax = 29;
    switch (kind) {
    case 1:
        PictureItem = &GamePicture("enemy1");
        Health = 10;
        FireRate = 10;
        break;
    case 2:
        PictureItem = &GamePicture("enemy2");
        Health = 10;
        FireRate = 10;
        Width = PictureItem->PatternWidth;
        Height = PictureItem->PatternHeight;
        X = 100 + Random(700);
        Y = 60 - Height; // bottom edge at the top of the play area
        break;
    case 3:
        PictureItem = &GamePicture("enemy3");
        Health = 20;
        FireRate = 15;
        FlapMax = 39;
        BaseY = Y;
        break;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8: {
        static const char* const names[] = {"enemy4", "enemy5", "enemy6", "enemy7", "enemy8"};
        PictureItem = &GamePicture(names[kind - 4]);
        Health = kind == 8 ? 15 : 5;
        FireRate = kind == 8 ? 5 : 15;
        Y = kind == 8 ? 498 : kind == 7 ? 497 : 495;
        break;
    }
    default:
        break; // no picture: a kind the game never makes
    }
    Points = uint16_t(Health);
    FireCooldown = uint16_t(Random(200 / FireRate));
    if (PictureItem) {
        Width = PictureItem->PatternWidth;
        Height = PictureItem->PatternHeight;
    }
    ShootPhase = 0;
}

void TFlyingEnemySprite::Step(int32_t frames) {
    TImageSprite::Step(frames);
    // Flyers flap all the time; the others move only in the shooting half of their cycle.
    if (ShootPhase < 50 || Kind < 3) FlapCounter = FlapCounter < FlapMax ? FlapCounter + 1 : 0;
    AnimIndex = FlapCounter / 10;

    switch (Kind) {
    case 1:
        X -= EnemyStep;
        break;
    case 2:
        X -= 3;
        Y += 2;
        break;
    case 3:
        X -= 3;
        ++WavePhase;
        Y = BaseY + RoundHalfEven(50 * WaveSine(WavePhase));
        break;
    default:
        X -= 3;
        break;
    }
    if (X < -Width) Kill(); // gone without points; the step goes on

    ShootPhase = ShootPhase == 0 ? 100 : ShootPhase - 1;
    // A step either counts the reload down or tests it: shots come reload + 1 frames apart.
    if (FireCooldown > 0) {
        --FireCooldown;
        return;
    }
    if (ShootPhase < 50) {
        ShotSpec shot = ShotOf(Kind);
        new TWeaponSprite(Engine(), shot.picture, shot.kind, shot.damage, X + shot.dx, Y + shot.dy);
    }
    FireCooldown = uint16_t(200 / FireRate);
}

void TFlyingEnemySprite::Die() {
    Kill();
    if (SoundOn) PlaySoundByName(Kind == 8 ? "catapultdie" : "mandie");
    if (Kind == 3 || Kind == 8)
        new TExplosionSprite(Engine(), "enemykill", 4, X + Width / 2 - 32, Y + Height / 2 - 32);
    Score = uint16_t(Score + Points);
}

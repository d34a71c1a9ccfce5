// Shots.cpp -- flight, bursting and hits of the shots; the explosions' animation.
#include "world/Shots.h"

#include "audio/SoundEvents.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "world/Enemy.h"
#include "world/GameField.h"

// ---- TWeaponSprite ----

TWeaponSprite::TWeaponSprite(TSprite* engine, std::string_view picture, uint8_t shotKind,
                             int32_t damage, int32_t x, int32_t y)
    : TImageSprite(engine) {
    PixelExact = false;
    PictureItem = &GamePicture(picture);
    X = x;
    Y = y;
    SetZ(7);
    Damage = damage;
    Shown = true;
    Width = PictureItem->FrameWidth();
    Height = PictureItem->FrameHeight();
    ShotKind = shotKind;
    if (ShotKind > 2) {
        AnimLoop = true;
        AnimLength = 4;
        AnimRate = 1.0;
        if (SoundOn) PlaySoundByName("catapult");
    } else if (SoundOn) {
        PlaySoundByName("manshot");
    }
}

void TWeaponSprite::Step(int32_t frames) {
    TImageSprite::Step(frames); // the stones turn by the frame count
    switch (ShotKind) {
    case 1:
        X -= EnemyShotStep;
        break;
    case 2:
        X -= 9;
        Y -= 6;
        break;
    case 3:
        X -= 3;
        Y += 5;
        if (Y > 550) Burst(); // the ground
        break;
    case 4:
        X -= 7;
        Y -= 5;
        break;
    default:
        break;
    }
    if (X < -Width || Y > 600 || Y < 0) Kill();
}

void TWeaponSprite::Burst() {
    Kill();
    if (ShotKind <= 2) return;
    new TExplosionSprite(Engine(), "enemykill", 3, X + Width / 2 - 32, Y + Height / 2 - 32);
    if (SoundOn) PlaySoundByName("herodie");
}

// ---- THeroWeaponSprite ----

THeroWeaponSprite::THeroWeaponSprite(TSprite* engine, uint8_t weapon, int32_t x, int32_t y)
    : TImageSprite(engine) {
    Weapon = weapon;
    const char* picture = "firepistol";
    const char* sound = "heroshot";
    switch (weapon) {
    case 1:
        Damage = 2;
        break;
    case 2:
        Damage = 4;
        picture = "fireballbonus";
        break;
    case 3:
        Damage = 4;
        picture = "icepistol";
        break;
    case 4:
        Damage = 8;
        picture = "flashpistol";
        sound = "manshot";
        break;
    default:
        break;
    }
    PictureItem = &GamePicture(picture);
    if (SoundOn) PlaySoundByName(sound);
    Width = PictureItem->FrameWidth();
    Height = PictureItem->FrameHeight();
    X = x;
    Y = y;
    SetZ(7);
    Shown = true;
    PixelExact = false;
    AnimLoop = false;
}

void THeroWeaponSprite::Step(int32_t frames) {
    TImageSprite::Step(frames);
    if (Weapon != 2) { // the fireball keeps pattern 0
        FlapCounter = FlapCounter < 9 ? FlapCounter + 1 : 0;
        AnimIndex = FlapCounter / 5;
    }
    X += HeroShotStep;
    if (X >= 800 || Y < 0 || Y >= 600) Kill();
    CheckCollisions(); // finds nothing once killed
}

void THeroWeaponSprite::Collided(TSprite* other, bool&) {
    auto* enemy = dynamic_cast<TFlyingEnemySprite*>(other);
    if (!enemy) return;
    Kill();
    const char* picture = Weapon == 3   ? "iceexplosion"
                          : Weapon == 4 ? "electroexplosion"
                                        : ExplosionNames[size_t(Random(3))];
    new TExplosionSprite(Engine(), picture, 4, enemy->X + enemy->Width / 2 - 32,
                         enemy->Y + enemy->Height / 2 - 32);
    enemy->Health -= Damage;
    if (enemy->Health <= 0) enemy->Die();
}

// ---- TExplosionSprite ----

TExplosionSprite::TExplosionSprite(TSprite* engine, std::string_view picture, int32_t drift,
                                   int32_t x, int32_t y)
    : TImageSprite(engine) {
    PictureItem = &GamePicture(picture);
    Width = PictureItem->FrameWidth();
    Height = PictureItem->FrameHeight();
    Drift = drift;
    X = x;
    Y = y;
    SetZ(8);
    PixelExact = false;
    AnimLength = PictureItem->PatternCount();
    AnimLoop = false;
    AnimIndex = 0;
}

void TExplosionSprite::Step(int32_t frames) {
    TImageSprite::Step(frames); // rate 0: only keeps the index in range
    X -= Drift;
    if (X < -Width) Kill();
    // One pattern per step whatever the frame count; the last step shows none.
    if (++AnimIndex == AnimLength) Kill();
}

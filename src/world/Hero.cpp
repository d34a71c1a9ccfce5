// Hero.cpp -- the dragon's steering, inertia, firing, collisions and death; tail and shield.
#include "world/Hero.h"

#include "audio/SoundEvents.h"
#include "input/DXInput.h"
#include "state/GameState.h"
#include "world/Bonuses.h"
#include "world/Enemy.h"
#include "world/GameField.h"
#include "world/Scenery.h"
#include "world/Shots.h"

// ---- THeroSprite ----

THeroSprite::THeroSprite(TSprite* engine) : TImageSprite(engine) {
    PictureItem = &GamePicture("hero");
    AnimBase = 0;
    X = 150;
    Y = 200;
    SetZ(7);
    FireRate = 24;
    AnimLoop = false;
    AnimRate = 1.0;
    AnimLength = 4;
    FlapCounter = 0;
    FireCooldown = 0;
    Weapon = 1;
    FlapDivisor = 10;
    Shown = false;
    PixelExact = false;
    Width = PictureItem->PatternWidth;
    Height = PictureItem->PatternHeight;
    HeroTail = new TTailSprite(X - 49, Y + 78);
}

void THeroSprite::Step(int32_t frames) {
    if (!Shown) return;
    TImageSprite::Step(frames);
    X -= 1; // the dragon drifts left with the landscape

    FlapCounter = FlapCounter < FlapDivisor * 4 - 1 ? FlapCounter + 1 : 0;
    AnimIndex = FlapCounter / FlapDivisor;
    if (HeroShield) HeroShield->AnimIndex = AnimIndex;

    if (Health <= 0) {
        Die();
        return;
    }

    const TInputStates& states = InputStates();
    // A pending mouse step is taken instead of the keyboard step and used up.
    if (X > 5 && (states.Contains(stLeft) || MouseLeft > 0)) {
        if (MouseLeft > 0) {
            X -= MouseLeft;
            MouseLeft = 0;
        } else {
            X -= HeroStep;
        }
        if (HeroSpeedX > -30) HeroSpeedX -= 0.2;
    } else if (X < 795 - Width && (states.Contains(stRight) || MouseRight > 0)) {
        if (MouseRight > 0) {
            X += MouseRight;
            MouseRight = 0;
        } else {
            X += HeroStep;
        }
        if (HeroSpeedX < 30) HeroSpeedX += 0.2;
    } else if (HeroSpeedX > 0) {
        HeroSpeedX -= 0.2;
    } else if (HeroSpeedX < 0) {
        HeroSpeedX += 0.2;
    }

    if (Y > 70 && (states.Contains(stUp) || MouseUp > 0)) {
        if (MouseUp > 0) {
            Y -= MouseUp;
            MouseUp = 0;
        } else {
            Y -= HeroStep;
        }
        if (HeroSpeedY > -30) HeroSpeedY -= 0.2;
    } else if (Y < 560 - Height && (states.Contains(stDown) || MouseDown > 0)) {
        if (MouseDown > 0) {
            Y += MouseDown;
            MouseDown = 0;
        } else {
            Y += HeroStep;
        }
        if (HeroSpeedY < 30) HeroSpeedY += 0.2;
    } else if (HeroSpeedY > 0) {
        HeroSpeedY -= 0.2;
    } else if (HeroSpeedY < 0) {
        HeroSpeedY += 0.2;
    }

    X += RoundHalfEven(HeroSpeedX);
    Y += RoundHalfEven(HeroSpeedY);
    if (X <= 5) X = 5;
    if (X >= 795 - Width) X = 795 - Width;
    if (Y <= 70) Y = 70;
    if (Y >= 560 - Height) Y = 560 - Height;

    if (HeroTail) {
        HeroTail->X = X - 49;
        HeroTail->Y = Y + 78;
    }
    if (HeroShield && HeroShield->Shown) {
        HeroShield->X = X - (HeroTail ? HeroTail->Width : 0);
        HeroShield->Y = Y;
    }

    if (FireCooldown > 0) --FireCooldown;
    if ((states.Contains(stButton1) || MouseFire) && FireCooldown == 0) {
        if (Weapon >= 1 && Weapon <= 4)
            new THeroWeaponSprite(Engine(), uint8_t(Weapon), X + Width, Y + 44);
        FireCooldown = 200 / FireRate;
    }

    CheckCollisions();
}

void THeroSprite::Collided(TSprite* other, bool&) {
    if (!Shown) return;
    const bool shielded = HeroShield && HeroShield->Shown;
    if (dynamic_cast<TReshetkaSprite*>(other)) {
        if (!shielded) Die();
    } else if (auto* shot = dynamic_cast<TWeaponSprite*>(other)) {
        if (!shielded) Health -= shot->Damage;
        new TExplosionSprite(Engine(), "dragondamage", 4, shot->X + shot->Width / 2 - 32,
                             shot->Y + shot->Height / 2 - 32);
        shot->Burst();
    } else if (auto* enemy = dynamic_cast<TFlyingEnemySprite*>(other)) {
        if (!shielded) Health -= enemy->Health;
        enemy->Die();
    } else if (auto* volcano = dynamic_cast<TVolcano*>(other); volcano && volcano->IsLava) {
        if (!shielded) Health -= 10; // every frame of contact
    } else if (auto* bonus = dynamic_cast<TBonusSprite*>(other)) {
        bonus->PickUp();
    }
    if (Health <= 0) Die();
}

void THeroSprite::Die() {
    Shown = false;
    if (HeroTail) HeroTail->Shown = false;
    Host().HeroDied();
    DeathDelay = 190;
    if (BonusIndicator) BonusIndicator->Shown = false;
    ShieldTime = 0;
    WeaponTime = 0;
    if (HeroShield) HeroShield->Shown = false;
    if (SoundOn) PlaySoundByName("herodie");
    new TExplosionSprite(Engine(), "herokill", 4, X + Width / 2 - 32, Y + Height / 2 - 32);
    Lives -= 1;
}

// ---- TTailSprite ----

TTailSprite::TTailSprite(int32_t x, int32_t y) : TImageSprite(SpriteEngine()) {
    PictureItem = &GamePicture("tail");
    X = x;
    Y = y;
    SetZ(7);
    Shown = false;
    PixelExact = false;
    Width = PictureItem->FrameWidth();
    Height = PictureItem->FrameHeight();
}

void TTailSprite::Step(int32_t frames) {
    TImageSprite::Step(frames);
    CheckCollisions();
}

void TTailSprite::Collided(TSprite* other, bool& stop) {
    // Runs after the dragon's own query: what touches both is handled twice.
    if (Hero) Hero->Collided(other, stop);
}

// ---- TShieldSprite ----

TShieldSprite::TShieldSprite(TSprite* engine) : TImageSprite(engine) {
    PictureItem = &GamePicture("shield");
    X = Hero->X;
    Y = Hero->Y;
    SetZ(7);
    AnimLoop = false;
    AnimLength = 4;
    Shown = false;
    PixelExact = false;
    Width = PictureItem->PatternWidth;
    Height = PictureItem->PatternHeight;
}

// Scenery.cpp -- mountains, volcanoes, trees and the grille.
#include "world/Scenery.h"

#include "state/GameState.h"
#include "state/Random.h"
#include "world/GameField.h"

// ---- TMountain ----

TMountain::TMountain(std::string_view picture, int32_t x, int32_t y, int32_t layer, uint16_t speed)
    : TImageSprite(SpriteEngine()) {
    PixelExact = false;
    PictureItem = &GamePicture(picture);
    X = x;
    Y = y;
    SetZ(layer);
    Speed = speed;
    Shown = true;
    Width = PictureItem->FrameWidth();
    Height = PictureItem->FrameHeight();
}

void TMountain::Step(int32_t frames) {
    TImageSprite::Step(frames);
    X -= int32_t(ScrollSpeed) * Speed;
    if (X + Width >= 0) return;
    X += 2 * Width; // behind its partner
    if (Z() != 3) return;
    // The volcanoes ride on the middle layer. The random numbers are drawn in this order.
    if (Level % 5 == 0) {
        for (int32_t i = 0; i <= 5; ++i) {
            if (Random(3) >= 2) continue;
            if (Random(2) == 0) new TVolcano(true, X + 69 + 157 * i);
            new TVolcano(false, X + 157 * i);
        }
    } else if (Random(3) < 2) {
        if (Random(2) == 1) new TVolcano(true, X + 403);
        new TVolcano(false, X + 334);
    }
}

// ---- TVolcano ----

TVolcano::TVolcano(bool isLava, int32_t x) : TImageSprite(SpriteEngine()) {
    PixelExact = false;
    if (isLava) {
        PictureItem = &GamePicture("lava");
        Y = 427;
        IsLava = true;
    } else {
        PictureItem = &GamePicture("volcano");
        Y = 440;
        IsLava = false;
    }
    X = x;
    // Made after its lava, the volcano enters the layer later and is drawn under it.
    SetZ(4);
    Shown = true;
    Width = PictureItem->PatternWidth;
    Height = PictureItem->PatternHeight;
    AnimLoop = false;
    FlapCounter = 0;
    AnimLength = 3;
    AnimIndex = 0;
}

void TVolcano::Step(int32_t frames) {
    TImageSprite::Step(frames);
    FlapCounter = FlapCounter < 29 ? FlapCounter + 1 : 0;
    AnimIndex = FlapCounter / 10;
    X -= 2;
    if (X < -Width) Kill();
}

// ---- TGreenTree ----

TGreenTree::TGreenTree() : TImageSprite(SpriteEngine()) {
    if (Random(2) == 1) {
        PictureItem = &GamePicture("tree1");
        Y = 437;
    } else {
        PictureItem = &GamePicture("tree2");
        Y = 512;
    }
    Width = PictureItem->FrameWidth();
    Height = PictureItem->FrameHeight();
    PixelExact = false;
    X = 800;
    SetZ(6);
    Shown = true;
}

void TGreenTree::Step(int32_t) {
    X -= 3;
    if (X <= -Width) Kill();
}

// ---- TReshetkaSprite ----

TReshetkaSprite::TReshetkaSprite(TSprite* engine) : TImageSprite(engine) {
    PixelExact = false;
    PictureItem = &GamePicture("reshetka");
    SwayRight = false;
    SwayDown = true;
    X = 0;
    SwayY = 166;
    SwayX = 0;
    Y = 83;
    SetZ(7);
    AnimLoop = false;
    WrapAround = true;
    Shown = true;
    // Fixed, not from the picture: the whole barrier is six copies of it.
    Width = 64;
    Height = 450;
}

void TReshetkaSprite::Step(int32_t) {
    if (SwayRight) {
        if (++SwayX == 0) SwayRight = false;
    } else {
        if (--SwayX == -60) SwayRight = true;
    }
    if (SwayDown) {
        if (++SwayY == 186) SwayDown = false;
    } else {
        if (--SwayY == 166) SwayDown = true;
    }
    X = SwayX / 2;
    Y = SwayY / 2;
}

void TReshetkaSprite::Paint() {
    if (!PictureItem || !Engine()) return;
    for (int32_t i = 0; i <= 5; ++i)
        PictureItem->DrawPattern(Engine()->Target(), X, Y + 75 * i, 0);
}

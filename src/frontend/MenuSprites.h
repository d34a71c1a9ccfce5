// MenuSprites.h -- the front end's sprite classes: each is its base class under a name of its
// own (the harness counts sprites by class name); none adds behaviour.
#pragma once

#include "sprites/DXSprite.h"

class TMenuBackground : public TBackgroundSprite {
  public:
    explicit TMenuBackground(TSprite* parent) : TBackgroundSprite(parent) {}
    const char* ClassName() const override { return "TMenuBackground"; }
};

class TSubBackground : public TImageSprite {
  public:
    explicit TSubBackground(TSprite* parent) : TImageSprite(parent) {}
    const char* ClassName() const override { return "TSubBackground"; }
};

class TMenuItem : public TImageSprite {
  public:
    explicit TMenuItem(TSprite* parent) : TImageSprite(parent) {}
    const char* ClassName() const override { return "TMenuItem"; }
};

class TClosingWindow : public TImageSprite {
  public:
    explicit TClosingWindow(TSprite* parent) : TImageSprite(parent) {}
    const char* ClassName() const override { return "TClosingWindow"; }
};

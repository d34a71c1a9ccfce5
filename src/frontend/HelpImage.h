// HelpImage.h -- THelpImageSprite, the help screen's page picture.
#pragma once

#include "sprites/DXSprite.h"

class THelpImageSprite : public TImageSprite {
  public:
    // Shows page 1 (picture index 24 of the loaded picture file) at (317, 170), layer 2.
    explicit THelpImageSprite(TSprite* engine);
    const char* ClassName() const override { return "THelpImageSprite"; }
};

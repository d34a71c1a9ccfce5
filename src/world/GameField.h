// GameField.h -- the game field's own sprites (sky and status bar), the way every game sprite
// reaches the game's engine and pictures, the level rules, and the level clock's date-time
// arithmetic.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sprites/DXSprite.h"
#include "state/WorldContext.h"

// The day or night sky behind everything (layer 0).
class TGameBack : public TImageSprite {
  public:
    explicit TGameBack(TSprite* parent) : TImageSprite(parent) {}
    const char* ClassName() const override { return "TGameBack"; }

    uint8_t DayFlag = 0; // 1 while "dayback" is shown
};

// The status bar picture (layer 10); no behaviour.
class TStatusSprite : public TImageSprite {
  public:
    explicit TStatusSprite(TSprite* parent) : TImageSprite(parent) {}
    const char* ClassName() const override { return "TStatusSprite"; }
};

// A picture of the loaded picture file, by name (raises "Image '%s' not found") or by index.
TPictureCollectionItem& GamePicture(std::string_view name);
TPictureCollectionItem& GamePictureAt(int index);

// A date-time value (days) decoded as a time of day: whole milliseconds, rounded.
int32_t TimeMs(double dateTime);
// Minutes field x 60 + seconds field of a date-time value (milliseconds dropped).
int32_t TimeSeconds(double dateTime);
// "nn:ss": the minutes and seconds fields, two digits each.
std::string FormatMinSec(double dateTime);

// The level rules on the world context; TmainForm's methods of the same names call them after
// doing their share (freeing the old world, loading the pictures, music, the cursor).
namespace world {
// Builds the field of a new game on the empty engine, with the game's pictures loaded.
void CreateGameField();
void CreateEnemy();
// Removes enemies, bonuses, shots and explosions; hides the dragon and puts it back at the start.
void ClearGameField();
// One frame's spawn counters: day and night, enemies, bonuses, trees.
void SpawnTick();
// The level clock ran out: the next level, its banner and (every fifth) its middle layer.
void AdvanceLevel();
} // namespace world

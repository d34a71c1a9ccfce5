// PatternCount.h -- how many frames the image library's surface rebuild cuts from an entry.
#pragma once

#include <cstdint>

struct TPictureItemData;

// The number of frames a built entry has: 0 for an empty picture or one smaller than a frame,
// 1 when the frame is the whole picture, else whole frame rows times whole frame columns, where
// a frame cell is the frame size plus the gap after it. Frame width and height are the pattern
// size, or the picture size where the pattern size is 0 or less.
int32_t BuiltPatternCount(int32_t width, int32_t height, int32_t patternWidth,
                          int32_t patternHeight, int32_t skipWidth, int32_t skipHeight);
int32_t BuiltPatternCount(const TPictureItemData& item);

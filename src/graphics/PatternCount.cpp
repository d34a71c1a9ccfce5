// PatternCount.cpp -- the frame count of a built picture entry.
#include "graphics/PatternCount.h"

#include <algorithm>
#include <limits>

#include "graphics/DxgReader.h"

int32_t BuiltPatternCount(int32_t width, int32_t height, int32_t patternWidth,
                          int32_t patternHeight, int32_t skipWidth, int32_t skipHeight) {
    if (width <= 0 || height <= 0) return 0;
    // 64-bit so that extreme stored values cannot overflow.
    int64_t fw = patternWidth > 0 ? patternWidth : width;
    int64_t fh = patternHeight > 0 ? patternHeight : height;
    if (fw == width && fh == height) return 1;
    int64_t a = fw + skipWidth, c = fh + skipHeight;
    // A cell of no size (or less) cuts nothing.
    if (a <= 0 || c <= 0) return 0;
    // Whole frame columns and rows; the last one needs no gap after it. In video memory a
    // tile is then 0 wide or high exactly when one of these is 0, and the entry stays empty.
    int64_t cols = (width + int64_t(skipWidth)) / a;
    int64_t rows = (height + int64_t(skipHeight)) / c;
    if (cols <= 0 || rows <= 0) return 0;
    return int32_t(std::min<int64_t>(cols * rows, std::numeric_limits<int32_t>::max()));
}

int32_t BuiltPatternCount(const TPictureItemData& item) {
    return BuiltPatternCount(item.Picture.Width(), item.Picture.Height(), item.PatternWidth,
                             item.PatternHeight, item.SkipWidth, item.SkipHeight);
}

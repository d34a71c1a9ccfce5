// PatternCount_test.cpp -- the frame count of a built picture entry.
#include <gtest/gtest.h>

#include "graphics/PatternCount.h"

TEST(BuiltPatternCount, FramesOfTheSurfaceRebuild) {
    struct Case {
        const char* Name;
        int32_t W, H, PW, PH, SW, SH, Count;
    };
    const Case cases[] = {
        {"no pattern size: the whole picture", 64, 32, 0, 0, 0, 0, 1},
        {"negative pattern size: the whole picture", 64, 32, -5, -1, 0, 0, 1},
        {"pattern equal to the picture, gaps ignored", 64, 32, 64, 32, 7, 7, 1},
        {"5 frames in a row", 100, 40, 20, 40, 0, 0, 5},
        {"1200 x 64 strip: 18 whole frames", 1200, 64, 64, 64, 0, 0, 18},
        {"gap of 2 after 10-pixel frames", 52, 10, 10, 10, 2, 0, 4},
        {"gaps both ways", 52, 34, 10, 10, 2, 2, 12},
        {"frame wider than the picture", 10, 10, 20, 10, 0, 0, 0},
        {"frame taller than the picture", 10, 10, 5, 11, 0, 0, 0},
        {"empty picture", 0, 0, 10, 10, 0, 0, 0},
        {"cell of zero width", 10, 10, 5, 5, -5, 0, 0},
        {"negative gap overlaps frames", 52, 10, 10, 10, -2, 0, 6},
        {"extreme values do not overflow", 100, 100, 1, 1, INT32_MAX, INT32_MAX, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(BuiltPatternCount(c.W, c.H, c.PW, c.PH, c.SW, c.SH), c.Count);
    }
}

// KeyedBlit_test.cpp -- the colour-keyed copy, four pixels at a time, against the plain rule
// (every source pixel that is not the key replaces the destination's), and fills.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/DXDraw.h"

namespace {

TEST(KeyedBlit, MatchesThePixelRuleForEveryWidthAndOffset) {
    constexpr uint32_t kKey = 0xFF00FF;
    TDirectDrawSurface src, dst;
    src.SetSize(23, 5);
    src.SetColorKey(kKey);
    uint32_t n = 1;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 23; ++x) {
            n = n * 1103515245u + 12345u;
            src.Pixels()[y * 23 + x] = (n >> 16) % 3 == 0 ? kKey : n & 0xFFFFFF;
        }
    for (int width = 1; width <= 23; ++width)
        for (int left = 0; left + width <= 23; left += 3)
            for (int at = -6; at <= 30; at += 7) {
                dst.SetSize(40, 8);
                dst.Fill(0x123456);
                dst.Draw(at, 1, TRect{left, 0, left + width, 5}, &src, true);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 40; ++x) {
                        uint32_t want = 0x123456;
                        const int sx = left + x - at, sy = y - 1;
                        if (x - at >= 0 && x - at < width && sy >= 0 && sy < 5 &&
                            src.Pixel(sx, sy) != kKey)
                            want = src.Pixel(sx, sy);
                        ASSERT_EQ(dst.Pixel(x, y), want)
                            << "width " << width << " left " << left << " at " << at << " (" << x
                            << ", " << y << ")";
                    }
            }
}

TEST(KeyedBlit, FillsWithAnyColour) {
    TDirectDrawSurface s;
    s.SetSize(7, 3);
    for (uint32_t colour : {0x000000u, 0x808080u, 0x123456u, 0xFFFFFFu}) {
        s.Fill(colour);
        for (int i = 0; i < 21; ++i)
            ASSERT_EQ(s.Pixels()[i], colour) << std::hex << colour;
    }
}

} // namespace

// KeyedBlit_test.cpp -- the colour-keyed copy, four pixels at a time, against the plain rule
// (every source pixel that is not the key replaces the destination's), and fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
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

TEST(KeyedBlit, ReversedSourceEdgesDrawMirrored) {
    constexpr uint32_t kKey = 0xFF00FF, kBack = 0x123456;
    TDirectDrawSurface src;
    src.SetSize(6, 4);
    src.SetColorKey(kKey);
    for (int i = 0; i < 24; ++i)
        src.Pixels()[i] = i % 5 == 3 ? kKey : 0x010000u * uint32_t(i + 1) + 7;
    struct Case {
        TRect rect; // as given: Right < Left or Bottom < Top mirrors that axis
        int x, y;
        bool transparent, deferred;
    } cases[] = {
        {{6, 0, 0, 4}, 1, 1, false, false},  // left-right
        {{0, 4, 6, 0}, 1, 1, false, false},  // top-bottom
        {{5, 3, 1, 1}, 2, 2, true, false},   // both, part of the source, keyed
        {{6, 0, 0, 4}, -2, -1, true, false}, // clipped by the destination's left and top
        {{6, 0, 0, 4}, 6, 5, false, false},  // and by its right and bottom
        {{8, -1, -2, 5}, 0, 0, true, false}, // source edges beyond the source
        {{4, 4, 0, 0}, 3, 0, true, true},    // on a surface that records its drawing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.Left << "," << c.rect.Top << "," << c.rect.Right
                                        << "," << c.rect.Bottom << " at " << c.x << "," << c.y);
        TDirectDrawSurface dst;
        dst.SetSize(9, 7);
        std::optional<TFrameRecorder> recorder;
        if (c.deferred) recorder.emplace(dst);
        dst.Fill(kBack);
        dst.Draw(c.x, c.y, c.rect, &src, c.transparent);
        if (recorder) recorder->Commit();
        const bool flipX = c.rect.Right < c.rect.Left, flipY = c.rect.Bottom < c.rect.Top;
        const int left = std::min(c.rect.Left, c.rect.Right),
                  right = std::max(c.rect.Left, c.rect.Right);
        const int top = std::min(c.rect.Top, c.rect.Bottom),
                  bottom = std::max(c.rect.Top, c.rect.Bottom);
        int drawn = 0;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) {
                uint32_t want = kBack;
                const int u = x - c.x, v = y - c.y;
                if (u >= 0 && u < right - left && v >= 0 && v < bottom - top) {
                    const int sx = flipX ? right - 1 - u : left + u;
                    const int sy = flipY ? bottom - 1 - v : top + v;
                    if (sx >= 0 && sx < 6 && sy >= 0 && sy < 4 &&
                        !(c.transparent && src.Pixel(sx, sy) == kKey))
                        want = src.Pixel(sx, sy);
                }
                drawn += want != kBack;
                ASSERT_EQ(dst.Pixel(x, y), want) << "(" << x << ", " << y << ")";
            }
        EXPECT_GT(drawn, 0) << "the case draws something";
    }
}

} // namespace

// Types.h -- rectangles and colours shared by the display, the image library and the sprites.
#pragma once

#include <cstdint>
#include <string_view>

// (left, top, right, bottom) in pixels; right and bottom are exclusive.
struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

inline TRect Bounds(int32_t x, int32_t y, int32_t w, int32_t h) {
    return {x, y, x + w, y + h};
}

// Strict overlap: boxes that only touch do not overlap.
inline bool RectsOverlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// 0x00BBGGRR for plain colours; 0xFF0000nn names system colour nn; clNone / clDefault below.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Resolves system colours (0xFF0000nn) through a fixed classic system colour table.
TColor ColorToRGB(TColor color);

// The colour names a stored TransparentColor may use ("clBlack", "clBtnFace", ...), compared
// without regard to case. False for an unknown name.
bool IdentToColor(std::string_view ident, TColor& color);

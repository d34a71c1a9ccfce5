// WindowIcon.h -- the dragon icon the window shows in task bars and switchers; its pixels are
// drawn by the asset generator at build time and compiled in.
#pragma once

#include <cstdint>

inline constexpr int kWindowIconSize = 64;

// kWindowIconSize * kWindowIconSize pixels, 0xAARRGGBB (straight alpha), rows top-down.
extern const uint32_t kWindowIconPixels[];

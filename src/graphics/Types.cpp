// Types.cpp -- system colours resolved through the classic system colour table.
#include "graphics/Types.h"

#include <array>

namespace {
// 0x00BBGGRR values of the classic desktop scheme, by system colour index.
constexpr std::array<TColor, 31> kSystemColors = {
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xF0E3C0, 0x6A240A, 0xC8D0D4};
} // namespace

TColor ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) == 0xFF000000u) {
        uint32_t index = color & 0xFF;
        return index < kSystemColors.size() ? kSystemColors[index] : 0;
    }
    return color & 0x00FFFFFF;
}

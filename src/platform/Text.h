// Text.h -- the text rasteriser as the game sees it: the display's text canvas draws and
// measures its strings through the backend's rasteriser (Platform::Text), never directly.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct FontSpec {
    std::string name;    // family, e.g. "Carolingia"
    int pixelHeight = 0; // em height in pixels
    uint8_t style = 0;   // bit 0 bold, 1 italic, 2 underline, 3 strike-out
};

class TextRenderer {
  public:
    virtual ~TextRenderer() = default;

    // Blends `text` (single-byte characters) in colour rgb (0x00RRGGBB) onto a 0x00RRGGBB
    // buffer, with the top-left of its line box at (x, y); clipped to the buffer.
    virtual void Draw(uint32_t* pixels, int width, int height, int pitchPixels, int x, int y,
                      const FontSpec& font, uint32_t rgb, const std::string& text) = 0;
    virtual int Width(const FontSpec& font, const std::string& text) = 0;
    virtual int Height(const FontSpec& font, const std::string& text) = 0;
};

} // namespace platform

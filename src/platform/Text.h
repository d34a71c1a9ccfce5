// Text.h -- text rasterising for the display's text canvas. Both backends use it: the
// typeface is found through fontconfig (with a legible fallback when it is not installed) and
// each rendered string is cached as a coverage mask, so a frame's few texts cost a blend only.
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
    static TextRenderer& Instance();

    // Blends `text` (single-byte characters) in colour rgb (0x00RRGGBB) onto a 0x00RRGGBB
    // buffer, with the top-left of its line box at (x, y); clipped to the buffer.
    void Draw(uint32_t* pixels, int width, int height, int pitchPixels, int x, int y,
              const FontSpec& font, uint32_t rgb, const std::string& text);
    int Width(const FontSpec& font, const std::string& text);
    int Height(const FontSpec& font, const std::string& text);

    // The font file used for a family name ("" when no font at all could be found).
    std::string ResolveFile(const std::string& family);
    // Drops every cached face and string (tests; a font change on the system).
    void Reset();

    ~TextRenderer();

private:
    TextRenderer() = default;
    struct Impl;
    Impl* impl();
    Impl* impl_ = nullptr;
};

} // namespace platform

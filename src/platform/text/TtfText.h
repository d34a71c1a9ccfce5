// TtfText.h -- the text rasteriser both backends hand out: the typeface is found through
// fontconfig (with a legible fallback when it is not installed) and each rendered string is
// cached as a coverage mask, so a frame's few texts cost a blend only. Only the backends
// include this; the game reaches it through Platform::Text.
#pragma once

#include "platform/Text.h"

namespace platform {

class TtfTextRenderer : public TextRenderer {
  public:
    TtfTextRenderer() = default;
    ~TtfTextRenderer() override;
    TtfTextRenderer(const TtfTextRenderer&) = delete;
    TtfTextRenderer& operator=(const TtfTextRenderer&) = delete;

    void Draw(uint32_t* pixels, int width, int height, int pitchPixels, int x, int y,
              const FontSpec& font, uint32_t rgb, const std::string& text) override;
    int Width(const FontSpec& font, const std::string& text) override;
    int Height(const FontSpec& font, const std::string& text) override;

    // The font file used for a family name ("" when no font at all could be found).
    std::string ResolveFile(const std::string& family);
    // Drops every cached face and string (a font change on the system).
    void Reset();

  private:
    struct Impl;
    Impl* impl();
    Impl* impl_ = nullptr;
};

// The one rasteriser of the process, shared by every backend instance so that the fonts and
// the string cache survive a test or harness run making its own backend.
TtfTextRenderer& SharedTtfText();

} // namespace platform

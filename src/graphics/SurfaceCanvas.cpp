// SurfaceCanvas.cpp -- text and outlines on a surface.
#include "graphics/SurfaceCanvas.h"

#include <algorithm>

#include "graphics/DirectDrawSurface.h"
#include "platform/Text.h"

namespace {
// Point size to character height at 96 dots per inch, rounded as the platform does.
int PixelHeight(int points) { return (points * 96 + 36) / 72; }

platform::FontSpec Spec(const TFont& font) {
    return {font.Name, PixelHeight(font.Size), font.Style};
}
} // namespace

void TDirectDrawSurfaceCanvas::TextOut(int x, int y, const std::string& text) {
    active_ = true;
    if (!surface_.Exists()) return;
    platform::TextRenderer::Instance().Draw(surface_.Pixels(), surface_.Width(), surface_.Height(),
                                            surface_.Width(), x, y, Spec(Font),
                                            surface_.MatchColor(Font.Color), text);
}

int TDirectDrawSurfaceCanvas::TextWidth(const std::string& text) {
    active_ = true;
    return platform::TextRenderer::Instance().Width(Spec(Font), text);
}

int TDirectDrawSurfaceCanvas::TextHeight(const std::string& text) {
    active_ = true;
    return platform::TextRenderer::Instance().Height(Spec(Font), text);
}

void TDirectDrawSurfaceCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    active_ = true;
    if (!surface_.Exists()) return;
    const int w = surface_.Width(), h = surface_.Height();
    uint32_t* px = surface_.Pixels();
    auto fill = [&](int l, int t, int r, int b, uint32_t c) {
        l = std::max(l, 0);
        t = std::max(t, 0);
        r = std::min(r, w);
        b = std::min(b, h);
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) px[size_t(y) * w + x] = c;
    };
    int pw = Pen.Style == TPenStyle::psClear ? 0 : std::max(Pen.Width, 1);
    if (Brush.Style != TBrushStyle::bsClear)
        fill(x1 + pw, y1 + pw, x2 - pw, y2 - pw, surface_.MatchColor(Brush.Color));
    if (pw == 0) return;
    // The outline lies inside the rectangle; right and bottom edges are exclusive.
    uint32_t c = surface_.MatchColor(Pen.Color);
    fill(x1, y1, x2, y1 + pw, c);
    fill(x1, y2 - pw, x2, y2, c);
    fill(x1, y1, x1 + pw, y2, c);
    fill(x2 - pw, y1, x2, y2, c);
}

// SurfaceCanvas.cpp -- text and outlines on a surface.
#include "graphics/SurfaceCanvas.h"

#include <algorithm>

#include "graphics/DirectDrawSurface.h"

void TDirectDrawSurfaceCanvas::TextOut(int x, int y, const std::string& text) {
    active_ = true;
    surface_.DrawText(x, y, Font, text);
}

int TDirectDrawSurfaceCanvas::TextWidth(const std::string& text) {
    active_ = true;
    return surface_.TextWidth(Font, text);
}

int TDirectDrawSurfaceCanvas::TextHeight(const std::string& text) {
    active_ = true;
    return surface_.TextHeight(Font, text);
}

void TDirectDrawSurfaceCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    active_ = true;
    if (!surface_.Exists()) return;
    int pw = Pen.Style == TPenStyle::psClear ? 0 : std::max(Pen.Width, 1);
    if (Brush.Style != TBrushStyle::bsClear)
        surface_.FillRect({x1 + pw, y1 + pw, x2 - pw, y2 - pw}, surface_.MatchColor(Brush.Color));
    if (pw == 0) return;
    // The outline lies inside the rectangle; right and bottom edges are exclusive.
    uint32_t c = surface_.MatchColor(Pen.Color);
    surface_.FillRect({x1, y1, x2, y1 + pw}, c);
    surface_.FillRect({x1, y2 - pw, x2, y2}, c);
    surface_.FillRect({x1, y1, x1 + pw, y2}, c);
    surface_.FillRect({x2 - pw, y1, x2, y2}, c);
}

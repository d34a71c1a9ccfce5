// SurfaceCanvas.h -- the text canvas of a surface: font, pen and brush, text and outlines
// drawn straight into the surface's pixels.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/Types.h"

class TDirectDrawSurface;

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid, psClear };

struct TFont {
    std::string Name = "Carolingia";
    int Size = 8; // points; pixel height = Size * 96 / 72
    TColor Color = clBlack;
    uint8_t Style = 0;
    bool operator==(const TFont&) const = default;
};
struct TPen {
    TPenStyle Style = TPenStyle::psSolid;
    TColor Color = clBlack;
    int Width = 1;
};
struct TBrush {
    TBrushStyle Style = TBrushStyle::bsSolid;
    TColor Color = clWhite;
};

// Text and outline drawing on a surface. Made on first use; keeps its font and brush for the
// life of the surface. Release() must come before a flip or further sprite drawing.
class TDirectDrawSurfaceCanvas {
  public:
    explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface) : surface_(surface) {}
    TFont Font;
    TPen Pen;
    TBrush Brush;

    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Release() { active_ = false; }
    bool Active() const { return active_; }

  private:
    TDirectDrawSurface& surface_;
    bool active_ = false; // holds the "device context" between the first call and Release
};

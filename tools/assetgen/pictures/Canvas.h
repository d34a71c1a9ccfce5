// Canvas.h -- drawing plumbing shared by every picture: a cairo surface we own, palette colours,
// flat three-tone shading with ink outlines, the integer random generator, and the step that turns
// an anti-aliased drawing into a colour-keyed picture entry without a fringe.
#pragma once

#include "Palette.h"
#include "graphics/DxgWriter.h"

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace assetgen {

// A premultiplied ARGB cairo image surface and its context, both freed with the canvas.
class Canvas {
  public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Premultiplied 0xAARRGGBB of one pixel (call after drawing; flushes the surface).
    uint32_t Pixel(int x, int y) const;
    // Copies another canvas of any size onto this one at (x, y).
    void Blit(const Canvas& from, double x, double y);

  private:
    int width_, height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Deterministic integer generator (splitmix32 style); the same seed gives the same art everywhere.
class Rng {
  public:
    explicit Rng(uint32_t seed) : state_(seed) {}
    uint32_t Next();
    double Unit() { return Next() / 4294967296.0; } // 0 <= u < 1
    double Range(double a, double b) { return a + (b - a) * Unit(); }
    int Int(int n) { return n <= 0 ? 0 : int(Next() % uint32_t(n)); } // 0..n-1

  private:
    uint32_t state_;
};

void SetColor(cairo_t* cr, uint32_t rgb, double alpha = 1.0);
uint32_t Mix(uint32_t a, uint32_t b, double t); // t = 0 gives a, 1 gives b

using PathFn = std::function<void(cairo_t*)>;

// Three tones of one material: lit from the upper left, shadowed to the lower right.
struct Tone {
    uint32_t light, base, shadow;
};

// Flat painterly shading inside the path: a light rim where the shape faces the upper left
// (width lightDepth) and a shadow where it faces the lower right (width shadowDepth).
void FillShaded(cairo_t* cr, const PathFn& path, const Tone& tone, double lightDepth = 2.0,
                double shadowDepth = 3.0);
void FillFlat(cairo_t* cr, const PathFn& path, uint32_t color, double alpha = 1.0);
// The ink line around a shape; every sprite uses the same weight.
void Stroke(cairo_t* cr, const PathFn& path, double width = 2.0, uint32_t color = pal::Outline);
// FillShaded then Stroke.
void Paint(cairo_t* cr, const PathFn& path, const Tone& tone, double lightDepth = 2.0,
           double shadowDepth = 3.0, double ink = 2.0);

// Path helpers.
void PolyPath(cairo_t* cr, const std::vector<std::pair<double, double>>& pts, bool close = true);
// A closed smooth curve through the points (Catmull-Rom turned into Béziers).
void SmoothPath(cairo_t* cr, const std::vector<std::pair<double, double>>& pts, bool close = true);
void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry);
void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r);

// How partly covered pixels become whole pixels or key.
enum class KeyMode {
    Threshold, // covered by half or more
    Dither,    // ordered 4x4 dither on coverage, for glows that should look see-through
};

// Resolves a drawing to 0x00RRGGBB: covered pixels take their colour composited over `under`
// (the sprite's own dark edge colour, or nothing for un-premultiplied colour), the rest become
// the key. The key colour itself never comes out of art: it is nudged by one step.
std::vector<uint32_t> ResolveKeyed(const Canvas& c, std::optional<uint32_t> under,
                                   KeyMode mode = KeyMode::Threshold);
// An opaque picture: everything composited over `under`.
std::vector<uint32_t> ResolveOpaque(const Canvas& c, uint32_t under = 0x000000);

// A picture entry. Pattern size 0 x 0 means one frame of the whole picture.
TPictureItemData KeyedEntry(const std::string& name, const Canvas& c, std::optional<uint32_t> under,
                            int patternWidth = 0, int patternHeight = 0,
                            KeyMode mode = KeyMode::Threshold);
TPictureItemData OpaqueEntry(const std::string& name, const Canvas& c, int patternWidth = 0,
                             int patternHeight = 0);
// An opaque entry cut out of a larger canvas.
TPictureItemData CropEntry(const std::string& name, const Canvas& c, int x, int y, int w, int h);

// Draws `count` frames of frameWidth x frameHeight side by side; each frame is clipped to its own
// cell and drawn in cell co-ordinates.
void DrawStrip(Canvas& c, int frameWidth, int frameHeight, int count,
               const std::function<void(cairo_t*, int)>& drawFrame);

} // namespace assetgen

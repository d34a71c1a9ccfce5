// Parchment.h -- the manuscript look of the front end: parchment, ink frames with gold trim,
// painted labels in ink and their lit (rubricated) versions, and key caps for the help pages.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// Parchment with soft mottling. The same seed and rectangle always give the same pixels.
void DrawParchment(cairo_t* cr, double x, double y, double w, double h, uint32_t seed,
                   uint32_t base);
// An ink border with a gold trim line inside it and small corner ornaments.
void DrawInkFrame(cairo_t* cr, double x, double y, double w, double h);
// A light recessed field (text slots, table areas).
void DrawInset(cairo_t* cr, double x, double y, double w, double h, uint32_t fill);
// A small gold diamond ornament.
void DrawDiamond(cairo_t* cr, double cx, double cy, double r);

// A label painted into a picture, placed by its item rectangle (picture co-ordinates).
struct Label {
    std::string text;
    double x, y, w, h;
    double size;
};

// Unlit: ink glyphs. Lit: the same glyphs in rubric red over a gold underline.
void DrawLabel(cairo_t* cr, const Label& label, bool lit);
// The largest size up to `maxSize` at which every text fits its width less `margin`.
double FitSize(cairo_t* cr, const std::vector<Label>& labels, double maxSize, double margin);

// A key cap with its legend; returns its width.
double DrawKeyCap(cairo_t* cr, double x, double y, const std::string& legend, double minWidth = 22);

} // namespace assetgen

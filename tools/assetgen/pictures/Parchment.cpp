// Parchment.cpp -- parchment, ink frames, painted labels and key caps.
#include "Parchment.h"

#include "Canvas.h"
#include "Fonts.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

void DrawParchment(cairo_t* cr, double x, double y, double w, double h, uint32_t seed,
                   uint32_t base) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    SetColor(cr, base);
    cairo_paint(cr);
    // Mottling: broad faint blotches, lighter and darker, like old vellum.
    Rng rng(seed);
    int blotches = int(w * h / 2500) + 8;
    for (int i = 0; i < blotches; ++i) {
        double bx = x + rng.Range(0, w), by = y + rng.Range(0, h), r = rng.Range(12, 46);
        bool dark = rng.Unit() < 0.5;
        uint32_t tint = dark ? pal::ParchmentShadow : pal::White;
        double sq = rng.Range(0.5, 1.0);
        cairo_save(cr);
        cairo_translate(cr, bx, by);
        cairo_scale(cr, r, r * sq);
        cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
        double cr0 = ((tint >> 16) & 255) / 255.0, cg = ((tint >> 8) & 255) / 255.0,
               cb = (tint & 255) / 255.0;
        cairo_pattern_add_color_stop_rgba(p, 0, cr0, cg, cb, dark ? 0.22 : 0.18);
        cairo_pattern_add_color_stop_rgba(p, 1, cr0, cg, cb, 0);
        cairo_set_source(cr, p);
        cairo_new_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        cairo_restore(cr);
    }
    // A few fibres.
    for (int i = 0; i < blotches / 2; ++i) {
        double fx = x + rng.Range(0, w), fy = y + rng.Range(0, h), len = rng.Range(4, 12);
        double a = rng.Range(-0.4, 0.4);
        cairo_new_path(cr);
        cairo_move_to(cr, fx, fy);
        cairo_line_to(cr, fx + std::cos(a) * len, fy + std::sin(a) * len);
        cairo_set_line_width(cr, 0.6);
        SetColor(cr, pal::ParchmentDeep, 0.18);
        cairo_stroke(cr);
    }
    // Edges darkened a little, as if handled.
    cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + w, 0);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.55, 0.42, 0.2, 0.16);
    cairo_pattern_add_color_stop_rgba(p, std::min(0.5, 24 / w), 0.55, 0.42, 0.2, 0.0);
    cairo_pattern_add_color_stop_rgba(p, 1 - std::min(0.5, 24 / w), 0.55, 0.42, 0.2, 0.0);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.55, 0.42, 0.2, 0.16);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
}

void DrawDiamond(cairo_t* cr, double cx, double cy, double r) {
    auto d = [&](cairo_t* c) {
        PolyPath(c, {{cx, cy - r}, {cx + r * 0.7, cy}, {cx, cy + r}, {cx - r * 0.7, cy}});
    };
    FillFlat(cr, d, pal::Gold);
    Stroke(cr, d, 0.9, pal::GoldDark);
}

void DrawInkFrame(cairo_t* cr, double x, double y, double w, double h) {
    cairo_new_path(cr);
    cairo_rectangle(cr, x + 1, y + 1, w - 2, h - 2);
    cairo_set_line_width(cr, 2);
    SetColor(cr, pal::Ink);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, x + 4.5, y + 4.5, w - 9, h - 9);
    cairo_set_line_width(cr, 1.4);
    SetColor(cr, pal::Gold);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, x + 6.5, y + 6.5, w - 13, h - 13);
    cairo_set_line_width(cr, 0.7);
    SetColor(cr, pal::Sepia);
    cairo_stroke(cr);
    for (auto [cx, cy] : {std::pair{x + 4.5, y + 4.5},
                          {x + w - 4.5, y + 4.5},
                          {x + 4.5, y + h - 4.5},
                          {x + w - 4.5, y + h - 4.5}})
        DrawDiamond(cr, cx, cy, 4);
}

void DrawInset(cairo_t* cr, double x, double y, double w, double h, uint32_t fill) {
    FillFlat(
        cr, [&](cairo_t* c) { RoundRectPath(c, x, y, w, h, 3); }, fill);
    // Shadow along the inner top and left edges: the field sits below the page.
    cairo_save(cr);
    cairo_new_path(cr);
    RoundRectPath(cr, x, y, w, h, 3);
    cairo_clip(cr);
    FillFlat(
        cr,
        [&](cairo_t* c) {
            cairo_rectangle(c, x - 2, y - 2, w + 4, h + 4);
            RoundRectPath(c, x + 1.5, y + 2, w, h, 3);
            cairo_set_fill_rule(c, CAIRO_FILL_RULE_EVEN_ODD);
        },
        pal::ParchmentDeep, 0.5);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_restore(cr);
    Stroke(
        cr, [&](cairo_t* c) { RoundRectPath(c, x + 0.5, y + 0.5, w - 1, h - 1, 3); }, 1.0,
        pal::Sepia);
}

void DrawLabel(cairo_t* cr, const Label& l, bool lit) {
    cairo_save(cr);
    UseFont(cr, Font::SerifSemibold, l.size);
    cairo_text_extents_t caps, ext;
    cairo_text_extents(cr, "H", &caps);
    cairo_text_extents(cr, l.text.c_str(), &ext);
    // Centred in the item rectangle, capitals centred vertically.
    double tx = l.x + (l.w - ext.x_advance) / 2, base = l.y + l.h / 2 - caps.y_bearing / 2 - 0.5;
    if (lit) {
        // Gold underline a little below the baseline, drawn first so descenders stay on top.
        double uy = base + std::max(2.0, l.size * 0.14);
        cairo_new_path(cr);
        // Kept inside the item rectangle: the lit picture is cut to it.
        cairo_move_to(cr, std::max(tx - 1, l.x + 3), uy);
        cairo_line_to(cr, std::min(tx + ext.x_advance + 1, l.x + l.w - 3), uy);
        cairo_set_line_width(cr, std::max(1.5, l.size * 0.08));
        SetColor(cr, pal::Gold);
        cairo_stroke(cr);
    }
    DrawText(cr, Font::SerifSemibold, l.size, tx, base, l.text, lit ? pal::Rubric : pal::Ink);
    cairo_restore(cr);
}

double FitSize(cairo_t* cr, const std::vector<Label>& labels, double maxSize, double margin) {
    double size = maxSize;
    for (const Label& l : labels) {
        double w = TextWidth(cr, Font::SerifSemibold, maxSize, l.text);
        size = std::min(size, maxSize * (l.w - margin) / w);
    }
    return std::floor(size * 2) / 2;
}

double DrawKeyCap(cairo_t* cr, double x, double y, const std::string& legend, double minWidth) {
    const double h = 20, size = legend.size() > 2 ? 10.5 : 12;
    double w = std::max(minWidth, TextWidth(cr, Font::SansBold, size, legend) + 12);
    // Body, then the lighter top face lit from the upper left.
    FillFlat(
        cr, [&](cairo_t* c) { RoundRectPath(c, x, y, w, h, 3.5); }, pal::ParchmentDeep);
    FillFlat(
        cr, [&](cairo_t* c) { RoundRectPath(c, x + 1.5, y + 1, w - 4, h - 5, 2.5); },
        pal::ParchmentLight);
    Stroke(
        cr, [&](cairo_t* c) { RoundRectPath(c, x + 0.5, y + 0.5, w - 1, h - 1, 3.5); }, 1.2,
        pal::Ink);
    DrawText(cr, Font::SansBold, size, x + (w - 2.5) / 2, y + 11 + size * 0.3, legend, pal::Ink,
             0.5);
    return w;
}

} // namespace assetgen

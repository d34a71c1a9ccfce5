// Scenery.cpp -- day and night skies, the three mountain layers (each tiles with itself), the
// near ground, volcano and lava, trees, the grille, and the dusk landscape of the title screen.
#include "Art.h"
#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

using Pts = std::vector<std::pair<double, double>>;

// Screen rows of the game scene: the sky picture starts at 68, the far layer at 501, the middle
// layer at 448, the near strip at 568.
constexpr double kSkyTop = 68;

uint32_t Darken(uint32_t c, double k) {
    return Mix(c, pal::Indigo, k);
}

void VerticalGradient(cairo_t* cr, double x, double y, double w, double h,
                      const std::vector<std::pair<double, uint32_t>>& stops) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    for (auto [at, c] : stops)
        cairo_pattern_add_color_stop_rgb(p, at, ((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0,
                                         (c & 255) / 255.0);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// ---- ridges that repeat every `period` pixels ---------------------------------------------

struct Ridge {
    double period;
    Pts pts; // one period of corner points, x ascending in [0, period)
};

// Alternating peaks and valleys with jitter; heights are picture rows (smaller = higher).
Ridge MakeRidge(uint32_t seed, double period, int peaks, double peakTop, double peakLow,
                double valleyTop, double valleyLow) {
    Rng rng(seed);
    Ridge r{period, {}};
    double step = period / (peaks * 2);
    for (int i = 0; i < peaks * 2; ++i) {
        double x = i * step + rng.Range(-0.3, 0.3) * step;
        double y = i % 2 == 0 ? rng.Range(peakTop, peakLow) : rng.Range(valleyTop, valleyLow);
        r.pts.push_back({x, y});
    }
    return r;
}

// The corner points repeated over [-period, 2 * period) so drawings wrap at both edges.
Pts Unrolled(const Ridge& r) {
    Pts out;
    for (int k = -1; k <= 1; ++k)
        for (auto [x, y] : r.pts)
            out.push_back({x + k * r.period, y});
    return out;
}

// The ridge line with its corners rounded a little (so peaks are not needle-sharp).
void RidgeLine(cairo_t* cr, const Pts& pts, bool moveFirst) {
    for (size_t i = 0; i < pts.size(); ++i) {
        auto [x, y] = pts[i];
        if (i == 0) {
            if (moveFirst)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
            continue;
        }
        auto [px, py] = pts[i - 1];
        double mx = (px + x) / 2, my = (py + y) / 2;
        cairo_curve_to(cr, px + (mx - px) * 0.6, py + (my - py) * 0.6, mx, my, mx, my);
        cairo_line_to(cr, x + (mx - x) * 0.25, y + (my - y) * 0.25);
    }
}

void RangePath(cairo_t* cr, const Pts& pts, double bottom) {
    cairo_move_to(cr, pts.front().first, bottom);
    RidgeLine(cr, pts, false);
    cairo_line_to(cr, pts.back().first, bottom);
    cairo_close_path(cr);
}

// A range in flat facets: light on the slopes that face the upper left, shadow below each peak
// on its right, and a crisp darker ridge line.
void PaintRange(cairo_t* cr, const Ridge& ridge, double bottom, const Tone& tone, uint32_t ridgeInk,
                double inkWidth) {
    Pts pts = Unrolled(ridge);
    cairo_save(cr);
    cairo_new_path(cr);
    RangePath(cr, pts, bottom);
    cairo_clip_preserve(cr);
    SetColor(cr, tone.base);
    cairo_fill(cr);
    for (size_t i = 1; i + 1 < pts.size(); ++i) {
        auto [x, y] = pts[i];
        bool peak = y < pts[i - 1].second && y < pts[i + 1].second;
        if (!peak) continue;
        auto [lx, ly] = pts[i - 1];
        auto [rx, ry] = pts[i + 1];
        // Lit left slope: a wedge from the valley up to the peak and down a crease.
        FillFlat(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{lx, ly},
                             {x, y},
                             {x + (rx - x) * 0.08, y + (bottom - y) * 0.5},
                             {lx + (x - lx) * 0.55, ly + (bottom - ly) * 0.25}});
            },
            tone.light);
        // Shadowed right slope.
        FillFlat(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{x, y}, {rx, ry}, {rx, bottom}, {x + (rx - x) * 0.15, bottom}});
            },
            tone.shadow);
    }
    cairo_restore(cr);
    if (inkWidth > 0) {
        cairo_new_path(cr);
        RidgeLine(cr, pts, true);
        cairo_set_line_width(cr, inkWidth);
        SetColor(cr, ridgeInk);
        cairo_stroke(cr);
    }
}

// Small marks (rocks, shrubs) spread over a period; drawn at x and x +- period so they wrap.
template <typename F> void Scatter(double period, int count, uint32_t seed, F&& mark) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        double x = rng.Range(0, period), u = rng.Unit(), v = rng.Unit();
        for (int k = -1; k <= 1; ++k)
            mark(x + k * period, u, v);
    }
}

// ---- skies ---------------------------------------------------------------------------------

void Cloud(cairo_t* cr, double x, double y, double w, uint32_t base, uint32_t shade, uint32_t rim) {
    // Lit from above: a bright rim along the top, a flat shaded underside. The puffs overlap,
    // so the shaded bands are cut out with groups rather than even-odd fills.
    double h = w * 0.28;
    auto shape = [&](cairo_t* c, double dy) {
        cairo_new_path(c);
        EllipsePath(c, x, y + dy, w * 0.5, h * 0.55);
        EllipsePath(c, x - w * 0.18, y - h * 0.35 + dy, w * 0.22, h * 0.7);
        EllipsePath(c, x + w * 0.1, y - h * 0.55 + dy, w * 0.25, h * 0.9);
        EllipsePath(c, x + w * 0.32, y - h * 0.1 + dy, w * 0.16, h * 0.55);
    };
    cairo_save(cr);
    shape(cr, 0);
    cairo_clip(cr);
    SetColor(cr, rim);
    cairo_paint(cr);
    shape(cr, h * 0.18);
    SetColor(cr, base);
    cairo_fill(cr);
    cairo_push_group(cr);
    SetColor(cr, shade);
    cairo_paint(cr);
    shape(cr, -h * 0.35);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    cairo_restore(cr);
}

// The static distant range and plain painted into both skies (picture rows).
void DistantLand(cairo_t* cr, bool night) {
    auto tone = [&](uint32_t c) { return night ? Darken(c, 0.6) : c; };
    Ridge far = MakeRidge(0xD157, 800, 7, 345, 380, 395, 420);
    PaintRange(cr, far, 532,
               Tone{tone(Mix(pal::FarLight, pal::Horizon, 0.5)),
                    tone(Mix(pal::FarLight, pal::Horizon, 0.3)),
                    tone(Mix(pal::Far, pal::Horizon, 0.4))},
               0, 0);
    // The plain below the far hills, so gaps between layers show land rather than sky.
    VerticalGradient(cr, 0, 425, 800, 107,
                     {{0, tone(Mix(pal::FarShadow, pal::Leaf, 0.35))},
                      {1, tone(Mix(pal::LeafShadow, pal::Earth, 0.4))}});
}

} // namespace

void DrawSky(cairo_t* cr, bool night) {
    if (!night) {
        VerticalGradient(
            cr, 0, 0, 800, 532,
            {{0, pal::AzureDeep}, {0.42, pal::Azure}, {0.78, pal::Horizon}, {1, pal::Horizon}});
        const double clouds[][3] = {
            {130, 60, 120}, {470, 36, 86}, {700, 120, 136}, {300, 230, 74}, {600, 290, 96}};
        for (auto& c : clouds)
            Cloud(cr, c[0], c[1], c[2], pal::Cloud, pal::CloudShadow, pal::White);
    } else {
        VerticalGradient(cr, 0, 0, 800, 532,
                         {{0, pal::Indigo},
                          {0.45, pal::Violet},
                          {0.78, pal::NightHorizon},
                          {1, pal::NightHorizon}});
        Rng rng(0x57A25);
        for (int i = 0; i < 140; ++i) {
            double x = rng.Range(0, 800), y = rng.Range(0, 340) * rng.Range(0.3, 1.0);
            double r = rng.Unit() < 0.12 ? 1.4 : 0.75;
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, x, y, r, r); }, pal::Star,
                rng.Range(0.6, 1.0));
            if (r > 1) {
                cairo_new_path(cr);
                cairo_move_to(cr, x - 3.5, y);
                cairo_line_to(cr, x + 3.5, y);
                cairo_move_to(cr, x, y - 3.5);
                cairo_line_to(cr, x, y + 3.5);
                cairo_set_line_width(cr, 0.7);
                SetColor(cr, pal::Star, 0.8);
                cairo_stroke(cr);
            }
        }
        // The moon, lit from the upper left like everything else.
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 660, 80, 46, 46); }, pal::Moon, 0.12);
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 660, 80, 30, 30); }, pal::Moon);
        cairo_save(cr);
        cairo_new_path(cr);
        EllipsePath(cr, 660, 80, 30, 30);
        cairo_clip(cr);
        FillFlat(
            cr,
            [](cairo_t* c) {
                cairo_rectangle(c, 600, 20, 130, 130);
                EllipsePath(c, 654, 73, 30, 30);
                cairo_set_fill_rule(c, CAIRO_FILL_RULE_EVEN_ODD);
            },
            pal::MoonShadow);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        for (auto [x, y, r] : {std::tuple{648.0, 70.0, 6.0},
                               {672.0, 92.0, 4.5},
                               {664.0, 64.0, 3.0},
                               {651.0, 95.0, 3.5}})
            FillFlat(
                cr, [&, x, y, r](cairo_t* c) { EllipsePath(c, x, y, r, r); }, pal::MoonShadow);
        cairo_restore(cr);
        const double clouds[][3] = {{160, 150, 110}, {480, 230, 90}, {740, 290, 100}};
        for (auto& c : clouds)
            Cloud(cr, c[0], c[1], c[2], Mix(pal::Violet, pal::NightHorizon, 0.5), pal::Violet,
                  Mix(pal::Moon, pal::NightHorizon, 0.45));
    }
    DistantLand(cr, night);
    (void)kSkyTop;
}

void DrawFarRange(cairo_t* cr) {
    // Hazy blue-grey hills; only their tops show through the middle range's valleys.
    Ridge r = MakeRidge(0xFA2, 800, 9, 4, 22, 30, 44);
    PaintRange(cr, r, 99, Tone{pal::FarLight, pal::Far, pal::FarShadow}, pal::FarShadow, 1.2);
    cairo_save(cr);
    cairo_new_path(cr);
    RangePath(cr, Unrolled(r), 99);
    cairo_clip(cr);
    // Fields and woods further down, tinted by distance.
    VerticalGradient(
        cr, 0, 50, 800, 49,
        {{0, Mix(pal::Far, pal::Leaf, 0.25)}, {1, Mix(pal::FarShadow, pal::LeafShadow, 0.45)}});
    Scatter(800, 60, 0xF1E1D, [&](double x, double u, double v) {
        double y = 52 + u * 40, w = 6 + v * 10;
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, w, w * 0.35); },
            Mix(pal::FarShadow, pal::LeafShadow, 0.5));
    });
    cairo_restore(cr);
}

void DrawMiddleRange(cairo_t* cr) {
    // Warm brown mountains; a low basalt shelf at x 334..491 is where a volcano may stand.
    Ridge r = MakeRidge(0x2A1, 800, 6, 8, 28, 80, 104);
    // Replace the corners over the seat with a shelf.
    Pts keep;
    for (auto p : r.pts)
        if (p.first < 300 || p.first > 525) keep.push_back(p);
    for (auto p : Pts{{312, 40}, {334, 60}, {372, 66}, {412, 62}, {452, 67}, {491, 60}, {515, 36}})
        keep.push_back(p);
    std::sort(keep.begin(), keep.end());
    r.pts = keep;
    PaintRange(cr, r, 152, Tone{pal::RockLight, pal::Rock, pal::RockShadow}, pal::RockShadow, 1.6);
    cairo_save(cr);
    cairo_new_path(cr);
    RangePath(cr, Unrolled(r), 152);
    cairo_clip(cr);
    // Old black lava on the shelf, fading down into the rock, with one warm crack.
    {
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 58, 0, 104);
        cairo_pattern_add_color_stop_rgba(g, 0, 0x3E / 255.0, 0x32 / 255.0, 0x36 / 255.0, 0.9);
        cairo_pattern_add_color_stop_rgba(g, 1, 0x3E / 255.0, 0x32 / 255.0, 0x36 / 255.0, 0.0);
        cairo_new_path(cr);
        PolyPath(cr, {{318, 44},
                      {334, 58},
                      {372, 64},
                      {412, 60},
                      {452, 65},
                      {491, 58},
                      {509, 40},
                      {520, 104},
                      {310, 104}});
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    for (auto [w, c] : {std::pair{3.0, pal::Ember}, {1.2, pal::FireOrange}}) {
        cairo_new_path(cr);
        PolyPath(cr, {{408, 62}, {404, 72}, {410, 80}, {405, 92}}, false);
        cairo_set_line_width(cr, w);
        SetColor(cr, c);
        cairo_stroke(cr);
    }
    VerticalGradient(cr, 0, 112, 800, 40,
                     {{0, pal::Rock}, {1, Mix(pal::RockShadow, pal::LeafShadow, 0.5)}});
    Scatter(800, 40, 0x5C2B, [&](double x, double u, double v) {
        double y = 104 + u * 44, w = 4 + v * 6;
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, w, w * 0.5); }, pal::LeafShadow);
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x - w * 0.25, y - w * 0.15, w * 0.55, w * 0.28); },
            Mix(pal::Leaf, pal::Rock, 0.4));
    });
    cairo_restore(cr);
}

void DrawVolcanicRange(cairo_t* cr) {
    // Black basalt with glowing fissures; a saddle in every 157-pixel seat for its volcano.
    const double period = 943, seat = 157;
    Ridge r{period, {}};
    Rng rng(0xF0A2);
    for (int i = 0; i < 6; ++i) {
        double x0 = i * seat;
        r.pts.push_back({x0 + 2, rng.Range(14, 26)});
        r.pts.push_back({x0 + 40, rng.Range(46, 54)});
        r.pts.push_back({x0 + 78, rng.Range(60, 66)});
        r.pts.push_back({x0 + 116, rng.Range(46, 54)});
    }
    PaintRange(cr, r, 152, Tone{pal::RockShadow, pal::Basalt, Mix(pal::Basalt, pal::Outline, 0.5)},
               pal::Outline, 1.6);
    cairo_save(cr);
    cairo_new_path(cr);
    RangePath(cr, Unrolled(r), 152);
    cairo_clip(cr);
    // Glowing fissures run down from each saddle, and ember light pools at its foot.
    for (int k = -1; k <= 6; ++k) {
        double x0 = k * seat + 78;
        Rng f(0xF155 + uint32_t(k + 1) % 6);
        Pts crack{{x0, 64}};
        for (int j = 1; j < 6; ++j)
            crack.push_back({x0 + f.Range(-9, 9) + j * 2, 64 + j * 16});
        for (auto [w, c] :
             {std::pair{5.0, pal::Ember}, {2.6, pal::FireOrange}, {1.0, pal::FireYellow}}) {
            cairo_new_path(cr);
            PolyPath(cr, crack, false);
            cairo_set_line_width(cr, w);
            SetColor(cr, c);
            cairo_stroke(cr);
        }
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x0, 66, 16, 4); }, pal::Ember);
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x0, 66, 9, 2.2); }, pal::FireOrange);
    }
    VerticalGradient(cr, 0, 118, period, 34,
                     {{0, pal::Basalt}, {1, Mix(pal::Basalt, pal::Ember, 0.35)}});
    cairo_restore(cr);
}

void DrawNearGround(cairo_t* cr) {
    // The front ground edge: grass on top (its blades keyed against the sky), earth and stones.
    const double period = 800;
    auto top = [&](double x) {
        return 4 + 1.2 * std::sin(x * 2 * M_PI / 200) + 0.8 * std::sin(x * 2 * M_PI / 80 + 1);
    };
    auto earth = [&](cairo_t* c) {
        cairo_move_to(c, -4, 32);
        for (double x = -4; x <= period + 4; x += 4)
            cairo_line_to(c, x, top(x));
        cairo_line_to(c, period + 4, 32);
        cairo_close_path(c);
    };
    FillFlat(cr, earth, pal::Earth);
    cairo_save(cr);
    cairo_new_path(cr);
    earth(cr);
    cairo_clip(cr);
    VerticalGradient(cr, 0, 10, period, 22, {{0, pal::Earth}, {1, pal::EarthShadow}});
    Scatter(period, 55, 0x57035, [&](double x, double u, double v) {
        double y = 14 + u * 16, w = 2.5 + v * 4;
        Paint(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, w, w * 0.7); },
            Tone{pal::RockLight, pal::Rock, pal::RockShadow}, 0.8, 1.2, 1.0);
    });
    // The turf band along the top.
    FillFlat(
        cr,
        [&](cairo_t* c) {
            cairo_move_to(c, -4, top(-4));
            for (double x = -4; x <= period + 4; x += 4)
                cairo_line_to(c, x, top(x));
            for (double x = period + 4; x >= -4; x -= 4)
                cairo_line_to(c, x, top(x) + 6 + std::sin(x * 2 * M_PI / 40) * 1.5);
            cairo_close_path(c);
        },
        pal::Leaf);
    FillFlat(
        cr,
        [&](cairo_t* c) {
            cairo_move_to(c, -4, top(-4));
            for (double x = -4; x <= period + 4; x += 4)
                cairo_line_to(c, x, top(x));
            for (double x = period + 4; x >= -4; x -= 4)
                cairo_line_to(c, x, top(x) + 2);
            cairo_close_path(c);
        },
        pal::LeafLight);
    cairo_restore(cr);
    // Blades standing up from the turf.
    Scatter(period, 160, 0x64A55, [&](double x, double u, double v) {
        double h = 2 + u * 3.5, lean = (v - 0.5) * 3;
        cairo_new_path(cr);
        cairo_move_to(cr, x - 1.2, top(x) + 2);
        cairo_line_to(cr, x + lean, top(x) - h);
        cairo_line_to(cr, x + 1.2, top(x) + 2);
        cairo_close_path(cr);
        SetColor(cr, u > 0.5 ? pal::LeafLight : pal::Leaf);
        cairo_fill(cr);
    });
}

void DrawVolcano(cairo_t* cr, int frame) {
    // A cone with its crater at x 69..89, y ~44 (the lava column stands on it), smoke above.
    auto cone = [](cairo_t* c) {
        cairo_move_to(c, 0, 140);
        cairo_curve_to(c, 30, 128, 52, 90, 64, 46);
        cairo_line_to(c, 70, 44);
        cairo_curve_to(c, 76, 47, 82, 47, 88, 44);
        cairo_line_to(c, 94, 46);
        cairo_curve_to(c, 106, 90, 128, 128, 157, 140);
        cairo_close_path(c);
    };
    cairo_save(cr);
    cairo_new_path(cr);
    cone(cr);
    cairo_clip(cr);
    SetColor(cr, pal::Rock);
    cairo_paint(cr);
    FillFlat(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{0, 140}, {30, 120}, {64, 46}, {72, 46}, {60, 140}});
        },
        pal::RockLight);
    FillFlat(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{84, 46}, {94, 46}, {128, 120}, {160, 140}, {96, 140}});
        },
        pal::RockShadow);
    FillFlat(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{94, 46}, {130, 110}, {160, 140}, {130, 140}});
        },
        pal::Basalt);
    // Lava runs down the flanks, brighter with each frame's pulse.
    const uint32_t hot[3] = {pal::FireOrange, pal::FireYellow, pal::FireOrange};
    for (auto run : {Pts{{74, 47}, {70, 62}, {66, 80}, {60, 100}, {52, 124}, {44, 140}},
                     Pts{{84, 47}, {88, 66}, {96, 88}, {100, 112}, {110, 140}}}) {
        for (auto [w, c] : {std::pair{6.0, pal::Ember}, {3.4, pal::FireRed}, {1.6, hot[frame]}}) {
            cairo_new_path(cr);
            SmoothPath(cr, run, false);
            cairo_set_line_width(cr, w);
            SetColor(cr, c);
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
    Stroke(cr, cone, 2.0);
    // Crater glow.
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 79, 45.5, 10, 3); }, pal::FireRed);
    FillFlat(
        cr, [&](cairo_t* c) { EllipsePath(c, 79, 45.5, 6 + frame, 1.8); }, pal::FireYellow);
    // Smoke puffs rising and drifting right.
    for (int i = 0; i < 4; ++i) {
        double age = (i + frame / 3.0) / 4.0;
        double x = 80 + age * 20 + (i % 2) * 4, y = 40 - age * 30, r = 4 + age * 7;
        Paint(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, r, r * 0.8); },
            Tone{pal::SmokeLight, pal::Smoke, Mix(pal::Smoke, pal::Outline, 0.4)}, 1.5, 2.5, 1.4);
    }
}

void DrawLava(cairo_t* cr, int frame) {
    // A fountain of lava filling its box (the whole box burns): a glowing column with blobs.
    FillFlat(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 1, 64);
            cairo_curve_to(c, 2, 40, 3, 20, 4, 6);
            cairo_line_to(c, 16, 6);
            cairo_curve_to(c, 17, 20, 18, 40, 19, 64);
            cairo_close_path(c);
        },
        pal::FireRed);
    FillFlat(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 5, 64);
            cairo_curve_to(c, 6, 40, 7, 20, 7, 8);
            cairo_line_to(c, 13, 8);
            cairo_curve_to(c, 13, 20, 14, 40, 15, 64);
            cairo_close_path(c);
        },
        pal::FireOrange);
    FillFlat(
        cr, [](cairo_t* c) { cairo_rectangle(c, 8.5, 10, 3, 54); }, pal::FireYellow);
    // Blobs climbing the column and spattering over its top.
    for (int i = 0; i < 5; ++i) {
        double y = std::fmod(60 - i * 13 - frame * 4.3 + 70, 70) - 4;
        double x = 10 + ((i % 2) ? 3 : -3);
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, 3.2, 3.6); }, pal::FireYellow);
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x - 0.6, y - 0.8, 1.4, 1.6); }, pal::FireWhite);
    }
    const double spray[3][4] = {{3, 4, 16, 2}, {5, 1, 15, 5}, {2, 2, 17, 3}};
    FillFlat(
        cr,
        [&](cairo_t* c) {
            EllipsePath(c, spray[frame][0], spray[frame][1] + 2, 2.5, 2.5);
            EllipsePath(c, spray[frame][2], spray[frame][3] + 2, 2.5, 2.5);
            EllipsePath(c, 10, 4, 6, 4);
        },
        pal::FireOrange);
}

void DrawTree(cairo_t* cr, bool tall) {
    const Tone kLeaves{pal::LeafLight, pal::Leaf, pal::LeafShadow};
    const Tone kBark{pal::WoodLight, pal::Wood, pal::WoodShadow};
    if (tall) {
        // A fir: a trunk and five drooping tiers, lit from the left.
        Paint(
            cr,
            [](cairo_t* c) {
                PolyPath(c, {{35, 131}, {37, 100}, {43, 100}, {45, 131}});
            },
            kBark, 1.2, 2);
        for (int i = 4; i >= 0; --i) {
            double top = 4 + i * 21, w = 14 + i * 6.5, base = top + 34;
            Paint(
                cr,
                [&](cairo_t* c) {
                    cairo_move_to(c, 40, top);
                    cairo_curve_to(c, 36, top + 14, 40 - w * 0.6, base - 8, 40 - w, base);
                    cairo_curve_to(c, 40 - w * 0.5, base - 4, 40 - w * 0.3, base + 3, 40, base - 2);
                    cairo_curve_to(c, 40 + w * 0.3, base + 3, 40 + w * 0.5, base - 4, 40 + w, base);
                    cairo_curve_to(c, 40 + w * 0.6, base - 8, 44, top + 14, 40, top);
                    cairo_close_path(c);
                },
                kLeaves, 2, 4);
        }
    } else {
        // A round bush on a short stem.
        Paint(
            cr,
            [](cairo_t* c) {
                PolyPath(c, {{25, 56}, {26, 40}, {31, 40}, {32, 56}});
            },
            kBark, 1, 1.5);
        for (auto [x, y, r] :
             {std::tuple{17.0, 33.0, 13.0}, {38.0, 32.0, 14.0}, {28.0, 20.0, 16.0}}) {
            Paint(
                cr, [&, x, y, r](cairo_t* c) { EllipsePath(c, x, y, r, r * 0.9); }, kLeaves, 2, 4);
        }
        for (auto [x, y] : {std::pair{22.0, 16.0}, {34.0, 28.0}, {14.0, 32.0}})
            FillFlat(
                cr, [&, x, y](cairo_t* c) { EllipsePath(c, x, y, 1.8, 1.8); }, pal::ClothLight);
    }
}

void DrawGrille(cairo_t* cr) {
    // A rusted portcullis tile: four bars running off both ends and one riveted crossbar, so six
    // stacked tiles read as one deadly gate filling the whole 64-pixel box.
    const Tone kIron{pal::SteelLight, pal::Steel, pal::SteelShadow};
    for (double x : {6.0, 22.0, 38.0, 54.0}) {
        FillShaded(
            cr, [&](cairo_t* c) { cairo_rectangle(c, x - 4, -2, 8, 79); }, kIron, 2, 2.5);
        for (double ex : {x - 4.0, x + 4.0})
            Stroke(
                cr,
                [&](cairo_t* c) {
                    cairo_move_to(c, ex, -2);
                    cairo_line_to(c, ex, 77);
                },
                2.0);
        // Rust streaks.
        FillFlat(
            cr, [&](cairo_t* c) { cairo_rectangle(c, x - 1, 48, 2.5, 14); }, pal::LeatherLight,
            0.8);
    }
    auto bar = [](cairo_t* c) { cairo_rectangle(c, 0, 30, 64, 10); };
    FillShaded(cr, bar,
               Tone{pal::Steel, pal::SteelShadow, Mix(pal::SteelShadow, pal::Outline, 0.5)}, 2,
               2.5);
    for (double ey : {30.0, 40.0})
        Stroke(
            cr,
            [&](cairo_t* c) {
                cairo_move_to(c, -2, ey);
                cairo_line_to(c, 66, ey);
            },
            2.0);
    for (double x : {6.0, 22.0, 38.0, 54.0}) {
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x, 35, 2.2, 2.2); }, pal::SteelLight);
        Stroke(
            cr, [&](cairo_t* c) { EllipsePath(c, x, 35, 2.2, 2.2); }, 1.0);
    }
}

void DrawDuskLandscape(cairo_t* cr) {
    // The title screen: dusk over the same ranges, a volcano glowing on the middle range.
    VerticalGradient(cr, 0, 0, 800, 600,
                     {{0, pal::Indigo},
                      {0.3, pal::Violet},
                      {0.58, pal::NightHorizon},
                      {0.74, pal::Dusk},
                      {0.8, pal::GoldLight},
                      {1, pal::GoldLight}});
    Rng rng(0xD05C);
    for (int i = 0; i < 60; ++i) {
        double x = rng.Range(0, 800), y = rng.Range(0, 180);
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, 0.8, 0.8); }, pal::Star,
            rng.Range(0.4, 0.9));
    }
    // The setting sun behind the far hills.
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 600, 462, 90, 90); }, pal::FireYellow, 0.18);
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 600, 462, 40, 40); }, pal::FireWhite);
    const double clouds[][3] = {{420, 300, 200}, {700, 350, 160}, {180, 380, 150}};
    for (auto& c : clouds)
        Cloud(cr, c[0], c[1], c[2], pal::NightHorizon, pal::Violet, pal::Dusk);
    Ridge far = MakeRidge(0xD0F, 800, 6, 400, 430, 450, 470);
    PaintRange(cr, far, 600,
               Tone{Mix(pal::Far, pal::Dusk, 0.3), Mix(pal::FarShadow, pal::Violet, 0.3),
                    Mix(pal::FarShadow, pal::Violet, 0.6)},
               pal::Violet, 1.2);
    cairo_save(cr);
    cairo_translate(cr, 470, 382);
    DrawVolcano(cr, 1);
    cairo_translate(cr, 69, -13);
    DrawLava(cr, 1);
    cairo_restore(cr);
    Ridge mid = MakeRidge(0xD1D, 800, 5, 470, 490, 505, 530);
    Pts keep;
    for (auto p : mid.pts)
        if (p.first < 420 || p.first > 680) keep.push_back(p);
    keep.push_back({430, 500});
    keep.push_back({505, 505});
    keep.push_back({550, 512});
    keep.push_back({600, 508});
    keep.push_back({670, 495});
    std::sort(keep.begin(), keep.end());
    mid.pts = keep;
    PaintRange(cr, mid, 600,
               Tone{Mix(pal::RockLight, pal::Dusk, 0.3), Mix(pal::Rock, pal::Violet, 0.35),
                    Mix(pal::RockShadow, pal::Violet, 0.5)},
               pal::Outline, 1.6);
    Ridge near = MakeRidge(0xD2E, 800, 8, 548, 560, 568, 578);
    PaintRange(cr, near, 600,
               Tone{Mix(pal::Leaf, pal::Dusk, 0.25), Mix(pal::LeafShadow, pal::Violet, 0.2),
                    Mix(pal::LeafShadow, pal::Indigo, 0.5)},
               pal::Outline, 1.6);
}

} // namespace assetgen

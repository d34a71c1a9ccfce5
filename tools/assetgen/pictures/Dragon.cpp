// Dragon.cpp -- the hero: emerald dragon with gold belly and amber wings, its tail, shield and
// the little head used as the life icon.
#include "Art.h"
#include "Canvas.h"

#include <cmath>

namespace assetgen {

namespace {

using Pts = std::vector<std::pair<double, double>>;

const Tone kScales{pal::EmeraldLight, pal::Emerald, pal::EmeraldShadow};
const Tone kBelly{pal::BellyLight, pal::Belly, pal::BellyShadow};
const Tone kMembrane{pal::AmberLight, pal::Amber, pal::AmberShadow};
const Tone kHorn{pal::ParchmentLight, pal::BellyLight, pal::BellyShadow};

struct WingPose {
    double ex, ey;  // elbow
    double wx, wy;  // wrist
    double t[3][2]; // finger tips, leading one first
    double rx, ry;  // where the trailing edge meets the back
};

// Up, going down, down, going up (folded a little on the upstroke).
const WingPose kPoses[4] = {
    {51, 38, 39, 13, {{19, 0}, {6, 11}, {3, 32}}, 18, 66},
    {47, 43, 31, 30, {{5, 24}, {1, 38}, {6, 53}}, 18, 66},
    {40, 71, 29, 78, {{11, 89}, {3, 82}, {2, 70}}, 18, 67},
    {52, 41, 44, 21, {{31, 5}, {17, 11}, {9, 28}}, 20, 64},
};

void WingMembrane(cairo_t* cr, const WingPose& p, double sx, double sy) {
    cairo_move_to(cr, sx, sy);
    cairo_line_to(cr, p.ex, p.ey);
    cairo_line_to(cr, p.wx, p.wy);
    cairo_line_to(cr, p.t[0][0], p.t[0][1]);
    // Scalloped trailing edge: each span bows in toward the wrist.
    double prevx = p.t[0][0], prevy = p.t[0][1];
    auto scallop = [&](double x, double y) {
        double mx = (prevx + x) / 2, my = (prevy + y) / 2;
        double cx = mx + (p.wx - mx) * 0.36, cy = my + (p.wy - my) * 0.36;
        cairo_curve_to(cr, cx, cy, cx, cy, x, y);
        prevx = x, prevy = y;
    };
    scallop(p.t[1][0], p.t[1][1]);
    scallop(p.t[2][0], p.t[2][1]);
    scallop(p.rx, p.ry);
    cairo_close_path(cr);
}

void Bone(cairo_t* cr, double x1, double y1, double x2, double y2, double width, uint32_t color) {
    cairo_new_path(cr);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_set_line_width(cr, width + 2.2);
    SetColor(cr, pal::Outline);
    cairo_stroke(cr);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_set_line_width(cr, width);
    SetColor(cr, color);
    cairo_stroke(cr);
}

void DrawWing(cairo_t* cr, const WingPose& p, double sx, double sy) {
    Paint(
        cr, [&](cairo_t* c) { WingMembrane(c, p, sx, sy); }, kMembrane, 1.5, 2.5, 2.0);
    for (auto& t : p.t)
        Bone(cr, p.wx, p.wy, t[0], t[1], 1.2, pal::EmeraldShadow);
    Bone(cr, sx, sy, p.ex, p.ey, 3.2, pal::Emerald);
    Bone(cr, p.ex, p.ey, p.wx, p.wy, 2.4, pal::Emerald);
    // A claw at the wrist.
    auto claw = [&](cairo_t* c) {
        PolyPath(c, {{p.wx - 1, p.wy}, {p.wx + 3.5, p.wy - 4}, {p.wx + 1.5, p.wy + 1.5}});
    };
    FillFlat(cr, claw, pal::ParchmentLight);
    Stroke(cr, claw, 1.0);
}

const Pts kTorso = {{0, 78},  {10, 70}, {24, 63}, {40, 58}, {54, 56}, {64, 58}, {70, 65},
                    {67, 73}, {57, 79}, {42, 84}, {24, 87}, {8, 89},  {0, 89}};
const Pts kNeck = {{55, 60}, {60, 50}, {67, 43}, {75, 39}, {82, 40},
                   {83, 48}, {77, 52}, {72, 57}, {69, 65}, {62, 67}};
const Pts kHead = {{74, 45}, {76, 38}, {82, 34.5}, {89, 36},   {95, 40},   {100, 44.5}, {100, 48},
                   {88, 51}, {99, 53}, {98, 57},   {90, 59.5}, {82, 57.5}, {77, 52}};
const Pts kTailShape = {{49, 0},  {38, 2},  {26, 8},  {16, 17}, {9, 26}, {6, 30},
                        {12, 31}, {18, 25}, {27, 18}, {37, 13}, {49, 11}};

void Legs(cairo_t* cr) {
    // Hind leg folded back under the hips, foot trailing.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{12, 78}, {26, 76}, {30, 83}, {22, 88}, {12, 86}});
        },
        kScales, 1.5, 2.5);
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{16, 84}, {6, 88.5}, {1, 89}, {6, 85}, {12, 82}});
        },
        kScales, 1, 1.5, 1.6);
    // Foreleg tucked under the chest, claws forward.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{56, 72}, {65, 71}, {67, 80}, {62, 85}, {57, 80}});
        },
        kScales, 1.5, 2.5);
    for (int i = 0; i < 3; ++i) {
        double x = 61 + i * 2.6;
        auto claw = [&](cairo_t* c) { PolyPath(c, {{x, 83}, {x + 3.5, 87}, {x + 1.2, 85.5}}); };
        FillFlat(cr, claw, pal::ParchmentLight);
        Stroke(cr, claw, 1.0);
    }
}

void Spikes(cairo_t* cr, const Pts& base, double height) {
    // Small amber fins standing up from a line of points, pointing back.
    for (size_t i = 0; i + 1 < base.size(); ++i) {
        double x1 = base[i].first, y1 = base[i].second;
        double x2 = base[i + 1].first, y2 = base[i + 1].second;
        double mx = (x1 + x2) / 2 - height * 0.45, my = (y1 + y2) / 2 - height;
        Paint(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{x1, y1 + 1}, {mx, my}, {x2, y2 + 1}});
            },
            kMembrane, 1, 1, 1.4);
    }
}

void Head(cairo_t* cr) {
    // Horns first so the skull overlaps their roots.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{79, 37}, {71, 31}, {62, 29}, {70, 34}, {77, 40}});
        },
        kHorn, 1, 1.5, 1.5);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{84, 35.5}, {78, 28}, {71, 23}, {77, 30}, {81, 37}});
        },
        kHorn, 1, 1.5, 1.5);
    // Open mouth behind the jaws.
    FillFlat(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{87, 51}, {100, 47}, {100, 54}});
        },
        pal::Cloth);
    Paint(
        cr, [](cairo_t* c) { SmoothPath(c, kHead); }, kScales, 1.6, 2.5);
    // Gold plates under the jaw.
    FillShaded(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{80, 56}, {89, 55}, {97, 55.5}, {91, 58.5}, {83, 58}});
        },
        kBelly, 1, 1.2);
    // Teeth.
    for (double x : {92.0, 96.0})
        FillFlat(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{x, 48.9}, {x + 2, 48.4}, {x + 1.1, 51}});
            },
            pal::White);
    FillFlat(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{94, 53.2}, {96, 53.4}, {95.2, 51.3}});
        },
        pal::White);
    // Mouth line, nostril, brow ridge and eye.
    Stroke(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{100, 48}, {88, 51}, {99, 53}}, false);
        },
        1.5);
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 97, 44, 1.1, 0.9); }, pal::Outline);
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 87.5, 40.8, 2.6, 2.1); }, pal::FireYellow);
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 88.2, 40.9, 0.8, 1.8); }, pal::Outline);
    Stroke(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{83.5, 38}, {88, 37.2}, {92.5, 39.2}}, false);
        },
        1.6);
    // A small fin behind the jaw.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{78, 47}, {71, 45}, {74, 50}, {70, 52}, {78, 52}});
        },
        kMembrane, 0.8, 1, 1.3);
}

} // namespace

void DrawTail(cairo_t* cr) {
    Paint(
        cr, [](cairo_t* c) { SmoothPath(c, kTailShape); }, kScales, 1.5, 2.5);
    // Gold underside stripe.
    cairo_save(cr);
    cairo_new_path(cr);
    SmoothPath(cr, kTailShape);
    cairo_clip(cr);
    Stroke(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{49, 11}, {37, 12.5}, {27, 17.5}, {18, 24.5}, {12, 30.5}}, false);
        },
        4.0, pal::Belly);
    cairo_restore(cr);
    Stroke(
        cr, [](cairo_t* c) { SmoothPath(c, kTailShape); }, 2.0);
    Spikes(cr, {{44, 1}, {36, 3}, {28, 7}, {20, 13}, {14, 20}}, 4);
    // Spade tip.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{10, 27}, {1, 25}, {2, 36}, {6, 39}, {9, 33}, {14, 30}});
        },
        kMembrane, 1.2, 1.8, 2.0);
}

void DrawHero(cairo_t* cr, int wingFrame) {
    const WingPose& pose = kPoses[wingFrame & 3];
    Spikes(cr, {{8, 71}, {20, 65}, {32, 60}, {44, 57}}, 4.5);
    Paint(
        cr, [](cairo_t* c) { SmoothPath(c, kTorso); }, kScales, 2, 3.5);
    // Gold belly along the underside.
    cairo_save(cr);
    cairo_new_path(cr);
    SmoothPath(cr, kTorso);
    cairo_clip(cr);
    FillShaded(
        cr,
        [](cairo_t* c) {
            SmoothPath(
                c,
                {{0, 86}, {26, 82.5}, {46, 77}, {62, 70}, {72, 63}, {76, 74}, {50, 90}, {0, 93}});
        },
        kBelly, 1.5, 2);
    for (double x : {12.0, 24.0, 36.0, 48.0, 58.0})
        Stroke(
            cr,
            [&](cairo_t* c) {
                cairo_move_to(c, x, 92);
                cairo_line_to(c, x + 4, 74);
            },
            1.0, pal::BellyShadow);
    cairo_restore(cr);
    Stroke(
        cr, [](cairo_t* c) { SmoothPath(c, kTorso); }, 2.0);
    Legs(cr);
    Spikes(cr, {{59, 51}, {63, 46}, {68, 42}, {74, 39}}, 3.5);
    Paint(
        cr, [](cairo_t* c) { SmoothPath(c, kNeck); }, kScales, 2, 3);
    // Belly plates continue up the throat.
    cairo_save(cr);
    cairo_new_path(cr);
    SmoothPath(cr, kNeck);
    cairo_clip(cr);
    FillShaded(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{84, 48}, {79, 55}, {73, 62}, {70, 70}, {66, 66}, {71, 57}, {78, 51}});
        },
        kBelly, 1, 1.5);
    cairo_restore(cr);
    Stroke(
        cr, [](cairo_t* c) { SmoothPath(c, kNeck); }, 2.0);
    Head(cr);
    DrawWing(cr, pose, 44, 59);
}

void DrawWholeDragon(cairo_t* cr, int wingFrame) {
    cairo_save(cr);
    cairo_translate(cr, -49, 78);
    DrawTail(cr);
    cairo_restore(cr);
    DrawHero(cr, wingFrame);
}

void DrawShield(cairo_t* cr, int frame) {
    // A golden ring of light around dragon and tail (dithered when keyed, so it looks see-through);
    // two bright arcs run round it with the wing beat.
    cairo_save(cr);
    cairo_translate(cr, 75, 59);
    cairo_scale(cr, 73, 58);
    cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0.5, 0, 0, 1.0);
    cairo_pattern_add_color_stop_rgba(p, 0.0, 1, 0.95, 0.7, 0.0);
    cairo_pattern_add_color_stop_rgba(p, 0.75, 1, 0.92, 0.6, 0.4);
    cairo_pattern_add_color_stop_rgba(p, 0.93, 1, 0.98, 0.85, 0.95);
    cairo_pattern_add_color_stop_rgba(p, 1.0, 1, 0.85, 0.4, 0.0);
    cairo_set_source(cr, p);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    double a0 = -M_PI / 2 + frame * M_PI / 2;
    cairo_set_line_width(cr, 0.06);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    for (double a : {a0, a0 + M_PI}) {
        cairo_new_path(cr);
        cairo_arc(cr, 0, 0, 0.95, a, a + 0.9);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void DrawLife(cairo_t* cr) {
    // The hero's head and a bit of neck, scaled into 36 x 24.
    const double s = 0.62;
    cairo_save(cr);
    cairo_translate(cr, 36 - 100.5 * s, -23 * s + 0.5);
    cairo_scale(cr, s, s);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{60, 46}, {68, 40}, {78, 38}, {80, 52}, {72, 62}, {62, 62}});
        },
        kScales, 2, 3, 3.0);
    Head(cr);
    cairo_restore(cr);
}

} // namespace assetgen

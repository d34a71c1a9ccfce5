// Enemies.cpp -- the eight enemy kinds, all facing left: a rider on a hawk, an archer in a
// balloon, a wyvern carrying a burning stone, four ground archers and a catapult.
#include "Art.h"
#include "Canvas.h"

#include <cmath>

namespace assetgen {

namespace {

using Pts = std::vector<std::pair<double, double>>;

const Tone kCloth{pal::ClothLight, pal::Cloth, pal::ClothShadow};
const Tone kLeather{pal::LeatherLight, pal::Leather, pal::LeatherShadow};
const Tone kSkin{pal::SkinLight, pal::Skin, pal::SkinShadow};
const Tone kSteel{pal::SteelLight, pal::Steel, pal::SteelShadow};
const Tone kWood{pal::WoodLight, pal::Wood, pal::WoodShadow};
const Tone kCream{pal::ParchmentLight, pal::ParchmentShadow, pal::ParchmentDeep};
const Tone kGold{pal::GoldLight, pal::Gold, pal::GoldDark};

// A limb or pole: an ink line with a coloured line inside.
void Limb(cairo_t* cr, const Pts& pts, double width, uint32_t color) {
    for (int pass = 0; pass < 2; ++pass) {
        cairo_new_path(cr);
        PolyPath(cr, pts, false);
        cairo_set_line_width(cr, pass == 0 ? width + 2.2 : width);
        SetColor(cr, pass == 0 ? pal::Outline : color);
        cairo_stroke(cr);
    }
}

void Dot(cairo_t* cr, double x, double y, double r, uint32_t color, bool ink = true) {
    FillFlat(
        cr, [&](cairo_t* c) { EllipsePath(c, x, y, r, r); }, color);
    if (ink)
        Stroke(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, r, r); }, 1.2);
}

// A bow held at `hand`, shot along the unit direction (ux, uy), drawn back by `draw` pixels.
// Returns the nock point where the drawing hand holds the string.
std::pair<double, double> Bow(cairo_t* cr, double hx, double hy, double ux, double uy,
                              double halfLength, double draw, bool arrow) {
    double px = -uy, py = ux; // across the shot
    double bend = 2.5 + draw * 0.12;
    double t1x = hx + px * halfLength - ux * bend, t1y = hy + py * halfLength - uy * bend;
    double t2x = hx - px * halfLength - ux * bend, t2y = hy - py * halfLength - uy * bend;
    double nx = hx - ux * (3 + draw), ny = hy - uy * (3 + draw);
    // String first, so the bow stave lies over it.
    cairo_new_path(cr);
    cairo_move_to(cr, t1x, t1y);
    cairo_line_to(cr, nx, ny);
    cairo_line_to(cr, t2x, t2y);
    cairo_set_line_width(cr, 0.9);
    SetColor(cr, pal::ParchmentLight);
    cairo_stroke(cr);
    auto stave = [&](cairo_t* c) {
        cairo_move_to(c, t1x, t1y);
        cairo_curve_to(c, hx + px * halfLength * 0.55 + ux * 2.2,
                       hy + py * halfLength * 0.55 + uy * 2.2, hx + px * 2 + ux * 1.5,
                       hy + py * 2 + uy * 1.5, hx + ux * 1.5, hy + uy * 1.5);
        cairo_curve_to(c, hx - px * 2 + ux * 1.5, hy - py * 2 + uy * 1.5,
                       hx - px * halfLength * 0.55 + ux * 2.2,
                       hy - py * halfLength * 0.55 + uy * 2.2, t2x, t2y);
    };
    cairo_new_path(cr);
    stave(cr);
    cairo_set_line_width(cr, 4.0);
    SetColor(cr, pal::Outline);
    cairo_stroke(cr);
    cairo_new_path(cr);
    stave(cr);
    cairo_set_line_width(cr, 2.0);
    SetColor(cr, pal::WoodLight);
    cairo_stroke(cr);
    if (arrow) {
        double tipx = hx + ux * 7, tipy = hy + uy * 7;
        Limb(cr, {{nx, ny}, {tipx, tipy}}, 1.0, pal::ParchmentLight);
        FillFlat(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{tipx + ux * 3, tipy + uy * 3},
                             {tipx + px * 1.8, tipy + py * 1.8},
                             {tipx - px * 1.8, tipy - py * 1.8}});
            },
            pal::SteelLight);
        // Fletching at the nock.
        FillFlat(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{nx + ux * 4, ny + uy * 4},
                             {nx + px * 2, ny + py * 2},
                             {nx - px * 2, ny - py * 2}});
            },
            pal::ClothLight);
    }
    return {nx, ny};
}

// ---- ground archers -------------------------------------------------------------------------

struct ArcherLook {
    Tone tunic, legs, hat;
    int headgear; // 0 hood, 1 kettle helmet, 2 feathered cap, 3 mail coif with cape
    bool beard;
};

void Archer(cairo_t* cr, const ArcherLook& look, int frame) {
    const double ux = -0.83, uy = -0.55; // up-left, the angle arrow2 flies at
    double draw = 4 + frame * 6.5;
    double hx = 8.5, hy = 13.5;

    // Cape behind everything (coif style).
    if (look.headgear == 3)
        Paint(
            cr,
            [](cairo_t* c) {
                SmoothPath(c, {{20, 25}, {32, 24}, {40, 44}, {44, 62}, {34, 60}, {24, 50}});
            },
            kCloth, 1.5, 2.5);
    // Quiver with fletchings.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{30, 24}, {36, 22}, {41, 44}, {35, 46}});
        },
        kLeather, 1, 2);
    for (double dx : {0.0, 3.0})
        FillFlat(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{31 + dx, 23}, {30 + dx, 16}, {33 + dx, 17}, {34 + dx, 22}});
            },
            pal::ClothLight);
    // Legs and boots.
    Limb(cr, {{27, 50}, {30, 61}, {33, 71}}, 5, look.legs.base);
    Limb(cr, {{22, 50}, {17, 61}, {14, 71}}, 5, look.legs.light);
    for (double fx : {14.0, 33.0})
        Paint(
            cr, [&](cairo_t* c) { RoundRectPath(c, fx - 6, 68.5, 10, 5.5, 2); }, kLeather, 1, 1.5,
            1.6);
    // Tunic with belt.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{18, 25}, {31, 25}, {33, 42}, {36, 56}, {13, 56}, {16, 42}});
        },
        look.tunic, 1.5, 3);
    FillFlat(
        cr, [](cairo_t* c) { cairo_rectangle(c, 15.5, 41.5, 18.5, 3.2); }, pal::LeatherShadow);
    FillFlat(
        cr, [](cairo_t* c) { cairo_rectangle(c, 22.5, 41.3, 3.5, 3.6); }, pal::Gold);
    // The drawing arm passes behind the head to the nock under the chin.
    double pullx = 8.5 + 0.83 * (3 + draw), pully = 13.5 + 0.55 * (3 + draw);
    double ex = pullx + 7 + frame * 1.5, ey = pully - 1 - frame * 2.0;
    Limb(cr, {{29, 28}, {ex, ey}, {pullx + 1, pully}}, 3.5, look.tunic.base);
    // Head.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{19, 12}, {25, 9}, {30, 13}, {30, 21}, {25, 24}, {19, 22}, {17, 18}});
        },
        kSkin, 1, 2);
    FillFlat(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{18, 15.5}, {15.5, 18.5}, {18.5, 19}});
        },
        pal::Skin);
    Stroke(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{18, 15.5}, {15.5, 18.5}, {18.5, 19}}, false);
        },
        1.0);
    Dot(cr, 20.5, 15.5, 0.9, pal::Outline, false);
    if (look.beard)
        Paint(
            cr,
            [](cairo_t* c) {
                SmoothPath(c, {{19, 20}, {25, 21}, {28, 19}, {26, 27}, {20, 26}});
            },
            kLeather, 0.8, 1.2, 1.4);
    switch (look.headgear) {
    case 0: // pointed hood
        Paint(
            cr,
            [](cairo_t* c) {
                SmoothPath(c, {{17, 14},
                               {21, 7},
                               {28, 6},
                               {36, 4},
                               {32, 12},
                               {32, 24},
                               {27, 27},
                               {28, 15},
                               {22, 11}});
            },
            look.hat, 1.2, 2);
        break;
    case 1: // kettle helmet with a brim
        Paint(
            cr,
            [](cairo_t* c) {
                SmoothPath(c, {{18, 12}, {20, 6}, {25, 4}, {30, 6}, {32, 12}});
            },
            kSteel, 1, 1.5);
        Paint(
            cr, [](cairo_t* c) { RoundRectPath(c, 14, 11, 21, 3, 1.5); }, kSteel, 0.8, 1.2, 1.6);
        break;
    case 2: // felt cap with a long feather
        Paint(
            cr,
            [](cairo_t* c) {
                SmoothPath(c, {{16, 12}, {21, 6}, {30, 7}, {33, 12}, {25, 11}});
            },
            look.hat, 1, 1.5);
        Paint(
            cr,
            [](cairo_t* c) {
                SmoothPath(c, {{28, 8}, {36, 1}, {42, 0}, {37, 5}});
            },
            kCream, 0.8, 1, 1.3);
        break;
    case 3: // mail coif
        Paint(
            cr,
            [](cairo_t* c) {
                SmoothPath(
                    c,
                    {{17, 13}, {21, 7}, {28, 7}, {32, 13}, {32, 24}, {27, 27}, {28, 15}, {22, 12}});
            },
            kSteel, 1.2, 2);
        for (double y = 11; y < 26; y += 3)
            Stroke(
                cr,
                [&](cairo_t* c) {
                    cairo_move_to(c, 28.5, y);
                    cairo_line_to(c, 31, y + 0.5);
                },
                0.8, pal::SteelShadow);
        break;
    }
    // Bow, arms and the drawing hand at the nock.
    auto nock = Bow(cr, hx, hy, ux, uy, 13, draw, true);
    Limb(cr, {{19, 28}, {14, 21}, {hx + 1.5, hy + 1.5}}, 3.5, look.tunic.light);
    Dot(cr, hx + 1, hy + 1, 2.3, pal::Skin);
    Dot(cr, nock.first + 0.5, nock.second, 2.1, pal::Skin);
}

// ---- flyers ------------------------------------------------------------------------------------

// Feathered wing seen from the side: long primaries fanned from the wrist, coverts over them.
void FeatherWing(cairo_t* cr, double sx, double sy, double angle, double length, const Tone& tone) {
    double ca = std::cos(angle), sa = std::sin(angle);
    auto at = [&](double along, double across) {
        return std::pair<double, double>{sx + ca * along - sa * across,
                                         sy + sa * along + ca * across};
    };
    double wrist = length * 0.5;
    for (int i = 4; i >= 0; --i) {
        double fan = i * 0.2; // radians toward the trailing edge
        double fl = length * (0.55 - i * 0.04);
        double fc = std::cos(fan), fs = std::sin(fan);
        auto f = [&](double a, double b) { return at(wrist + fc * a - fs * b, fs * a + fc * b); };
        Paint(
            cr,
            [&](cairo_t* c) {
                SmoothPath(c,
                           {f(0, -2.2), f(fl * 0.6, -2.4), f(fl, 0), f(fl * 0.6, 2.4), f(0, 2.2)});
            },
            tone, 1, 1.5, 1.5);
    }
    Paint(
        cr,
        [&](cairo_t* c) {
            SmoothPath(c, {at(-2, -4), at(wrist * 0.6, -5.5), at(wrist + 3, -3), at(wrist + 2, 4),
                           at(wrist * 0.5, 8), at(-1, 6)});
        },
        tone, 1.5, 2.5, 1.8);
}

void HawkRider(cairo_t* cr, int frame) {
    // A great hawk carrying an archer; the bow points left at the height the arrow leaves (y 17).
    const Tone kFeather{pal::LeatherLight, pal::Leather, pal::LeatherShadow};
    double angles[3] = {-1.25, -0.3, 0.8};
    double lengths[3] = {31, 36, 30};
    // Tail fan.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{56, 36}, {71, 32}, {72, 38}, {70, 44}, {56, 44}});
        },
        kFeather, 1, 2, 1.8);
    // Body and head.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{16, 36}, {28, 29}, {46, 30}, {60, 36}, {52, 46}, {34, 48}, {20, 45}});
        },
        kFeather, 2, 3);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{10, 31}, {15, 27}, {22, 29}, {24, 37}, {18, 40}, {12, 38}});
        },
        kCream, 1.2, 2);
    // Hooked beak and eye.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{11, 31}, {4, 32}, {3, 36}, {6, 35}, {11, 36}});
        },
        kGold, 0.8, 1.2, 1.5);
    Dot(cr, 15, 31.5, 1.3, pal::Outline, false);
    // Talons tucked.
    Limb(cr, {{34, 47}, {37, 53}}, 2, pal::Gold);
    Limb(cr, {{42, 46}, {46, 52}}, 2, pal::Gold);
    // Rider: a hooded archer from the waist up, sitting on the hawk's shoulders.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{24, 16}, {36, 16}, {38, 32}, {22, 32}});
        },
        kCloth, 1.2, 2);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{24, 6}, {30, 3}, {35, 6}, {35, 13}, {30, 16}, {24, 14}});
        },
        kSkin, 1, 1.5);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{23, 7},
                           {27, 1},
                           {34, 0},
                           {42, 2},
                           {37, 6},
                           {37, 16},
                           {33, 19},
                           {34, 8},
                           {28, 5}});
        },
        kCloth, 1, 1.5);
    Dot(cr, 26, 9, 0.8, pal::Outline, false);
    auto nock = Bow(cr, 6, 17, -1, 0, 11, 8 + frame * 2, true);
    Limb(cr, {{26, 20}, {15, 19}, {7.5, 17.5}}, 3, pal::ClothLight);
    Limb(cr, {{33, 21}, {nock.first + 6, 22}, {nock.first + 0.5, nock.second}}, 3, pal::Cloth);
    Dot(cr, 7, 17, 2, pal::Skin);
    Dot(cr, nock.first, nock.second, 1.9, pal::Skin);
    // Near wing over everything.
    FeatherWing(cr, 46, 33, angles[frame], lengths[frame], kFeather);
}

void Balloon(cairo_t* cr, int frame) {
    // A patched war balloon; the archer leans over the basket rim, bow at y 107.
    cairo_save(cr);
    cairo_new_path(cr);
    SmoothPath(cr, {{32, 1},
                    {50, 6},
                    {61, 22},
                    {60, 42},
                    {50, 60},
                    {40, 70},
                    {24, 70},
                    {14, 60},
                    {4, 42},
                    {3, 22},
                    {14, 6}});
    cairo_clip_preserve(cr);
    SetColor(cr, pal::Cloth);
    cairo_fill(cr);
    // Gores: alternating cream and red stripes that narrow to the top.
    for (int i = 0; i < 5; i += 2) {
        double x0 = 6 + i * 10.5, x1 = x0 + 10.5;
        FillFlat(
            cr,
            [&](cairo_t* c) {
                cairo_move_to(c, 32, -4);
                cairo_curve_to(c, x0 - 8 + i * 2.5, 20, x0 - 4 + i * 2, 50, 28 + (x0 - 32) * 0.2,
                               76);
                cairo_line_to(c, 28 + (x1 - 32) * 0.2, 76);
                cairo_curve_to(c, x1 - 4 + i * 2, 50, x1 - 8 + i * 2.5, 20, 32, -4);
            },
            pal::ParchmentShadow);
    }
    // Light from the upper left, shadow to the lower right.
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 20, 20, 14, 12); }, pal::White, 0.25);
    FillFlat(
        cr,
        [](cairo_t* c) {
            cairo_rectangle(c, -10, -10, 90, 100);
            EllipsePath(c, 28, 30, 30, 36);
            cairo_set_fill_rule(c, CAIRO_FILL_RULE_EVEN_ODD);
        },
        pal::Outline, 0.35);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_restore(cr);
    Stroke(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{32, 1},
                           {50, 6},
                           {61, 22},
                           {60, 42},
                           {50, 60},
                           {40, 70},
                           {24, 70},
                           {14, 60},
                           {4, 42},
                           {3, 22},
                           {14, 6}});
        },
        2.0);
    // A patch.
    Paint(
        cr, [](cairo_t* c) { cairo_rectangle(c, 40, 30, 8, 7); }, kLeather, 0.8, 1, 1.0);
    // Ropes.
    for (auto [x1, x2] : {std::pair{22.0, 14.0}, {42.0, 50.0}, {28.0, 24.0}, {36.0, 40.0}})
        Stroke(
            cr,
            [&, x1, x2](cairo_t* c) {
                cairo_move_to(c, x1, 69);
                cairo_line_to(c, x2, 103);
            },
            1.0, pal::LeatherShadow);
    // Burner flame, flickering.
    double fh = 6 + frame * 3;
    FillFlat(
        cr,
        [&](cairo_t* c) {
            SmoothPath(c, {{32, 71 - fh}, {36, 76}, {32, 80}, {28, 76}});
        },
        pal::FireOrange);
    FillFlat(
        cr,
        [&](cairo_t* c) {
            SmoothPath(c, {{32, 74 - fh * 0.6}, {34, 77}, {32, 79}, {30, 77}});
        },
        pal::FireYellow);
    Paint(
        cr, [](cairo_t* c) { cairo_rectangle(c, 28, 79, 8, 4); }, kSteel, 0.8, 1, 1.4);
    // Archer behind the rim: hooded head, shoulders.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{24, 97}, {38, 97}, {40, 108}, {22, 108}});
        },
        kLeather, 1, 2);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{25, 88}, {31, 85}, {36, 88}, {36, 95}, {31, 98}, {25, 96}});
        },
        kSkin, 1, 1.5);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(
                c,
                {{24, 89}, {28, 84}, {35, 83}, {39, 87}, {38, 97}, {34, 100}, {35, 90}, {29, 87}});
        },
        kCloth, 1, 1.5);
    Dot(cr, 27, 91, 0.8, pal::Outline, false);
    // Basket.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{12, 103}, {52, 103}, {49, 119}, {15, 119}});
        },
        kWood, 1.5, 2.5);
    for (double x = 18; x < 50; x += 6)
        Stroke(
            cr,
            [&](cairo_t* c) {
                cairo_move_to(c, x, 104);
                cairo_line_to(c, x - 0.5, 118);
            },
            0.8, pal::WoodShadow);
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 13, 110);
            cairo_line_to(c, 51, 110);
        },
        0.8, pal::WoodShadow);
    // Bow pointing left over the rim.
    auto nock = Bow(cr, 6, 107, -1, 0, 10, 6 + frame * 2.5, true);
    Limb(cr, {{26, 100}, {14, 104}, {7.5, 107}}, 3, pal::LeatherLight);
    Limb(cr, {{34, 101}, {nock.first + 5, 103}, {nock.first + 0.5, nock.second}}, 3, pal::Leather);
    Dot(cr, 7, 107, 2, pal::Skin);
    Dot(cr, nock.first, nock.second, 1.9, pal::Skin);
}

void Wyvern(cairo_t* cr, int frame) {
    // A rust-red wyvern with a burning stone in its claws (at x 21..41 of its underside).
    const Tone kHide{pal::ClothLight, pal::Cloth, pal::ClothShadow};
    const Tone kWeb{pal::LeatherLight, pal::Leather, pal::LeatherShadow};
    struct Pose {
        double wx, wy, t[3][2];
    };
    const Pose poses[4] = {{50, 7, {{64, 1}, {79, 5}, {87, 18}}},
                           {60, 22, {{84, 14}, {94, 26}, {90, 38}}},
                           {56, 60, {{72, 76}, {86, 70}, {92, 56}}},
                           {55, 15, {{71, 4}, {85, 11}, {90, 27}}}};
    const Pose& p = poses[frame & 3];
    auto wing = [&] {
        // Bat wing: arm from the shoulder to the wrist, fingers fanning back, scalloped edge.
        Paint(
            cr,
            [&](cairo_t* c) {
                cairo_move_to(c, 44, 38);
                cairo_line_to(c, p.wx, p.wy);
                cairo_line_to(c, p.t[0][0], p.t[0][1]);
                double px = p.t[0][0], py = p.t[0][1];
                auto scallop = [&](double x, double y) {
                    double mx = (px + x) / 2, my = (py + y) / 2;
                    double cx = mx + (p.wx - mx) * 0.32, cy = my + (p.wy - my) * 0.32;
                    cairo_curve_to(c, cx, cy, cx, cy, x, y);
                    px = x, py = y;
                };
                scallop(p.t[1][0], p.t[1][1]);
                scallop(p.t[2][0], p.t[2][1]);
                scallop(62, 46);
                cairo_close_path(c);
            },
            kWeb, 1.5, 2.5, 2.0);
        for (auto& t : p.t)
            Limb(cr, {{p.wx, p.wy}, {t[0], t[1]}}, 1.0, pal::ClothShadow);
        Limb(cr, {{44, 38}, {p.wx, p.wy}}, 2.5, pal::Cloth);
    };
    // Tail sweeping back to a barb.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{60, 44}, {74, 46}, {86, 52}, {94, 50}, {88, 56}, {74, 54}, {60, 52}});
        },
        kHide, 1, 2);
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{90, 48}, {96, 46}, {95, 53}});
        },
        kWeb, 0.8, 1, 1.5);
    // Body.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{22, 40}, {34, 33}, {52, 34}, {64, 42}, {58, 54}, {40, 58}, {26, 52}});
        },
        kHide, 2, 3.5);
    FillShaded(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{26, 50}, {40, 55}, {56, 52}, {50, 57}, {36, 58}});
        },
        kGold, 1, 1);
    // Neck and head, facing left.
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{14, 30}, {22, 26}, {32, 34}, {28, 44}, {20, 42}});
        },
        kHide, 1.5, 2.5);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{2, 28}, {8, 22}, {18, 21}, {24, 26}, {20, 33}, {10, 35}, {1, 33}});
        },
        kHide, 1.5, 2.5);
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{16, 22}, {24, 14}, {21, 23}});
        },
        kCream, 0.8, 1, 1.4);
    Dot(cr, 11, 26, 1.4, pal::FireYellow, false);
    Dot(cr, 10.8, 26, 0.6, pal::Outline, false);
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 2, 31);
            cairo_line_to(c, 12, 31);
        },
        1.0);
    // Legs down to the claws, and the burning stone they hold.
    Limb(cr, {{30, 52}, {28, 62}, {25, 68}}, 3, pal::Cloth);
    Limb(cr, {{42, 54}, {40, 63}, {37, 68}}, 3, pal::Cloth);
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 31, 73, 9, 6); }, pal::FireOrange, 0.9);
    Paint(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{24, 70}, {30, 67}, {37, 69}, {38, 75}, {31, 79}, {25, 77}});
        },
        Tone{pal::RockLight, pal::Rock, pal::RockShadow}, 1, 2);
    FillFlat(
        cr,
        [](cairo_t* c) {
            SmoothPath(c, {{27, 70}, {31, 65}, {35, 70}, {31, 72}});
        },
        pal::FireYellow);
    for (double x : {23.0, 27.0, 35.0, 39.0})
        Limb(cr, {{x + 1, 67}, {x, 71}}, 1, pal::ParchmentLight);
    wing();
}

// ---- catapult ----------------------------------------------------------------------------------

void Catapult(cairo_t* cr, int frame) {
    // Throws up-left: the loaded cup rests at the top right, swings over the crossbar.
    const double pivotX = 54, pivotY = 50;
    double angles[3] = {-0.62, -1.55, -2.35}; // arm direction from the pivot
    double a = angles[frame];
    double armLen = 38;
    double cx = pivotX + std::cos(a) * armLen, cy = pivotY + std::sin(a) * armLen;
    // Rear frame post and the crossbar the arm strikes.
    Limb(cr, {{40, 62}, {34, 22}}, 4, pal::Wood);
    Limb(cr, {{64, 62}, {46, 28}}, 4, pal::WoodShadow);
    Limb(cr, {{28, 24}, {46, 24}}, 4, pal::WoodLight);
    // Base beams.
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{8, 56}, {90, 56}, {92, 62}, {6, 62}});
        },
        kWood, 1.2, 2);
    // Counterweight box hanging at the short end of the arm.
    double wx = pivotX - std::cos(a) * 12, wy = pivotY - std::sin(a) * 12;
    Limb(cr, {{wx, wy}, {wx, wy + 4}}, 1.5, pal::Steel);
    Paint(
        cr, [&](cairo_t* c) { RoundRectPath(c, wx - 7, wy + 3, 14, 10, 1.5); }, kSteel, 1, 2);
    // The throwing arm and its cup.
    Limb(cr, {{wx, wy}, {cx, cy}}, 4, pal::WoodLight);
    double ca = std::cos(a), sa = std::sin(a);
    Paint(
        cr, [&](cairo_t* c) { EllipsePath(c, cx + ca * 2, cy + sa * 2, 7, 5); }, kLeather, 1, 1.5);
    if (frame == 0) {
        // A burning stone in the cup, ready.
        FillFlat(
            cr,
            [&](cairo_t* c) {
                SmoothPath(
                    c, {{cx - 3, cy - 6}, {cx + 2, cy - 13}, {cx + 5, cy - 5}, {cx + 1, cy - 3}});
            },
            pal::FireOrange);
        Paint(
            cr, [&](cairo_t* c) { EllipsePath(c, cx + 1, cy - 3, 4.5, 4); },
            Tone{pal::RockLight, pal::Rock, pal::RockShadow}, 1, 1.5, 1.5);
    }
    Dot(cr, pivotX, pivotY, 3, pal::Steel);
    // Wheels.
    for (double wxh : {20.0, 76.0}) {
        Paint(
            cr, [&](cairo_t* c) { EllipsePath(c, wxh, 63, 8.5, 8.5); }, kWood, 1.5, 2.5);
        for (int k = 0; k < 4; ++k) {
            double t = k * M_PI / 4 + frame * 0.2;
            Stroke(
                cr,
                [&](cairo_t* c) {
                    cairo_move_to(c, wxh + std::cos(t) * 7, 63 + std::sin(t) * 7);
                    cairo_line_to(c, wxh - std::cos(t) * 7, 63 - std::sin(t) * 7);
                },
                1.0, pal::WoodShadow);
        }
        Dot(cr, wxh, 63, 2, pal::Steel);
    }
}

} // namespace

void DrawEnemy(cairo_t* cr, int kind, int frame) {
    static const ArcherLook kLooks[4] = {
        {kCloth, kLeather, kCloth, 0, false},
        {Tone{pal::LeatherLight, pal::Leather, pal::LeatherShadow}, kCloth, kSteel, 1, true},
        {Tone{pal::Gold, pal::GoldDark, pal::WoodShadow}, kLeather, kCloth, 2, true},
        {Tone{pal::SteelLight, pal::Steel, pal::SteelShadow}, kLeather, kSteel, 3, false},
    };
    switch (kind) {
    case 1:
        HawkRider(cr, frame);
        break;
    case 2:
        Balloon(cr, frame);
        break;
    case 3:
        Wyvern(cr, frame);
        break;
    case 4:
    case 5:
    case 6:
        Archer(cr, kLooks[kind - 4], frame);
        break;
    case 7:
        // Two pixels shorter: the same figure standing on y 73.
        cairo_translate(cr, 0, -2);
        Archer(cr, kLooks[3], frame);
        break;
    case 8:
        Catapult(cr, frame);
        break;
    }
}

} // namespace assetgen

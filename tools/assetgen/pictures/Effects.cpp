// Effects.cpp -- shots, bonus bubble and icons, and the explosion animations: the brightest
// things on screen (fire: white-yellow core to orange to red; ice: white to cyan; lightning:
// white to violet).
#include "Art.h"
#include "Canvas.h"

#include <cmath>

namespace assetgen {

namespace {

const Tone kRock{pal::RockLight, pal::Rock, pal::RockShadow};
const Tone kWood{pal::WoodLight, pal::Wood, pal::WoodShadow};

// A flame tongue from (x, y) trailing towards (tx, ty), as a teardrop of the given half width.
void Flame(cairo_t* cr, double x, double y, double tx, double ty, double halfWidth, uint32_t color,
           double alpha = 1.0) {
    double dx = tx - x, dy = ty - y, len = std::hypot(dx, dy);
    if (len < 0.01) return;
    double nx = -dy / len * halfWidth, ny = dx / len * halfWidth;
    FillFlat(
        cr,
        [&](cairo_t* c) {
            cairo_move_to(c, tx, ty);
            cairo_curve_to(c, x + dx * 0.45 + nx * 1.2, y + dy * 0.45 + ny * 1.2,
                           x + nx * 1.1 - dx * 0.25, y + ny * 1.1 - dy * 0.25,
                           x - dx / len * halfWidth, y - dy / len * halfWidth);
            cairo_curve_to(c, x - nx * 1.1 - dx * 0.25, y - ny * 1.1 - dy * 0.25,
                           x + dx * 0.45 - nx * 1.2, y + dy * 0.45 - ny * 1.2, tx, ty);
            cairo_close_path(c);
        },
        color, alpha);
}

// Layers of flame: red outside, then orange, yellow, and a white-hot core.
void FireBlob(cairo_t* cr, double x, double y, double tx, double ty, double r) {
    const uint32_t tones[4] = {pal::FireRed, pal::FireOrange, pal::FireYellow, pal::FireWhite};
    for (int i = 0; i < 4; ++i) {
        double k = 1.0 - i * 0.22;
        Flame(cr, x + (tx - x) * i * 0.06, y + (ty - y) * i * 0.06, x + (tx - x) * k,
              y + (ty - y) * k, r * k, tones[i]);
    }
}

// A zigzag bolt between two points; returns nothing, draws glow then core.
void Bolt(cairo_t* cr, Rng& rng, double x1, double y1, double x2, double y2, int steps,
          double jitter, double width) {
    std::vector<std::pair<double, double>> pts;
    double dx = x2 - x1, dy = y2 - y1, len = std::hypot(dx, dy);
    double nx = -dy / len, ny = dx / len;
    for (int i = 0; i <= steps; ++i) {
        double t = double(i) / steps, off = (i == 0 || i == steps) ? 0 : rng.Range(-jitter, jitter);
        pts.push_back({x1 + dx * t + nx * off, y1 + dy * t + ny * off});
    }
    const uint32_t tones[3] = {pal::Bolt, pal::BoltLight, pal::White};
    const double widths[3] = {width * 2.6, width * 1.5, width * 0.7};
    for (int i = 0; i < 3; ++i) {
        cairo_new_path(cr);
        PolyPath(cr, pts, false);
        cairo_set_line_width(cr, widths[i]);
        SetColor(cr, tones[i]);
        cairo_stroke(cr);
    }
}

void Star(cairo_t* cr, double cx, double cy, int points, double r1, double r2, double turn) {
    for (int i = 0; i < points * 2; ++i) {
        double a = turn + i * M_PI / points, r = i % 2 ? r2 : r1;
        if (i == 0)
            cairo_move_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
        else
            cairo_line_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
    }
    cairo_close_path(cr);
}

} // namespace

void DrawArrow(cairo_t* cr) {
    // Pointing left: steel head, ash shaft, red fletching.
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 6, 4);
            cairo_line_to(c, 29, 4);
        },
        3.4);
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 6, 4);
            cairo_line_to(c, 29, 4);
        },
        1.4, pal::WoodLight);
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{31, 1}, {25, 1.5}, {22, 4}, {25, 6.5}, {31, 7}, {28, 4}});
        },
        Tone{pal::ClothLight, pal::Cloth, pal::ClothShadow}, 0.8, 1, 1.2);
    Paint(
        cr,
        [](cairo_t* c) {
            PolyPath(c, {{1, 4}, {8, 1}, {7, 4}, {8, 7}});
        },
        Tone{pal::SteelLight, pal::Steel, pal::SteelShadow}, 0.8, 1, 1.3);
}

void DrawArrowUp(cairo_t* cr) {
    // The same arrow turned up-left along the box diagonal (9 left, 6 up per frame).
    cairo_save(cr);
    cairo_translate(cr, 20, 13);
    cairo_rotate(cr, std::atan2(6.0, 9.0));
    cairo_translate(cr, -20, -4);
    cairo_translate(cr, 2, 0);
    DrawArrow(cr);
    cairo_restore(cr);
}

void DrawBurnstone(cairo_t* cr, int frame, bool thrownUp) {
    // Flames trail behind the flight: up-right when falling, down-right when thrown up.
    double sx = 7.5, sy = thrownUp ? 7.5 : 12.5;
    double tx = 19.5, ty = thrownUp ? 19.5 : 0.5;
    double wob = (frame % 2 ? 1.5 : -1.0);
    Flame(cr, sx, sy, tx - wob, ty + (thrownUp ? -wob : wob), 6.5, pal::FireRed);
    Flame(cr, sx, sy, tx - 3 + wob, ty + (thrownUp ? -3 : 3), 5, pal::FireOrange);
    Flame(cr, sx + 1, sy + (thrownUp ? 1 : -1), sx + (tx - sx) * 0.6, sy + (ty - sy) * 0.6, 3.5,
          pal::FireYellow);
    // The stone turns a quarter each frame.
    cairo_save(cr);
    cairo_translate(cr, sx, sy);
    cairo_rotate(cr, frame * M_PI / 2);
    auto rock = [](cairo_t* c) {
        PolyPath(c, {{-5.5, -2}, {-2, -6}, {3.5, -5}, {6, 0}, {3, 5.5}, {-3, 5}});
    };
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, sx, sy);
    cairo_rotate(cr, frame * M_PI / 2);
    FillFlat(cr, rock, pal::Rock);
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, -2, -3);
            cairo_line_to(c, 1, 0);
            cairo_line_to(c, 0, 3);
        },
        1.2, pal::FireOrange);
    Stroke(cr, rock, 1.6);
    cairo_restore(cr);
    // Light from the upper left on the stone.
    FillFlat(
        cr, [&](cairo_t* c) { EllipsePath(c, sx - 2, sy - 2, 1.6, 1.3); }, pal::RockLight);
}

void DrawFireShot(cairo_t* cr, int frame) {
    // A breath of fire flying right: a hot head with tongues trailing left.
    double w = frame ? 1.0 : -1.0;
    Flame(cr, 25, 8, 2, 8 + w * 2.5, 6.5, pal::FireRed);
    Flame(cr, 24, 8, 6, 8 - w * 2, 5.0, pal::FireOrange);
    Flame(cr, 26, 8, 11, 8 + w, 3.6, pal::FireYellow);
    FillFlat(
        cr, [](cairo_t* c) { EllipsePath(c, 26, 8, 3.2, 2.6); }, pal::FireWhite);
}

void DrawFireball(cairo_t* cr) {
    FireBlob(cr, 30, 12, 2, 12, 10);
    Flame(cr, 28, 8, 8, 3, 3, pal::FireOrange);
    Flame(cr, 28, 16, 8, 21, 3, pal::FireOrange);
}

void DrawIceShot(cairo_t* cr, int frame) {
    // A crystal shard pointing right with frost glinting behind it.
    auto shard = [](cairo_t* c) {
        PolyPath(c, {{31, 8}, {20, 3}, {6, 6}, {2, 8}, {6, 10}, {20, 13}});
    };
    FillShaded(cr, shard, Tone{pal::IceWhite, pal::IceLight, pal::Ice}, 1.2, 2.2);
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 31, 8);
            cairo_line_to(c, 6, 8);
        },
        1.0, pal::Ice);
    Stroke(cr, shard, 1.4, pal::IceDeep);
    for (int i = 0; i < 3; ++i) {
        double x = 3 + i * 5 + frame * 2, y = i % 2 ? 3 : 13;
        FillFlat(
            cr, [&](cairo_t* c) { Star(c, x, y, 4, 2.6, 0.8, frame * 0.4); }, pal::IceWhite);
    }
}

void DrawFlashShot(cairo_t* cr, int frame) {
    Rng rng(0x5EED0 + frame * 77);
    Bolt(cr, rng, 1, 8, 47, 8, 7, 4.5, 2.0);
    Rng rng2(0xB017 + frame * 13);
    Bolt(cr, rng2, 14, 8, 34, frame ? 2 : 14, 3, 2.0, 1.0);
}

void DrawBubble(cairo_t* cr, int frame) {
    // A soap-bubble ring: the icon shows through its keyed middle. The highlight breathes.
    auto ring = [](cairo_t* c) { EllipsePath(c, 16, 16, 14.6, 14.6); };
    cairo_new_path(cr);
    ring(cr);
    cairo_set_line_width(cr, 4.2);
    SetColor(cr, pal::IceDeep);
    cairo_stroke(cr);
    cairo_new_path(cr);
    ring(cr);
    cairo_set_line_width(cr, 2.2);
    SetColor(cr, pal::IceLight);
    cairo_stroke(cr);
    double a0 = M_PI * (1.05 + 0.08 * frame), a1 = M_PI * (1.45 + 0.05 * frame);
    cairo_new_path(cr);
    cairo_arc(cr, 16, 16, 14.6, a0, a1);
    cairo_set_line_width(cr, 2.2);
    SetColor(cr, pal::White);
    cairo_stroke(cr);
    // A glint that walks round the lower right.
    double g = M_PI * (0.1 + frame * 0.12);
    FillFlat(
        cr,
        [&](cairo_t* c) {
            Star(c, 16 + std::cos(g) * 14.6, 16 + std::sin(g) * 14.6, 4, 3.2, 0.9, 0);
        },
        pal::White);
}

void DrawIcon(cairo_t* cr, Icon icon) {
    switch (icon) {
    case Icon::Star: {
        // A gold eight-pointed star: "something good" for the bonuses that share this icon.
        auto star = [](cairo_t* c) { Star(c, 16, 16, 8, 12.5, 7.5, -M_PI / 2); };
        FillShaded(cr, star, Tone{pal::ParchmentLight, pal::GoldLight, pal::Gold}, 1.5, 1.5);
        Stroke(cr, star, 1.3, pal::GoldDark);
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 16, 16, 3.4, 3.4); }, pal::Rubric);
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 15, 15, 1.2, 1.2); }, pal::ClothLight);
        break;
    }
    case Icon::Fireball: {
        // A ball of fire streaming back to the upper left, ringed in ember.
        auto ball = [](cairo_t* c) {
            cairo_move_to(c, 3, 4);
            cairo_curve_to(c, 9, 6, 12, 8, 14, 9);
            cairo_arc(c, 18.5, 18.5, 10, -2.0, 2.6);
            cairo_curve_to(c, 9, 16, 7, 10, 3, 4);
            cairo_close_path(c);
        };
        FillFlat(cr, ball, pal::FireRed);
        Stroke(cr, ball, 1.6, pal::Ember);
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 19, 19, 7.5, 7.5); }, pal::FireOrange);
        Flame(cr, 19.5, 19.5, 8, 8, 5.5, pal::FireYellow);
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 20, 20, 3.6, 3.6); }, pal::FireWhite);
        break;
    }
    case Icon::Ice:
        // A six-armed ice crystal.
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < 6; ++i) {
                double a = i * M_PI / 3 - M_PI / 2, ca = std::cos(a), sa = std::sin(a);
                cairo_new_path(cr);
                cairo_move_to(cr, 16, 16);
                cairo_line_to(cr, 16 + ca * 12, 16 + sa * 12);
                for (double t : {6.5, 9.5}) {
                    double bx = 16 + ca * t, by = 16 + sa * t;
                    for (double s : {-1.0, 1.0}) {
                        double b = a + s * 0.8;
                        cairo_move_to(cr, bx, by);
                        cairo_line_to(cr, bx + std::cos(b) * 3.5, by + std::sin(b) * 3.5);
                    }
                }
                cairo_set_line_width(cr, pass ? 1.6 : 3.6);
                SetColor(cr, pass ? pal::IceWhite : pal::IceDeep);
                cairo_stroke(cr);
            }
        }
        FillFlat(
            cr, [](cairo_t* c) { Star(c, 16, 16, 6, 4, 2.5, 0); }, pal::IceLight);
        break;
    case Icon::Flash: {
        auto bolt = [](cairo_t* c) {
            PolyPath(c, {{19, 2}, {8, 17}, {15, 17}, {11, 30}, {25, 12}, {17.5, 12}, {22, 2}});
        };
        FillShaded(cr, bolt, Tone{pal::White, pal::BoltLight, pal::Bolt}, 1.2, 2.2);
        Stroke(cr, bolt, 1.6, pal::BoltDeep);
        break;
    }
    }
}

int BlastFrames(Blast blast) {
    switch (blast) {
    case Blast::DragonDamage:
        return 8;
    case Blast::HeroKill:
        return 16;
    case Blast::EnemyKill:
        return 12;
    default:
        return 10;
    }
}

void DrawBlast(cairo_t* cr, Blast blast, int frame) {
    const double cx = 32, cy = 32;
    const int n = BlastFrames(blast);
    const double t = double(frame) / (n - 1); // 0 .. 1 over the animation
    switch (blast) {
    case Blast::DragonDamage: {
        // A sharp white-gold hit star that bursts into sparks.
        double r = frame < 3 ? 10 + frame * 4 : 18 - (frame - 3) * 2.8;
        if (frame < 5) {
            FillFlat(
                cr, [&](cairo_t* c) { Star(c, cx, cy, 6, r, r * 0.4, frame * 0.3); },
                pal::FireOrange);
            FillFlat(
                cr, [&](cairo_t* c) { Star(c, cx, cy, 6, r * 0.7, r * 0.28, frame * 0.3); },
                pal::FireYellow);
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, cx, cy, r * 0.25, r * 0.25); },
                pal::FireWhite);
        }
        Rng rng(0xDA3A6E);
        for (int i = 0; i < 10; ++i) {
            double a = rng.Range(0, 2 * M_PI), v = rng.Range(2.5, 4.0);
            double d = 4 + v * frame * 1.1, s = 2.4 * (1 - t) + 0.6;
            FillFlat(
                cr,
                [&](cairo_t* c) {
                    Star(c, cx + std::cos(a) * d, cy + std::sin(a) * d, 4, s * 1.6, s * 0.5, a);
                },
                i % 3 ? pal::FireYellow : pal::FireWhite);
        }
        break;
    }
    case Blast::HeroKill:
    case Blast::Fireball: {
        // Billowing fire: blobs that swell, cool from white to red, and leave smoke.
        bool big = blast == Blast::HeroKill;
        Rng rng(big ? 0x4E20u : 0xF1EBu);
        int blobs = big ? 14 : 9;
        double reach = big ? 20 : 15;
        for (int i = 0; i < blobs; ++i) {
            double a = rng.Range(0, 2 * M_PI), d = rng.Range(0.2, 1.0) * reach;
            double delay = rng.Range(0, 0.25), size = rng.Range(0.55, 1.0) * (big ? 13 : 10);
            double age = (t - delay) / (1 - delay);
            if (age < 0) continue;
            double grow = std::min(1.0, age * 3.5);
            double x = cx + std::cos(a) * d * (0.3 + 0.7 * grow),
                   y = cy + std::sin(a) * d * (0.3 + 0.7 * grow) - age * 6;
            double r = size * (0.35 + 0.65 * grow) * (age > 0.7 ? 1 - (age - 0.7) * 2.2 : 1.0);
            if (r <= 0.5) continue;
            uint32_t outer = age < 0.35 ? pal::FireOrange : age < 0.6 ? pal::FireRed : pal::Smoke;
            uint32_t inner = age < 0.25  ? pal::FireWhite
                             : age < 0.5 ? pal::FireYellow
                             : age < 0.7 ? pal::FireOrange
                                         : pal::SmokeLight;
            double alpha = age > 0.75 ? 0.55 : 1.0; // late smoke dithers, so it looks thin
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, x, y, r, r * 0.92); }, outer, alpha);
            FillFlat(
                cr,
                [&](cairo_t* c) { EllipsePath(c, x - r * 0.2, y - r * 0.25, r * 0.62, r * 0.58); },
                inner, alpha);
        }
        if (t < 0.3) {
            // The first flash: a white-hot star inside a yellow ball.
            double r = (big ? 12 : 9) * (1 + t * 2.5);
            FillFlat(
                cr, [&](cairo_t* c) { Star(c, cx, cy, 8, r * 1.45, r * 0.8, frame * 0.25); },
                pal::FireOrange);
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, cx, cy, r, r); }, pal::FireYellow);
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, cx - 1, cy - 1, r * 0.6, r * 0.6); },
                pal::FireWhite);
        }
        break;
    }
    case Blast::EnemyKill: {
        // A flash, a puff of smoke and flying splinters and stones.
        Rng rng(0xDEB815);
        if (frame < 4) {
            double r = 8 + frame * 5;
            FillFlat(
                cr, [&](cairo_t* c) { Star(c, cx, cy, 9, r, r * 0.55, 0.2); }, pal::FireOrange);
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, cx, cy, r * 0.5, r * 0.5); }, pal::FireYellow);
        }
        for (int i = 0; i < 7; ++i) {
            double a = rng.Range(0, 2 * M_PI), d = rng.Range(4, 12), r = rng.Range(7, 11);
            double k = std::min(1.0, t * 2.5);
            double x = cx + std::cos(a) * d * (0.5 + k),
                   y = cy + std::sin(a) * d * (0.5 + k) - t * 8;
            double rr = r * (0.4 + 0.6 * k) * (t > 0.6 ? 1 - (t - 0.6) * 2.2 : 1.0);
            if (frame < 2 || rr < 0.5) continue;
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, x, y, rr, rr); }, pal::Smoke,
                t > 0.5 ? 0.55 : 1.0);
            FillFlat(
                cr,
                [&](cairo_t* c) {
                    EllipsePath(c, x - rr * 0.3, y - rr * 0.3, rr * 0.55, rr * 0.5);
                },
                pal::SmokeLight, t > 0.5 ? 0.55 : 1.0);
        }
        for (int i = 0; i < 9; ++i) {
            double a = rng.Range(-M_PI, 0.3), v = rng.Range(2.0, 3.4), spin = rng.Range(-1, 1);
            double x = cx + std::cos(a) * v * frame * 2.2,
                   y = cy + std::sin(a) * v * frame * 2.2 + frame * frame * 0.35;
            cairo_save(cr);
            cairo_translate(cr, x, y);
            cairo_rotate(cr, spin * frame);
            if (i % 2)
                Paint(
                    cr, [](cairo_t* c) { cairo_rectangle(c, -4, -1.3, 8, 2.6); }, kWood, 0.6, 0.8,
                    1.2);
            else
                Paint(
                    cr,
                    [](cairo_t* c) {
                        PolyPath(c, {{-2.5, -2}, {2, -2.5}, {3, 1.5}, {-1.5, 2.5}});
                    },
                    kRock, 0.6, 0.8, 1.2);
            cairo_restore(cr);
        }
        break;
    }
    case Blast::Ice: {
        // A frost ring and shards flying out, white to cyan.
        Rng rng(0x1CE);
        if (frame < 6) {
            double r = 6 + frame * 4;
            cairo_new_path(cr);
            cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
            cairo_set_line_width(cr, 3.5 - frame * 0.4);
            SetColor(cr, pal::IceLight);
            cairo_stroke(cr);
        }
        if (frame < 3)
            FillFlat(
                cr, [&](cairo_t* c) { Star(c, cx, cy, 6, 10 + frame * 3, 4, 0); }, pal::IceWhite);
        for (int i = 0; i < 10; ++i) {
            double a = rng.Range(0, 2 * M_PI), v = rng.Range(2.2, 3.2), len = rng.Range(5, 9);
            double d = 3 + v * frame * 1.3, ca = std::cos(a), sa = std::sin(a);
            double s = len * (frame < 7 ? 1.0 : 1 - (frame - 6) * 0.22);
            double x = cx + ca * d, y = cy + sa * d + frame * frame * 0.12;
            auto shard = [&](cairo_t* c) {
                PolyPath(c, {{x + ca * s, y + sa * s},
                             {x - sa * 2, y + ca * 2},
                             {x - ca * s * 0.4, y - sa * s * 0.4},
                             {x + sa * 2, y - ca * 2}});
            };
            FillShaded(cr, shard, Tone{pal::IceWhite, pal::IceLight, pal::Ice}, 0.8, 1.2);
            Stroke(cr, shard, 1.0, pal::IceDeep);
        }
        break;
    }
    case Blast::Electro: {
        // Violet arcs crackling out from a white core, re-struck every frame.
        Rng rng(0xE1EC + frame * 31);
        double reach = frame < 5 ? 12 + frame * 4 : 28 - (frame - 5) * 3;
        int arcs = frame < 8 ? 6 : 3;
        for (int i = 0; i < arcs; ++i) {
            double a = rng.Range(0, 2 * M_PI), r = reach * rng.Range(0.7, 1.0);
            Bolt(cr, rng, cx, cy, cx + std::cos(a) * r, cy + std::sin(a) * r, 4, 3.5, 1.4);
        }
        if (frame < 7) {
            double r = 7 - frame * 0.7;
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, cx, cy, r + 3, r + 3); }, pal::Bolt);
            FillFlat(
                cr, [&](cairo_t* c) { EllipsePath(c, cx, cy, r, r); }, pal::White);
        }
        break;
    }
    }
}

} // namespace assetgen

// HelpPages.cpp -- the ten help pages (470 x 300). The game draws no text on the help screen, so
// every word is painted here, next to the real sprites it talks about.
#include "Art.h"
#include "Canvas.h"
#include "Fonts.h"
#include "Front.h"
#include "Parchment.h"

#include <cmath>
#include <functional>
#include <string>

namespace assetgen {

namespace {

constexpr double kW = 470, kH = 300;
constexpr double kBody = 13.2, kLine = 16.5;

void Page(cairo_t* cr, int page, const std::string& title) {
    DrawParchment(cr, 0, 0, kW, kH, 0x4E1F0 + uint32_t(page) * 7919, pal::ParchmentLight);
    DrawInkFrame(cr, 0, 0, kW, kH);
    // Rubricated initial, the rest of the title in ink.
    double x = 20;
    DrawText(cr, Font::SerifSemibold, 26, x, 36, title.substr(0, 1), pal::Rubric);
    x += TextWidth(cr, Font::SerifSemibold, 26, title.substr(0, 1));
    DrawText(cr, Font::SerifSemibold, 20, x, 36, title.substr(1), pal::Ink);
    std::string num = std::to_string(page) + " / 10";
    DrawText(cr, Font::SerifItalic, 13, kW - 20, 34, num, pal::Sepia, 1.0);
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 18, 44.5);
            cairo_line_to(c, kW - 18, 44.5);
        },
        1.0, pal::Gold);
    DrawDiamond(cr, kW / 2, 44.5, 3.5);
}

double Text(cairo_t* cr, double x, double y, double w, const std::string& text) {
    return DrawParagraph(cr, Font::Serif, kBody, x, y, w, kLine, text, pal::Ink, pal::Rubric);
}

// Draws `art` scaled about its own origin, placed at (x, y).
void Art(cairo_t* cr, double x, double y, double scale, const std::function<void(cairo_t*)>& art) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    art(cr);
    cairo_restore(cr);
}

void BubbleWith(cairo_t* cr, double x, double y, Icon icon) {
    Art(cr, x, y, 1.0, [&](cairo_t* c) {
        DrawBubble(c, 0);
        DrawIcon(c, icon);
    });
}

// An arrow key: a cap with a triangle pointing its way (0 up, 1 down, 2 left, 3 right).
void ArrowKey(cairo_t* cr, double x, double y, int dir) {
    DrawKeyCap(cr, x, y, "");
    double cx = x + 9.7, cy = y + 8.5;
    const double pts[4][6] = {
        {0, -4, 4, 3, -4, 3}, {0, 4, 4, -3, -4, -3}, {-4, 0, 3, -4, 3, 4}, {4, 0, -3, -4, -3, 4}};
    const double* p = pts[dir];
    FillFlat(
        cr,
        [&](cairo_t* c) {
            PolyPath(c, {{cx + p[0], cy + p[1]}, {cx + p[2], cy + p[3]}, {cx + p[4], cy + p[5]}});
        },
        pal::Ink);
}

// Four keys in the inverted-T of a cursor block, top-left at (x, y).
void Cluster(cairo_t* cr, double x, double y, const char* up, const char* left, const char* down,
             const char* right) {
    if (!up) {
        ArrowKey(cr, x + 23, y, 0);
        ArrowKey(cr, x, y + 22, 2);
        ArrowKey(cr, x + 23, y + 22, 1);
        ArrowKey(cr, x + 46, y + 22, 3);
        return;
    }
    DrawKeyCap(cr, x + 23, y, up);
    DrawKeyCap(cr, x, y + 22, left);
    DrawKeyCap(cr, x + 23, y + 22, down);
    DrawKeyCap(cr, x + 46, y + 22, right);
}

void Mouse(cairo_t* cr, double x, double y) {
    auto body = [&](cairo_t* c) { RoundRectPath(c, x, y, 40, 60, 18); };
    FillShaded(cr, body, Tone{pal::ParchmentLight, pal::ParchmentShadow, pal::ParchmentDeep}, 2, 3);
    // The left button, lit red: it fires.
    FillFlat(
        cr,
        [&](cairo_t* c) {
            cairo_move_to(c, x + 19.5, y + 1);
            cairo_arc_negative(c, x + 18, y + 18, 17, -M_PI / 2, -M_PI);
            cairo_line_to(c, x + 1, y + 24);
            cairo_line_to(c, x + 19.5, y + 24);
            cairo_close_path(c);
        },
        pal::Rubric);
    Stroke(cr, body, 1.6, pal::Ink);
    Stroke(
        cr,
        [&](cairo_t* c) {
            cairo_move_to(c, x + 20, y);
            cairo_line_to(c, x + 20, y + 24);
            cairo_move_to(c, x + 1, y + 24);
            cairo_line_to(c, x + 39, y + 24);
        },
        1.2, pal::Ink);
    // Arrows all round: moving it steers.
    for (int i = 0; i < 4; ++i) {
        double a = i * M_PI / 2, cx = x + 20 + std::cos(a) * 40, cy = y + 30 + std::sin(a) * 42;
        FillFlat(
            cr,
            [&](cairo_t* c) {
                PolyPath(c, {{cx + std::cos(a) * 6, cy + std::sin(a) * 6},
                             {cx - std::sin(a) * 5, cy + std::cos(a) * 5},
                             {cx + std::sin(a) * 5, cy - std::cos(a) * 5}});
            },
            pal::Sepia);
    }
}

void Gamepad(cairo_t* cr, double x, double y) {
    auto body = [&](cairo_t* c) {
        cairo_move_to(c, x + 20, y);
        cairo_line_to(c, x + 110, y);
        cairo_curve_to(c, x + 135, y, x + 140, y + 50, x + 122, y + 58);
        cairo_curve_to(c, x + 110, y + 62, x + 100, y + 40, x + 90, y + 40);
        cairo_line_to(c, x + 40, y + 40);
        cairo_curve_to(c, x + 30, y + 40, x + 20, y + 62, x + 8, y + 58);
        cairo_curve_to(c, x - 10, y + 50, x - 5, y, x + 20, y);
        cairo_close_path(c);
    };
    FillShaded(cr, body, Tone{pal::ParchmentLight, pal::ParchmentShadow, pal::ParchmentDeep}, 2, 3);
    Stroke(cr, body, 1.6, pal::Ink);
    // D-pad and stick on the left.
    FillFlat(
        cr,
        [&](cairo_t* c) {
            cairo_rectangle(c, x + 15, y + 17, 18, 6);
            cairo_rectangle(c, x + 21, y + 11, 6, 18);
        },
        pal::Ink);
    FillFlat(
        cr, [&](cairo_t* c) { EllipsePath(c, x + 48, y + 29, 7, 7); }, pal::Sepia);
    FillFlat(
        cr, [&](cairo_t* c) { EllipsePath(c, x + 47, y + 28, 4, 4); }, pal::ParchmentShadow);
    // Buttons: A lit red.
    const struct {
        double dx, dy;
        const char* name;
    } buttons[] = {{100, 27, "A"}, {110, 18, "B"}, {90, 18, "X"}, {100, 9, "Y"}};
    for (auto& b : buttons) {
        bool fire = b.name[0] == 'A';
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, x + b.dx, y + b.dy, 5, 5); },
            fire ? pal::Rubric : pal::ParchmentDeep);
        Stroke(
            cr, [&](cairo_t* c) { EllipsePath(c, x + b.dx, y + b.dy, 5, 5); }, 1.0, pal::Ink);
        DrawText(cr, Font::SansBold, 7, x + b.dx, y + b.dy + 2.5, b.name,
                 fire ? pal::White : pal::Ink, 0.5);
    }
}

void Callout(cairo_t* cr, double x1, double y1, double x2, double y2, int n) {
    Stroke(
        cr,
        [&](cairo_t* c) {
            cairo_move_to(c, x1, y1);
            cairo_line_to(c, x2, y2);
        },
        1.0, pal::Rubric);
    FillFlat(
        cr, [&](cairo_t* c) { EllipsePath(c, x2, y2, 7, 7); }, pal::Rubric);
    DrawText(cr, Font::SansBold, 10, x2, y2 + 3.5, std::to_string(n), pal::White, 0.5);
}

void Number(cairo_t* cr, double x, double y, int n) {
    FillFlat(
        cr, [&](cairo_t* c) { EllipsePath(c, x, y, 7, 7); }, pal::Rubric);
    DrawText(cr, Font::SansBold, 10, x, y + 3.5, std::to_string(n), pal::White, 0.5);
}

} // namespace

void DrawHelpPage(cairo_t* cr, int page) {
    const double L = 22, R = kW - 22, W = R - L;
    switch (page) {
    case 1: {
        Page(cr, 1, "THE DRAGON'S FLIGHT");
        Art(cr, 62, 58, 0.95, [](cairo_t* c) { DrawWholeDragon(c, 0); });
        double y =
            Text(cr, 178, 72, R - 178,
                 "You are the dragon. Fly over the burning mountains and destroy the archers, "
                 "riders, wyverns and war machines that rise against you. Stay alive until "
                 "the level clock runs out.");
        y = Text(cr, L, std::max(y + 6, 188.0), W,
                 "*Levels.* The first level lasts *60 seconds*. Each new level lasts 10 seconds "
                 "longer, up to *120 seconds*, and the enemies come faster.");
        Text(cr, L, y + 6, W,
             "*Lives.* You start with *three lives*. The game ends when the last one is lost, or "
             "when "
             "you leave it with *Esc*. Then the best scores are kept in the high-score table.");
        break;
    }
    case 2: {
        Page(cr, 2, "THE KEYBOARD");
        double y = 62;
        DrawText(cr, Font::SerifSemibold, 14, L, y + 12, "Steer", pal::Ink);
        Cluster(cr, 76, y - 6, nullptr, nullptr, nullptr, nullptr);
        DrawText(cr, Font::SerifItalic, 13, 161, y + 30, "or", pal::Sepia, 0.5);
        Cluster(cr, 172, y - 6, "W", "A", "S", "D");
        DrawText(cr, Font::SerifItalic, 13, 250, y + 30, "or keypad", pal::Sepia);
        Cluster(cr, 310, y - 6, "8", "4", "2", "6");
        struct Row {
            const char* what;
            std::vector<std::string> keys;
            const char* note;
        };
        const Row rows[] = {
            {"Breathe fire", {"Ctrl", "or", "Space"}, "hold to keep firing"},
            {"Pause", {"P"}, "press again to go on"},
            {"Leave the game", {"Esc"}, "asks first"},
            {"Boss key", {"F12"}, "hides the game; change it in Options"},
            {"Full screen", {"Alt", "+", "Enter"}, "switches between window and full screen"},
        };
        y = 128;
        for (const Row& r : rows) {
            DrawText(cr, Font::SerifSemibold, 14, L, y + 14, r.what, pal::Ink);
            double x = 126;
            for (const std::string& k : r.keys) {
                if (k == "or" || k == "+") {
                    DrawText(cr, Font::SerifItalic, 13, x + 7, y + 14, k, pal::Sepia, 0.5);
                    x += k == "or" ? 18 : 14;
                } else {
                    x += DrawKeyCap(cr, x, y, k) + 4;
                }
            }
            DrawText(cr, Font::SerifItalic, 13, std::max(x + 8, 236.0), y + 14, r.note, pal::Sepia);
            y += 32;
        }
        break;
    }
    case 3: {
        Page(cr, 3, "MOUSE AND GAMEPAD");
        Mouse(cr, 60, 80);
        Text(cr, L, 200, 190,
             "*Move the mouse* to steer: the dragon follows it. Hold the *left button* to breathe "
             "fire.");
        Gamepad(cr, 290, 86);
        Text(cr, 250, 200, R - 250,
             "Steer with the *stick* or the *pad*. The first button, *A*, breathes fire.");
        Stroke(
            cr,
            [](cairo_t* c) {
                cairo_move_to(c, 235, 64);
                cairo_line_to(c, 235, 276);
            },
            0.8, pal::Gold);
        break;
    }
    case 4: {
        Page(cr, 4, "THE STATUS BAR");
        // The real bar at 55 %, with the values the game writes.
        const double s = 0.535, bx = 21, by = 58;
        cairo_save(cr);
        cairo_translate(cr, bx, by);
        cairo_scale(cr, s, s);
        DrawStatusBar(cr);
        cairo_save(cr);
        cairo_translate(cr, 453, 40);
        DrawScaleColumns(cr, 110);
        cairo_restore(cr);
        for (int i = 1; i <= 3; ++i) {
            cairo_save(cr);
            cairo_translate(cr, 265 + 41 * i, 38);
            DrawLife(cr);
            cairo_restore(cr);
        }
        cairo_save(cr);
        cairo_translate(cr, 715, 28);
        DrawIcon(cr, Icon::Ice);
        cairo_restore(cr);
        DrawText(cr, Font::Serif, 27, 66, 56, "3", pal::Outline & 0);
        DrawText(cr, Font::Serif, 27, 221, 56, "1250", 0, 0.5);
        DrawText(cr, Font::Serif, 27, 525, 56, "00:42", 0);
        DrawText(cr, Font::Serif, 16, 750, 40, "00:09", 0);
        cairo_restore(cr);
        Callout(cr, bx + 95 * s, by + 62 * s, bx + 95 * s, 112, 1);
        Callout(cr, bx + 221 * s, by + 62 * s, bx + 221 * s, 112, 2);
        Callout(cr, bx + 365 * s, by + 64 * s, bx + 365 * s, 112, 3);
        Callout(cr, bx + 550 * s, by + 62 * s, bx + 550 * s, 112, 4);
        Callout(cr, bx + 754 * s, by + 63 * s, bx + 754 * s, 112, 5);
        const char* lines[] = {
            "*Level*: the level you are flying.",
            "*Score*: your points so far.",
            "*Lives*: one dragon head for each life, three at most.",
            "*Time*: the bar fills as the level passes; the clock shows the time flown.",
            "*Bonus*: the weapon or bonus at work, with the seconds it has left.",
        };
        double y = 140;
        for (int i = 0; i < 5; ++i) {
            Number(cr, L + 7, y - 4.5, i + 1);
            y = Text(cr, L + 20, y, W - 20, lines[i]) + 4;
        }
        break;
    }
    case 5: {
        Page(cr, 5, "ENEMIES OF THE AIR");
        Art(cr, L + 4, 56, 0.9, [](cairo_t* c) { DrawEnemy(c, 1, 0); });
        Text(cr, 112, 72, R - 112,
             "*Hawk riders* fly straight at you and shoot arrows ahead of them. *10 points.*");
        Art(cr, L + 16, 112, 0.62, [](cairo_t* c) { DrawEnemy(c, 2, 1); });
        Text(
            cr, 112, 136, R - 112,
            "*Balloon archers* sink in from above the clouds, shooting as they drop. *10 points.*");
        Art(cr, L, 194, 0.82, [](cairo_t* c) { DrawEnemy(c, 3, 0); });
        Text(cr, 112, 206, R - 112,
             "*Wyverns* weave up and down and drop burning stones. They are tough. *20 points.*");
        Text(cr, L, 280, W, "An arrow costs your dragon *2* health, a burning stone *10*.");
        break;
    }
    case 6: {
        Page(cr, 6, "ENEMIES ON THE GROUND");
        for (int k = 4; k <= 7; ++k)
            Art(cr, L + (k - 4) * 44, 60, 0.9, [k](cairo_t* c) { DrawEnemy(c, k, 2); });
        Text(cr, 206, 76, R - 206,
             "*Archers* hold the ground and loose their arrows up at a slant. *5 points* each.");
        Art(cr, L, 160, 1.0, [](cairo_t* c) { DrawEnemy(c, 8, 0); });
        Text(cr, 130, 176, R - 130,
             "*Catapults* hurl burning stones high into the sky. *15 points.*");
        Text(cr, L, 252, W,
             "Ground enemies shoot in bursts: watch for the drawn bow and the swinging arm.");
        break;
    }
    case 7: {
        Page(cr, 7, "WEAPONS");
        Art(cr, L + 6, 66, 1.0, [](cairo_t* c) { DrawFireShot(c, 0); });
        Text(cr, 80, 78, R - 80, "*Fire*, your own breath: always ready. Damage 2.");
        const struct {
            Icon icon;
            const char* text;
        } rows[] = {
            {Icon::Fireball, "*Fireball*: damage 4."},
            {Icon::Ice, "*Ice*: damage 4, shatters on impact."},
            {Icon::Flash, "*Lightning*: damage 8."},
        };
        double y = 94;
        for (auto& r : rows) {
            BubbleWith(cr, L, y, r.icon);
            Art(cr, L + 40, y + 8, 1.0, [&](cairo_t* c) {
                if (r.icon == Icon::Fireball) DrawFireball(c);
                if (r.icon == Icon::Ice) DrawIceShot(c, 0);
                if (r.icon == Icon::Flash) DrawFlashShot(c, 0);
            });
            Text(cr, 120, y + 20, R - 120, r.text);
            y += 38;
        }
        Text(cr, L, y + 14, W,
             "Fly into a bubble to take its weapon for *15 seconds*. These weapons hit harder "
             "but fire at half the rate. The status bar shows the weapon and its seconds left.");
        break;
    }
    case 8: {
        Page(cr, 8, "BONUSES");
        BubbleWith(cr, L + 4, 60, Icon::Star);
        Text(cr, 70, 72, R - 70,
             "A bubble with the *gold star* holds a surprise. Fly into it to win one of these:");
        const char* lines[] = {
            "*Bomb*: every enemy on the screen is destroyed, and scores for you.",
            "*Shield*: for 15 seconds nothing can hurt your dragon.",
            "*Extra life*: one more life, up to three.",
            "*Points*: 100 points at once.",
            "*Time*: turns the level clock back 10 seconds, so you have more time in the level.",
        };
        double y = 114;
        for (const char* l : lines) {
            DrawDiamond(cr, L + 100, y - 4.5, 3);
            y = Text(cr, L + 110, y, W - 110, l) + 3;
        }
        Art(cr, L + 20, 118, 0.52, [](cairo_t* c) {
            cairo_translate(c, 49, 0);
            cairo_save(c);
            cairo_translate(c, -49, 0);
            DrawShield(c, 0);
            cairo_restore(c);
            DrawWholeDragon(c, 1);
        });
        break;
    }
    case 9: {
        Page(cr, 9, "DANGERS");
        Art(cr, L, 56, 0.62, [](cairo_t* c) {
            for (int i = 0; i < 3; ++i) {
                cairo_save(c);
                cairo_translate(c, 0, 75 * i);
                cairo_rectangle(c, 0, 0, 64, 75);
                cairo_clip(c);
                DrawGrille(c);
                cairo_restore(c);
            }
        });
        Text(cr, 72, 70, 170,
             "*The grille* at the left edge kills your dragon at once, unless a shield is up. Keep "
             "away from it.");
        Art(cr, 262, 58, 0.6, [](cairo_t* c) {
            DrawVolcano(c, 1);
            cairo_translate(c, 69, -13);
            DrawLava(c, 1);
        });
        Text(cr, 370, 78, R - 370, "*Lava* burns very fast.");
        Text(cr, L, 214, W,
             "Ramming an enemy destroys it, but costs as much health as it had left. Your dragon "
             "has *50 health*, which is not shown: arrows take 2, stones 10. When it is gone, a "
             "life is lost. A *shield* guards against all of these.");
        break;
    }
    case 10: {
        Page(cr, 10, "SCORES AND OPTIONS");
        double y = Text(cr, L, 66, W,
                        "*Score.* Each enemy is worth its strength: archers 5, hawk riders and "
                        "balloons 10, catapults 15, wyverns 20. The points bonus adds 100.");
        y = Text(cr, L, y + 4, W,
                 "A score among the best ten asks for your *name* and *country*, keeps them in the "
                 "high-score table, and offers to send the result to the world high-score page.");
        y = Text(cr, L, y + 4, W,
                 "*Options.* Choose window or full screen, music, sound effects, your country, and "
                 "the boss key.");
        y = Text(cr, L, y + 4, W,
                 "*Boss key.* *F12*, or the key you choose in Options, hides the game at once. "
                 "Press *P* to pause.");
        // A glimpse of the table.
        double ty = std::max(y + 4, 214.0);
        DrawInset(cr, L, ty, 220, 64, pal::White);
        const char* rows[3][3] = {
            {"1", "ASTRID", "3120"}, {"2", "BORIS", "2870"}, {"3", "CATALINA", "2410"}};
        for (int i = 0; i < 3; ++i) {
            double by = ty + 18 + i * 19;
            DrawText(cr, Font::Serif, 14, L + 14, by, rows[i][0], pal::Ink);
            DrawText(cr, Font::Serif, 14, L + 44, by, rows[i][1], pal::Ink);
            DrawText(cr, Font::Serif, 14, L + 206, by, rows[i][2], pal::Ink, 1.0);
        }
        cairo_save(cr);
        cairo_translate(cr, 300, ty + 18);
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 18, 12, 22, 22); }, pal::Gold);
        FillFlat(
            cr, [](cairo_t* c) { EllipsePath(c, 18, 12, 19, 19); }, pal::ParchmentLight);
        Stroke(
            cr, [](cairo_t* c) { EllipsePath(c, 18, 12, 22, 22); }, 1.5, pal::Ink);
        DrawLife(cr);
        cairo_restore(cr);
        break;
    }
    }
}

} // namespace assetgen

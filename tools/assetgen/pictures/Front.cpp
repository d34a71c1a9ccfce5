// Front.cpp -- the dialog frame and its buttons (in both picture files), the status bar and the
// level-time scale. Text the program draws over them is black or red, so they stay light.
#include "Front.h"

#include "Art.h"
#include "Canvas.h"
#include "Fonts.h"
#include "Parchment.h"
#include "pictures/Pictures.h"

namespace assetgen {

namespace {

// Button rectangles in frame co-ordinates: the program places "ok" at (301, 386) and "cancel"
// at (420, 386) over the frame at (220, 190).
const Label kOkRect{"OK", 81, 196, 30, 18, 0};
const Label kCancelRect{"CANCEL", 200, 196, 67, 18, 0};

// Both buttons at the largest size at which CANCEL still fits its 67 pixels.
std::pair<Label, Label> Buttons(cairo_t* cr) {
    double size = FitSize(cr, {kOkRect, kCancelRect}, 19, 4);
    Label ok = kOkRect, cancel = kCancelRect;
    ok.size = cancel.size = size;
    return {ok, cancel};
}

void DrawConsole(cairo_t* cr, bool okLit, bool cancelLit) {
    const double w = 360, h = 220;
    DrawParchment(cr, 0, 0, w, h, 0xC0501E, pal::ParchmentLight);
    // Title strip (the dialog titles are written at y 5..26): a slightly deeper band.
    FillFlat(
        cr, [](cairo_t* c) { cairo_rectangle(c, 7, 7, 346, 24); }, pal::Parchment, 0.9);
    Stroke(
        cr,
        [](cairo_t* c) {
            cairo_move_to(c, 7, 31.5);
            cairo_line_to(c, 353, 31.5);
        },
        1.0, pal::Gold);
    DrawInkFrame(cr, 0, 0, w, h);
    // Button ornaments and their labels.
    auto [kOk, kCancel] = Buttons(cr);
    for (const Label* l : {&kOk, &kCancel}) {
        Stroke(
            cr,
            [&](cairo_t* c) {
                cairo_move_to(c, l->x - 8, l->y + l->h / 2);
                cairo_line_to(c, l->x - 3, l->y + l->h / 2);
                cairo_move_to(c, l->x + l->w + 3, l->y + l->h / 2);
                cairo_line_to(c, l->x + l->w + 8, l->y + l->h / 2);
            },
            1.0, pal::Gold);
        DrawDiamond(cr, l->x - 10, l->y + l->h / 2, 2.6);
        DrawDiamond(cr, l->x + l->w + 10, l->y + l->h / 2, 2.6);
    }
    DrawLabel(cr, kOk, okLit);
    DrawLabel(cr, kCancel, cancelLit);
}

} // namespace

TPictureItemData MakeConsole() {
    Canvas c(360, 220);
    DrawConsole(c.cr(), false, false);
    return OpaqueEntry("console", c);
}

TPictureItemData MakeConsoleButton(bool ok) {
    Canvas c(360, 220);
    DrawConsole(c.cr(), ok, !ok);
    const Label& l = ok ? kOkRect : kCancelRect;
    return CropEntry(ok ? "ok" : "cancel", c, int(l.x), int(l.y), int(l.w), int(l.h));
}

void DrawStatusBar(cairo_t* cr) {
    DrawParchment(cr, 0, 0, 800, 68, 0x57A7B, pal::Parchment);
    // Gold trim and an ink rule along the bottom, where the game scene begins.
    FillFlat(
        cr, [](cairo_t* k) { cairo_rectangle(k, 0, 64, 800, 2); }, pal::Gold);
    FillFlat(
        cr, [](cairo_t* k) { cairo_rectangle(k, 0, 66, 800, 2); }, pal::Ink);
    FillFlat(
        cr, [](cairo_t* k) { cairo_rectangle(k, 0, 0, 800, 1.5); }, pal::Sepia);
    // Heading row (y 4..26), centred over each slot.
    const struct {
        const char* text;
        double x0, x1;
    } heads[] = {{"LEVEL", 60, 130},
                 {"SCORE", 176, 266},
                 {"LIVES", 300, 430},
                 {"TIME", 450, 651},
                 {"BONUS", 710, 798}};
    for (auto& hd : heads) {
        DrawText(cr, Font::SerifSemibold, 14, (hd.x0 + hd.x1) / 2, 21, hd.text, pal::Sepia, 0.5);
        double tw = TextWidth(cr, Font::SerifSemibold, 14, hd.text);
        DrawDiamond(cr, (hd.x0 + hd.x1) / 2 - tw / 2 - 8, 16, 2.5);
        DrawDiamond(cr, (hd.x0 + hd.x1) / 2 + tw / 2 + 8, 16, 2.5);
    }
    // Value slots: level digits at (65, 35), the score centred on 221, life icons from 306.
    DrawInset(cr, 60, 33, 70, 30, pal::ParchmentLight);
    DrawInset(cr, 176, 33, 90, 30, pal::ParchmentLight);
    DrawInset(cr, 300, 34, 130, 31, pal::ParchmentLight);
    // The trough of the time bar (the scale fills 453..648 x 40..60 from the left).
    DrawInset(cr, 450, 37, 201, 26, pal::ParchmentShadow);
    DrawInset(cr, 710, 24, 88, 40, pal::ParchmentLight);
    // The crest at the left: the dragon's head in a gold ring.
    FillFlat(
        cr, [](cairo_t* k) { EllipsePath(k, 29, 33, 23, 23); }, pal::Gold);
    FillFlat(
        cr, [](cairo_t* k) { EllipsePath(k, 29, 33, 20, 20); }, pal::ParchmentLight);
    Stroke(
        cr, [](cairo_t* k) { EllipsePath(k, 29, 33, 23, 23); }, 1.5, pal::Ink);
    cairo_save(cr);
    cairo_translate(cr, 11, 20);
    DrawLife(cr);
    cairo_restore(cr);
    // Small flourishes between the slots.
    for (double x : {153.0, 283.0, 440.5, 680.5})
        DrawDiamond(cr, x, 48, 3);
}

TPictureItemData MakeStatusBar() {
    Canvas c(800, 68);
    DrawStatusBar(c.cr());
    return OpaqueEntry("statusbar", c);
}

void DrawScaleColumns(cairo_t* cr, int count) {
    // One-pixel columns: pale green while the level is young, gold, then ember-pink near its
    // end. Light throughout, because the level clock is written over it in black.
    for (int x = 0; x < count; ++x) {
        double t = x / 194.0;
        uint32_t base =
            t < 0.5 ? Mix(Mix(pal::LeafLight, pal::ParchmentLight, 0.45), pal::GoldLight, t * 2)
                    : Mix(pal::GoldLight, Mix(pal::FireOrange, pal::ParchmentLight, 0.35),
                          (t - 0.5) * 2);
        if (x % 39 == 0 && x > 0 && x < 194)
            base = Mix(base, pal::Sepia, 0.2); // a tick every fifth of the level
        const uint32_t rows[20] = {pal::Sepia,
                                   Mix(base, pal::White, 0.6),
                                   Mix(base, pal::White, 0.45),
                                   Mix(base, pal::White, 0.3),
                                   base,
                                   base,
                                   base,
                                   base,
                                   base,
                                   base,
                                   base,
                                   base,
                                   base,
                                   base,
                                   Mix(base, pal::Sepia, 0.06),
                                   Mix(base, pal::Sepia, 0.11),
                                   Mix(base, pal::Sepia, 0.16),
                                   Mix(base, pal::Sepia, 0.21),
                                   Mix(base, pal::Sepia, 0.26),
                                   pal::Sepia};
        for (int y = 0; y < 20; ++y)
            FillFlat(
                cr, [&](cairo_t* k) { cairo_rectangle(k, x, y, 1, 1); }, rows[y]);
    }
}

TPictureItemData MakeScale() {
    Canvas c(195, 20);
    DrawScaleColumns(c.cr(), 195);
    return OpaqueEntry("scale", c, 1, 20);
}

} // namespace assetgen

// MenuPictures.cpp -- data/menu.dxg: the title backdrop with the six main-menu labels, their lit
// versions, the sub-screen panels with their painted labels and lit marks, the dialog frame and
// the ten help pages. Indices 0..6 and 24..33 are read by position: keep the order.
#include "Art.h"
#include "Canvas.h"
#include "Fonts.h"
#include "Front.h"
#include "Parchment.h"
#include "pictures/Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace assetgen {

namespace {

// ---- title backdrop ----------------------------------------------------------------------------

// Main-menu item rectangles (screen = picture co-ordinates): x 50, 160 x 46 each.
const std::array<const char*, 6> kMainTexts = {"START GAME", "OPTIONS",   "HIGH SCORES",
                                               "HELP",       "HOME PAGE", "EXIT"};
const std::array<double, 6> kMainY = {190, 241, 295, 348, 399, 451};

std::vector<Label> MainLabels(cairo_t* cr) {
    std::vector<Label> labels;
    for (size_t i = 0; i < 6; ++i)
        labels.push_back({kMainTexts[i], 50, kMainY[i], 160, 46, 0});
    double size = FitSize(cr, labels, 23, 22);
    for (Label& l : labels)
        l.size = size;
    return labels;
}

void Rod(cairo_t* cr, double y) {
    const Tone kWood{pal::WoodLight, pal::Wood, pal::WoodShadow};
    Paint(
        cr, [&](cairo_t* c) { RoundRectPath(c, 24, y - 6, 212, 12, 6); }, kWood, 2, 3, 2.0);
    for (double x : {20.0, 240.0}) {
        Paint(
            cr, [&](cairo_t* c) { EllipsePath(c, x, y, 7, 8); },
            Tone{pal::GoldLight, pal::Gold, pal::GoldDark}, 1.5, 2.5, 1.8);
    }
}

// The parchment banner on the left that carries the six entries.
void DrawBanner(cairo_t* cr) {
    // Soft shadow of the banner on the sky.
    FillFlat(
        cr, [](cairo_t* c) { cairo_rectangle(c, 40, 166, 204, 352); }, pal::Indigo, 0.35);
    DrawParchment(cr, 32, 158, 196, 356, 0xBA22E2, pal::ParchmentLight);
    DrawInkFrame(cr, 32, 158, 196, 356);
    // Ruled separators between the entries.
    for (size_t i = 0; i + 1 < 6; ++i) {
        double y = (kMainY[i] + 46 + kMainY[i + 1]) / 2;
        Stroke(
            cr,
            [&](cairo_t* c) {
                cairo_move_to(c, 80, y);
                cairo_line_to(c, 180, y);
            },
            0.8, pal::Gold);
        DrawDiamond(cr, 130, y, 2.4);
    }
    Rod(cr, 158);
    Rod(cr, 514);
}

// A decorated initial: a gold S on a rubric field in a gold frame, a green vine curling out.
void DrawInitial(cairo_t* cr, double x, double y, double size) {
    FillFlat(
        cr, [&](cairo_t* c) { cairo_rectangle(c, x + 4, y + 4, size, size); }, pal::Indigo, 0.5);
    FillFlat(
        cr, [&](cairo_t* c) { cairo_rectangle(c, x, y, size, size); }, pal::Gold);
    FillFlat(
        cr, [&](cairo_t* c) { cairo_rectangle(c, x + 5, y + 5, size - 10, size - 10); },
        pal::RubricDark);
    FillFlat(
        cr, [&](cairo_t* c) { cairo_rectangle(c, x + 8, y + 8, size - 16, size - 16); },
        pal::Rubric);
    // White filigree dots in the field.
    Rng rng(0x5F11);
    for (int i = 0; i < 26; ++i) {
        double fx = x + 12 + rng.Range(0, size - 24), fy = y + 12 + rng.Range(0, size - 24);
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, fx, fy, 1.2, 1.2); }, pal::ParchmentLight, 0.7);
    }
    // A vine with leaves curling round the inside of the field.
    cairo_new_path(cr);
    cairo_move_to(cr, x + 14, y + size - 14);
    cairo_curve_to(cr, x + 10, y + size * 0.4, x + size * 0.4, y + 8, x + size - 16, y + 16);
    cairo_set_line_width(cr, 2.2);
    SetColor(cr, pal::EmeraldLight);
    cairo_stroke(cr);
    for (double t : {0.25, 0.5, 0.75}) {
        double lx = x + 12 + t * (size - 30),
               ly = y + size - 16 - t * (size - 34) - std::sin(t * M_PI) * 12;
        FillFlat(
            cr, [&](cairo_t* c) { EllipsePath(c, lx, ly, 5, 2.6); }, pal::Emerald);
    }
    Stroke(
        cr, [&](cairo_t* c) { cairo_rectangle(c, x + 0.75, y + 0.75, size - 1.5, size - 1.5); },
        1.5, pal::Ink);
    // The letter itself, gold with an ink edge.
    cairo_save(cr);
    UseFont(cr, Font::SerifBold, size * 0.95);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "S", &e);
    cairo_new_path(cr);
    cairo_move_to(cr, x + (size - e.width) / 2 - e.x_bearing,
                  y + (size - e.height) / 2 - e.y_bearing);
    cairo_text_path(cr, "S");
    SetColor(cr, pal::GoldLight);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2.2);
    SetColor(cr, pal::Ink);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void DrawTitle(cairo_t* cr) {
    const double box = 104, size = 112, gap = 6;
    double rest = TextWidth(cr, Font::Display, size, "kyvern");
    double x = 400 - (box + gap + rest) / 2, y = 22;
    DrawInitial(cr, x, y, box);
    // "kyvern" in parchment with an ink edge and a gold shadow, baseline level with the box foot.
    cairo_save(cr);
    UseFont(cr, Font::Display, size);
    for (int pass = 0; pass < 2; ++pass) {
        cairo_new_path(cr);
        cairo_move_to(cr, x + box + gap + (pass ? 0 : 3), y + box - 4 + (pass ? 0 : 3));
        cairo_text_path(cr, "kyvern");
        if (pass == 0) {
            SetColor(cr, pal::GoldDark);
            cairo_fill(cr);
        } else {
            SetColor(cr, pal::ParchmentLight);
            cairo_fill_preserve(cr);
            cairo_set_line_width(cr, 2.4);
            SetColor(cr, pal::Ink);
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
}

void DrawMenuBack(Canvas& c, int litEntry) {
    cairo_t* cr = c.cr();
    DrawDuskLandscape(cr);
    // The dragon in flight over the ranges, in the space the sub-screen panels cover.
    cairo_save(cr);
    cairo_translate(cr, 486, 214);
    cairo_scale(cr, 2.6, 2.6);
    DrawWholeDragon(cr, 0);
    cairo_restore(cr);
    DrawTitle(cr);
    DrawBanner(cr);
    auto labels = MainLabels(cr);
    for (size_t i = 0; i < labels.size(); ++i)
        DrawLabel(cr, labels[i], int(i) + 1 == litEntry);
}

// ---- sub-screen panels -------------------------------------------------------------------------

constexpr double kPanelX = 317, kPanelY = 170, kPanelW = 470, kPanelH = 390;

// An item rectangle given in screen co-ordinates, moved into the panel's own.
Label PanelLabel(const char* text, double sx, double sy, double w, double h, double size) {
    return {text, sx - kPanelX, sy - kPanelY, w, h, size};
}

const Label kBack = PanelLabel("BACK", 318, 504, 90, 30, 19);

// The part every panel shares, so the BACK item looks the same on all three.
void DrawPanelBase(cairo_t* cr) {
    DrawParchment(cr, 0, 0, kPanelW, kPanelH, 0x9A4E11, pal::ParchmentLight);
    DrawInkFrame(cr, 0, 0, kPanelW, kPanelH);
}

enum class Panel { Options, Scores, Help };

std::vector<Label> PanelItems(Panel panel) {
    switch (panel) {
    case Panel::Options:
        return {PanelLabel("WINDOW", 460, 183, 110, 40, 18),
                PanelLabel("FULL SCREEN", 584, 187, 160, 36, 18),
                PanelLabel("ON", 465, 244, 56, 32, 18),
                PanelLabel("OFF", 529, 245, 50, 32, 18),
                PanelLabel("ON", 468, 299, 56, 32, 18),
                PanelLabel("OFF", 531, 300, 48, 32, 18),
                kBack};
    case Panel::Scores:
        return {PanelLabel("CLEAR", 317, 470, 130, 30, 19),
                PanelLabel("WORLD SCORES", 547, 471, 230, 30, 19), kBack};
    case Panel::Help:
        return {PanelLabel("PREV", 320, 473, 90, 28, 19), PanelLabel("NEXT", 711, 474, 70, 28, 19),
                kBack};
    }
    return {};
}

void DrawPanelTitle(cairo_t* cr, const std::string& text, double cx, double baseline, double size,
                    double ruleGap = 6) {
    // A rubricated first letter, the rest in ink, with a gold rule under it.
    double w = TextWidth(cr, Font::SerifSemibold, size, text);
    double first = TextWidth(cr, Font::SerifSemibold, size * 1.25, text.substr(0, 1));
    double x = cx - (w - TextWidth(cr, Font::SerifSemibold, size, text.substr(0, 1)) + first) / 2;
    DrawText(cr, Font::SerifSemibold, size * 1.25, x, baseline, text.substr(0, 1), pal::Rubric);
    DrawText(cr, Font::SerifSemibold, size, x + first, baseline, text.substr(1), pal::Ink);
    double rx0 = cx - w / 2 - 10, rx1 = cx + w / 2 + 10;
    double ry = baseline + ruleGap;
    Stroke(
        cr,
        [&](cairo_t* c) {
            cairo_move_to(c, rx0, ry);
            cairo_line_to(c, rx1, ry);
        },
        1.2, pal::Gold);
    DrawDiamond(cr, rx0 - 4, ry, 3);
    DrawDiamond(cr, rx1 + 4, ry, 3);
}

void DrawPanel(Canvas& c, Panel panel, int litItem) {
    cairo_t* cr = c.cr();
    DrawPanelBase(cr);
    switch (panel) {
    case Panel::Options: {
        // Row names level with the program's rows at y 185, 240, 295, 350 and 405.
        const std::pair<const char*, double> rows[] = {{"DISPLAY", 185 + 20},
                                                       {"MUSIC", 240 + 20},
                                                       {"SOUND", 295 + 20},
                                                       {"COUNTRY", 350 + 15},
                                                       {"BOSS KEY", 405 + 15}};
        for (auto [name, cy] : rows) {
            double base = cy - kPanelY + 6;
            DrawDiamond(cr, 20, base - 6, 3);
            DrawText(cr, Font::SerifSemibold, 17, 29, base, name, pal::Sepia);
        }
        // Text fields for the country (red text at 535, 350) and the boss-key name (470, 405).
        DrawInset(cr, 535 - kPanelX, 350 - kPanelY, 210, 30, pal::White);
        DrawInset(cr, 470 - kPanelX, 405 - kPanelY, 130, 30, pal::White);
        // A slash between the two choices of each row.
        for (auto [x, y] : {std::pair{260.0, 35.0}, {208.0, 91.0}, {210.5, 146.0}})
            Stroke(
                cr,
                [&](cairo_t* k) {
                    cairo_move_to(k, x + 2, y - 8);
                    cairo_line_to(k, x - 2, y + 8);
                },
                1.2, pal::Gold);
        DrawPanelTitle(cr, "OPTIONS", 330, 357, 26);
        break;
    }
    case Panel::Scores: {
        DrawPanelTitle(cr, "HIGH SCORES", 235, 29, 24, 4);
        // The table: ten rows 23 pixels apart from y 213; rank at 340, name at 420, score at 600.
        double tx = 330 - kPanelX, ty = 208 - kPanelY, tw = 380, th = 240;
        DrawInset(cr, tx, ty, tw, th, pal::White);
        for (int k = 0; k < 10; ++k) {
            double y = 213 - kPanelY + 23 * k - 1;
            if (k % 2 == 1)
                FillFlat(
                    cr, [&](cairo_t* q) { cairo_rectangle(q, tx + 2, y, tw - 4, 23); },
                    pal::ParchmentLight);
        }
        for (double x : {410.0, 590.0})
            Stroke(
                cr,
                [&](cairo_t* q) {
                    cairo_move_to(q, x - kPanelX, ty + 4);
                    cairo_line_to(q, x - kPanelX, ty + th - 4);
                },
                0.8, pal::ParchmentShadow);
        // A crest beside the table.
        cairo_save(cr);
        cairo_translate(cr, 412, 138);
        FillFlat(
            cr, [](cairo_t* q) { EllipsePath(q, 18, 12, 22, 22); }, pal::Gold);
        FillFlat(
            cr, [](cairo_t* q) { EllipsePath(q, 18, 12, 19, 19); }, pal::ParchmentLight);
        Stroke(
            cr, [](cairo_t* q) { EllipsePath(q, 18, 12, 22, 22); }, 1.5, pal::Ink);
        DrawLife(cr);
        cairo_restore(cr);
        for (double y : {70.0, 220.0})
            DrawDiamond(cr, 430, y, 3.5);
        break;
    }
    case Panel::Help: {
        // Only the strip below the page shows: an ornament between PREV and NEXT.
        Stroke(
            cr,
            [](cairo_t* q) {
                cairo_move_to(q, 120, 318);
                cairo_line_to(q, 360, 318);
            },
            1.0, pal::Gold);
        DrawDiamond(cr, 240, 318, 4);
        DrawText(cr, Font::SerifItalic, 15, 240, 352, "turn the pages of the dragon lore",
                 pal::Sepia, 0.5);
        break;
    }
    }
    auto items = PanelItems(panel);
    for (size_t i = 0; i < items.size(); ++i)
        DrawLabel(cr, items[i], int(i) == litItem);
}

TPictureItemData PanelEntry(const char* name, Panel panel) {
    Canvas c{int(kPanelW), int(kPanelH)};
    DrawPanel(c, panel, -1);
    return OpaqueEntry(name, c);
}

// The lit look of one item: the panel rendered with that item lit, cut to the item rectangle.
TPictureItemData Mark(const char* name, Panel panel, int item) {
    Canvas c{int(kPanelW), int(kPanelH)};
    DrawPanel(c, panel, item);
    Label l = PanelItems(panel)[size_t(item)];
    return CropEntry(name, c, int(l.x), int(l.y), int(l.w), int(l.h));
}

} // namespace

std::vector<TPictureItemData> MakeMenuPictures() {
    std::vector<TPictureItemData> out;
    {
        Canvas back(800, 600);
        DrawMenuBack(back, 0);
        out.push_back(OpaqueEntry("menuback", back)); // 0
    }
    const char* highlights[6] = {"mainstart", "mainoptions", "mainscores",
                                 "mainhelp",  "mainhome",    "mainexit"};
    for (int i = 0; i < 6; ++i) { // 1..6
        Canvas lit(800, 600);
        DrawMenuBack(lit, i + 1);
        out.push_back(CropEntry(highlights[i], lit, 50, int(kMainY[size_t(i)]), 160, 46));
    }
    out.push_back(MakeConsole()); // 7
    out.push_back(PanelEntry("optionsback", Panel::Options));
    out.push_back(PanelEntry("scoreback", Panel::Scores));
    out.push_back(PanelEntry("helpback", Panel::Help)); // 10
    out.push_back(Mark("window", Panel::Options, 0));
    out.push_back(Mark("full", Panel::Options, 1));
    out.push_back(Mark("muson", Panel::Options, 2));
    out.push_back(Mark("musoff", Panel::Options, 3));
    out.push_back(Mark("soundon", Panel::Options, 4));
    out.push_back(Mark("soundoff", Panel::Options, 5));
    out.push_back(Mark("backactive", Panel::Options, 6)); // 17
    out.push_back(Mark("clearscore", Panel::Scores, 0));
    out.push_back(Mark("viewscore", Panel::Scores, 1));
    out.push_back(Mark("prev", Panel::Help, 0));
    out.push_back(Mark("next", Panel::Help, 1)); // 21
    out.push_back(MakeConsoleButton(true));      // 22
    out.push_back(MakeConsoleButton(false));     // 23
    for (int page = 1; page <= 10; ++page) {     // 24..33
        Canvas c(470, 300);
        DrawHelpPage(c.cr(), page);
        out.push_back(OpaqueEntry("help" + std::to_string(page), c));
    }
    return out;
}

} // namespace assetgen

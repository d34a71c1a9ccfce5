// Stubs.cpp -- temporary placeholders (removed as the real art lands).
#include "Art.h"
#include "Canvas.h"
#include "Front.h"
#include "pictures/Pictures.h"

namespace assetgen {
static void Box(cairo_t* cr, uint32_t c) {
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    FillFlat(cr, [&](cairo_t* k) { cairo_rectangle(k, x1 + 2, y1 + 2, x2 - x1 - 4, y2 - y1 - 4); }, c);
}
static dxg::PictureEntry Plain(const std::string& n, int w, int h) { Canvas c(w, h); Box(c.cr(), pal::Parchment); return OpaqueEntry(n, c); }
dxg::PictureEntry MakeConsole() { return Plain("console", 360, 220); }
dxg::PictureEntry MakeConsoleButton(bool ok) { return ok ? Plain("ok", 30, 18) : Plain("cancel", 67, 18); }
dxg::PictureEntry MakeStatusBar() { return Plain("statusbar", 800, 68); }
dxg::PictureEntry MakeScale() { auto e = Plain("scale", 195, 20); e.patternWidth = 1; e.patternHeight = 20; return e; }
std::vector<dxg::PictureEntry> MakeMenuPictures() { return {}; }
std::vector<uint32_t> MakeDragonIcon(int) { return {}; }
std::string MakeDragonSvg() { return {}; }
}

// ContactSheet.cpp -- review sheets: every entry laid out with its frames outlined and numbered.
#include "Canvas.h"
#include "Fonts.h"
#include "pictures/Pictures.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr int kSheetWidth = 1680;
constexpr int kMargin = 12;
constexpr int kLabelHeight = 30;

struct Cell {
    const TPictureItemData* entry;
    int index;
    int scale;
    int w, h; // cell size including the label
    int x = 0, y = 0;
};

int FrameW(const TPictureItemData& e) {
    return e.PatternWidth > 0 ? e.PatternWidth : e.Picture.Width();
}
int FrameH(const TPictureItemData& e) {
    return e.PatternHeight > 0 ? e.PatternHeight : e.Picture.Height();
}

// Small pictures are shown enlarged so single pixels can be judged.
int ScaleOf(const TPictureItemData& e) {
    if (e.Picture.Width() * 3 <= 620 && e.Picture.Height() * 3 <= 400) return 3;
    if (e.Picture.Width() * 2 <= kSheetWidth - 2 * kMargin && FrameW(e) <= 160 &&
        e.Picture.Height() <= 160)
        return 2;
    return 1;
}

// The picture as a cairo surface, keyed pixels replaced by a checkerboard.
cairo_surface_t* PictureSurface(const TPictureItemData& e) {
    cairo_surface_t* s =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, e.Picture.Width(), e.Picture.Height());
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < e.Picture.Height(); ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < e.Picture.Width(); ++x) {
            uint32_t p = e.Picture.Pixels()[size_t(y) * e.Picture.Width() + x] & 0xFFFFFF;
            if (e.Transparent && p == 0xFF00FF) p = ((x >> 2) + (y >> 2)) & 1 ? 0x9A9AA4 : 0x70707A;
            row[x] = p;
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

} // namespace

void WriteContactSheets(const std::vector<TPictureItemData>& entries, const std::string& title,
                        const std::string& pngPath) {
    // Measure and flow the cells into rows.
    std::vector<Cell> cells;
    {
        Canvas probe(1, 1);
        for (size_t i = 0; i < entries.size(); ++i) {
            const auto& e = entries[i];
            int s = ScaleOf(e);
            char label[160];
            std::snprintf(label, sizeof label, "%zu %s", i, e.Name.c_str());
            int lw = int(TextWidth(probe.cr(), Font::Ui, 13, label)) + 4;
            cells.push_back({&e, int(i), s, std::max(e.Picture.Width() * s, std::max(lw, 150)),
                             e.Picture.Height() * s + kLabelHeight});
        }
    }
    int x = kMargin, y = 50, rowH = 0;
    for (Cell& c : cells) {
        if (x + c.w > kSheetWidth - kMargin && x > kMargin) {
            x = kMargin;
            y += rowH + kMargin;
            rowH = 0;
        }
        c.x = x;
        c.y = y;
        x += c.w + kMargin;
        rowH = std::max(rowH, c.h);
    }
    int height = y + rowH + kMargin;

    Canvas sheet(kSheetWidth, height);
    cairo_t* cr = sheet.cr();
    SetColor(cr, 0x26262C);
    cairo_paint(cr);
    DrawText(cr, Font::Ui, 20, kMargin, 32, title, 0xF0F0F0);
    for (const Cell& c : cells) {
        const auto& e = *c.entry;
        int fw = FrameW(e), fh = FrameH(e);
        int cols = fw > 0 ? e.Picture.Width() / fw : 0, rows = fh > 0 ? e.Picture.Height() / fh : 0;
        char label[200], info[200];
        std::snprintf(label, sizeof label, "%d %s", c.index, e.Name.c_str());
        std::snprintf(info, sizeof info, "%dx%d  frame %dx%d x%d  %s%s", e.Picture.Width(),
                      e.Picture.Height(), fw, fh, cols * rows, e.Transparent ? "keyed" : "opaque",
                      c.scale > 1 ? (c.scale == 2 ? "  (2x)" : "  (3x)") : "");
        DrawText(cr, Font::Ui, 13, c.x, c.y + 12, label, 0xFFE08A);
        DrawText(cr, Font::Ui, 10, c.x, c.y + 25, info, 0xB8B8C0);
        int ix = c.x, iy = c.y + kLabelHeight;
        cairo_surface_t* pic = PictureSurface(e);
        cairo_save(cr);
        cairo_translate(cr, ix, iy);
        cairo_scale(cr, c.scale, c.scale);
        cairo_set_source_surface(cr, pic, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(pic);
        // Frame outlines and numbers; one-pixel frames get only the outer box.
        cairo_set_line_width(cr, 1);
        SetColor(cr, 0x40E0FF);
        if (fw >= 8) {
            for (int k = 0; k < cols * rows; ++k) {
                int fx = ix + (k % cols) * fw * c.scale, fy = iy + (k / cols) * fh * c.scale;
                cairo_rectangle(cr, fx + 0.5, fy + 0.5, fw * c.scale - 1, fh * c.scale - 1);
                cairo_stroke(cr);
                if (cols * rows > 1 && fw * c.scale >= 16) {
                    char num[16];
                    std::snprintf(num, sizeof num, "%d", k);
                    DrawText(cr, Font::Ui, 9, fx + 2, fy + 10, num, 0x40E0FF);
                }
            }
        } else {
            cairo_rectangle(cr, ix + 0.5, iy + 0.5, e.Picture.Width() * c.scale - 1,
                            e.Picture.Height() * c.scale - 1);
            cairo_stroke(cr);
        }
    }
    cairo_surface_flush(sheet.surface());
    if (cairo_surface_write_to_png(sheet.surface(), pngPath.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + pngPath);
}

} // namespace assetgen

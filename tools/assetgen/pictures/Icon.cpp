// Icon.cpp -- the program icon: the dragon's head on a night-sky medallion in a gold ring, as
// pixels for the window and hicolor icons and as a scalable SVG.
#include "Art.h"
#include "Canvas.h"
#include "pictures/Pictures.h"

#include <cairo-svg.h>

#include <cctype>
#include <cmath>
#include <map>
#include <stdexcept>

namespace assetgen {

namespace {

// The icon in a 64 x 64 design space.
void DrawIconArt(cairo_t* cr) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 4, 0, 60);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0x16 / 255.0, 0x16 / 255.0, 0x3E / 255.0);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0x7A / 255.0, 0x5A / 255.0, 0x8C / 255.0);
    cairo_new_path(cr);
    cairo_arc(cr, 32, 32, 29, 0, 2 * M_PI);
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    // The head fills the disc; the ring is drawn over its edges. The head stays inside the ring,
    // so the scalable icon goes without the clip (some SVG renderers ignore clip paths).
    cairo_save(cr);
    if (cairo_surface_get_type(cairo_get_target(cr)) != CAIRO_SURFACE_TYPE_SVG) {
        cairo_new_path(cr);
        cairo_arc(cr, 32, 32, 29, 0, 2 * M_PI);
        cairo_clip(cr);
    }
    cairo_translate(cr, 27 - 18 * 1.45, 35 - 12 * 1.45);
    cairo_scale(cr, 1.45, 1.45);
    DrawLife(cr); // the life icon's 36 x 24 frame
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_arc(cr, 32, 32, 29.5, 0, 2 * M_PI);
    cairo_set_line_width(cr, 4);
    SetColor(cr, pal::Gold);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_arc(cr, 32, 32, 31.2, 0, 2 * M_PI);
    cairo_set_line_width(cr, 1.4);
    SetColor(cr, pal::Ink);
    cairo_stroke(cr);
}

} // namespace

std::vector<uint32_t> MakeDragonIcon(int size) {
    Canvas c(size, size);
    cairo_scale(c.cr(), size / 64.0, size / 64.0);
    DrawIconArt(c.cr());
    std::vector<uint32_t> out(size_t(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint32_t p = c.Pixel(x, y), a = p >> 24;
            uint32_t argb = a << 24;
            for (int shift : {16, 8, 0}) {
                uint32_t v = (p >> shift) & 255;
                argb |= (a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0) << shift;
            }
            out[size_t(y) * size + x] = argb;
        }
    return out;
}

std::string MakeDragonSvg() {
    std::string svg;
    auto write = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* s = cairo_svg_surface_create_for_stream(write, &svg, 64, 64);
    cairo_t* cr = cairo_create(s);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    DrawIconArt(cr);
    cairo_destroy(cr);
    cairo_surface_finish(s);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    if (!ok) throw std::runtime_error("cannot write the SVG icon");
    // cairo numbers some ids with process-wide counters; number them from 1 in the order they
    // appear, so the file is the same whatever was drawn before.
    std::map<std::string, int> ids;
    std::string out;
    size_t pos = 0;
    while (pos < svg.size()) {
        size_t best = std::string::npos;
        std::string tag;
        for (const char* t : {"surface", "image", "pattern", "source", "mask"}) {
            size_t at = svg.find(t, pos);
            if (at < best) best = at, tag = t;
        }
        size_t end = best == std::string::npos ? best : best + tag.size();
        while (end < svg.size() && std::isdigit(static_cast<unsigned char>(svg[end])))
            ++end;
        if (best == std::string::npos) {
            out.append(svg, pos, std::string::npos);
            break;
        }
        out.append(svg, pos, best - pos);
        std::string number = svg.substr(best + tag.size(), end - best - tag.size());
        if (number.empty()) {
            out += tag;
        } else {
            auto it = ids.emplace(tag + number, int(ids.size()) + 1).first;
            out += tag + std::to_string(it->second);
        }
        pos = end;
    }
    return out;
}

} // namespace assetgen

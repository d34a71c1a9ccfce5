// Canvas.cpp -- cairo surfaces, shading, paths, and resolving drawings into keyed or opaque
// entries.
#include "Canvas.h"

#include "pictures/Pictures.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen {

namespace {

// Polygons in fixed point: clipper works on integers.
constexpr double kFixed = 1 << 16;

// The path, flattened finely, as polygons in the current user space.
ClipperLib::Paths FlatPolygons(cairo_t* cr) {
    const double tolerance = cairo_get_tolerance(cr);
    cairo_set_tolerance(cr, 0.005);
    cairo_path_t* path = cairo_copy_path_flat(cr);
    cairo_set_tolerance(cr, tolerance);
    ClipperLib::Paths out;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t& d = path->data[i];
        if (d.header.type == CAIRO_PATH_MOVE_TO) out.emplace_back();
        if ((d.header.type == CAIRO_PATH_MOVE_TO || d.header.type == CAIRO_PATH_LINE_TO) &&
            !out.empty())
            out.back().emplace_back(
                ClipperLib::cInt(std::lround(path->data[i + 1].point.x * kFixed)),
                ClipperLib::cInt(std::lround(path->data[i + 1].point.y * kFixed)));
    }
    cairo_path_destroy(path);
    return out;
}

ClipperLib::Paths Combine(const ClipperLib::Paths& a, const ClipperLib::Paths& b,
                          ClipperLib::ClipType op) {
    ClipperLib::Clipper c;
    c.AddPaths(a, ClipperLib::ptSubject, true);
    c.AddPaths(b, ClipperLib::ptClip, true);
    ClipperLib::Paths out;
    c.Execute(op, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

void FillPolygons(cairo_t* cr, const ClipperLib::Paths& polygons, uint32_t color) {
    cairo_new_path(cr);
    for (const ClipperLib::Path& p : polygons) {
        for (size_t i = 0; i < p.size(); ++i) {
            const double x = double(p[i].X) / kFixed, y = double(p[i].Y) / kFixed;
            if (i == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
        cairo_close_path(cr);
    }
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    SetColor(cr, color);
    cairo_fill(cr);
    cairo_restore(cr);
}

} // namespace

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot create a cairo surface");
    cr_ = cairo_create(surface_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

uint32_t Canvas::Pixel(int x, int y) const {
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    return reinterpret_cast<const uint32_t*>(data + size_t(y) * stride)[x];
}

void Canvas::Blit(const Canvas& from, double x, double y) {
    cairo_save(cr_);
    cairo_set_source_surface(cr_, from.surface(), x, y);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

uint32_t Rng::Next() {
    state_ += 0x9E3779B9u;
    uint32_t z = state_;
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    return z ^ (z >> 16);
}

void SetColor(cairo_t* cr, uint32_t rgb, double alpha) {
    cairo_set_source_rgba(cr, ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0,
                          (rgb & 255) / 255.0, alpha);
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    auto ch = [&](int shift) {
        double va = (a >> shift) & 255, vb = (b >> shift) & 255;
        return uint32_t(std::lround(va + (vb - va) * t)) << shift;
    };
    return ch(16) | ch(8) | ch(0);
}

void FillFlat(cairo_t* cr, const PathFn& path, uint32_t color, double alpha) {
    cairo_new_path(cr);
    path(cr);
    SetColor(cr, color, alpha);
    cairo_fill(cr);
}

void FillShaded(cairo_t* cr, const PathFn& path, const Tone& tone, double lightDepth,
                double shadowDepth) {
    // Plain fills and clips only (no groups), so the same drawing also stays vector in SVG. The
    // path must be one shape without overlapping parts, because the shadow is cut out even-odd.
    auto shifted = [&](double dx, double dy) {
        cairo_save(cr);
        cairo_translate(cr, dx, dy);
        path(cr);
        cairo_restore(cr);
    };
    if (cairo_surface_get_type(cairo_get_target(cr)) == CAIRO_SURFACE_TYPE_SVG) {
        // Scalable icons: the same three regions cut out as polygons, so the file needs no clip
        // paths, which some SVG renderers (Qt's among them) ignore.
        cairo_new_path(cr);
        path(cr);
        const ClipperLib::Paths shape = FlatPolygons(cr);
        cairo_new_path(cr);
        shifted(lightDepth * 0.7, lightDepth);
        const ClipperLib::Paths lit = FlatPolygons(cr);
        cairo_new_path(cr);
        shifted(-shadowDepth * 0.7, -shadowDepth);
        const ClipperLib::Paths shaded = FlatPolygons(cr);
        FillPolygons(cr, shape, tone.light);
        FillPolygons(cr, Combine(shape, lit, ClipperLib::ctIntersection), tone.base);
        FillPolygons(cr, Combine(shape, shaded, ClipperLib::ctDifference), tone.shadow);
        cairo_new_path(cr);
        return;
    }
    cairo_save(cr);
    cairo_new_path(cr);
    path(cr);
    cairo_clip(cr);
    SetColor(cr, tone.light);
    cairo_paint(cr);
    // Base wherever the point up-left of it is still inside: only the upper-left rim stays light.
    cairo_new_path(cr);
    shifted(lightDepth * 0.7, lightDepth);
    SetColor(cr, tone.base);
    cairo_fill(cr);
    // Shadow wherever the point down-right of it falls outside.
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    cairo_rectangle(cr, x1 - 1, y1 - 1, x2 - x1 + 2, y2 - y1 + 2);
    shifted(-shadowDepth * 0.7, -shadowDepth);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    SetColor(cr, tone.shadow);
    cairo_fill(cr);
    cairo_restore(cr);
}

void Stroke(cairo_t* cr, const PathFn& path, double width, uint32_t color) {
    cairo_new_path(cr);
    path(cr);
    cairo_set_line_width(cr, width);
    SetColor(cr, color);
    cairo_stroke(cr);
}

void Paint(cairo_t* cr, const PathFn& path, const Tone& tone, double lightDepth, double shadowDepth,
           double ink) {
    FillShaded(cr, path, tone, lightDepth, shadowDepth);
    if (ink > 0) Stroke(cr, path, ink);
}

void PolyPath(cairo_t* cr, const std::vector<std::pair<double, double>>& pts, bool close) {
    for (size_t i = 0; i < pts.size(); ++i) {
        if (i == 0)
            cairo_move_to(cr, pts[i].first, pts[i].second);
        else
            cairo_line_to(cr, pts[i].first, pts[i].second);
    }
    if (close) cairo_close_path(cr);
}

void SmoothPath(cairo_t* cr, const std::vector<std::pair<double, double>>& pts, bool close) {
    size_t n = pts.size();
    if (n < 3) {
        PolyPath(cr, pts, close);
        return;
    }
    auto at = [&](long i) {
        if (close) return pts[size_t((i % long(n) + long(n)) % long(n))];
        return pts[size_t(std::clamp(i, 0L, long(n) - 1))];
    };
    cairo_move_to(cr, pts[0].first, pts[0].second);
    long segments = close ? long(n) : long(n) - 1;
    for (long i = 0; i < segments; ++i) {
        auto p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        cairo_curve_to(cr, p1.first + (p2.first - p0.first) / 6,
                       p1.second + (p2.second - p0.second) / 6,
                       p2.first - (p3.first - p1.first) / 6,
                       p2.second - (p3.second - p1.second) / 6, p2.first, p2.second);
    }
    if (close) cairo_close_path(cr);
}

void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

namespace {

const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

uint32_t NudgeOffKey(uint32_t rgb) {
    return rgb == 0xFF00FF ? 0xFE00FF : rgb;
}

// A premultiplied pixel made whole: over `under`, or divided by its coverage.
uint32_t Whole(uint32_t argb, std::optional<uint32_t> under) {
    uint32_t a = argb >> 24;
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        uint32_t c = (argb >> shift) & 255;
        uint32_t v;
        if (under)
            v = c + ((((*under >> shift) & 255) * (255 - a) + 127) / 255);
        else
            v = a ? (c * 255 + a / 2) / a : 0;
        out |= std::min<uint32_t>(v, 255) << shift;
    }
    return out;
}

} // namespace

std::vector<uint32_t> ResolveKeyed(const Canvas& c, std::optional<uint32_t> under, KeyMode mode) {
    cairo_surface_flush(c.surface());
    const unsigned char* data = cairo_image_surface_get_data(c.surface());
    int stride = cairo_image_surface_get_stride(c.surface());
    std::vector<uint32_t> out(size_t(c.width()) * c.height());
    for (int y = 0; y < c.height(); ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < c.width(); ++x) {
            uint32_t p = row[x];
            uint32_t a = p >> 24;
            bool covered = mode == KeyMode::Threshold
                               ? a >= 128
                               : a * 16 > uint32_t(kBayer[y & 3][x & 3]) * 255 + 127;
            out[size_t(y) * c.width() + x] = covered ? NudgeOffKey(Whole(p, under)) : 0xFF00FF;
        }
    }
    return out;
}

std::vector<uint32_t> ResolveOpaque(const Canvas& c, uint32_t under) {
    cairo_surface_flush(c.surface());
    const unsigned char* data = cairo_image_surface_get_data(c.surface());
    int stride = cairo_image_surface_get_stride(c.surface());
    std::vector<uint32_t> out(size_t(c.width()) * c.height());
    for (int y = 0; y < c.height(); ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < c.width(); ++x)
            out[size_t(y) * c.width() + x] = NudgeOffKey(Whole(row[x], under));
    }
    return out;
}

TPictureItemData KeyedEntry(const std::string& name, const Canvas& c, std::optional<uint32_t> under,
                            int patternWidth, int patternHeight, KeyMode mode) {
    TPictureItemData e;
    e.Name = name;
    e.Picture.Assign(c.width(), c.height(), ResolveKeyed(c, under, mode));
    e.PatternWidth = patternWidth;
    e.PatternHeight = patternHeight;
    e.Transparent = true;
    e.TransparentColor = kKeyColor;
    return e;
}

TPictureItemData OpaqueEntry(const std::string& name, const Canvas& c, int patternWidth,
                             int patternHeight) {
    TPictureItemData e;
    e.Name = name;
    e.Picture.Assign(c.width(), c.height(), ResolveOpaque(c));
    e.PatternWidth = patternWidth;
    e.PatternHeight = patternHeight;
    e.Transparent = false;
    e.TransparentColor = kKeyColor;
    return e;
}

TPictureItemData CropEntry(const std::string& name, const Canvas& c, int x, int y, int w, int h) {
    Canvas part(w, h);
    part.Blit(c, -x, -y);
    return OpaqueEntry(name, part);
}

void DrawStrip(Canvas& c, int frameWidth, int frameHeight, int count,
               const std::function<void(cairo_t*, int)>& drawFrame) {
    cairo_t* cr = c.cr();
    for (int i = 0; i < count; ++i) {
        cairo_save(cr);
        cairo_rectangle(cr, i * frameWidth, 0, frameWidth, frameHeight);
        cairo_clip(cr);
        cairo_translate(cr, i * frameWidth, 0);
        cairo_new_path(cr);
        drawFrame(cr, i);
        cairo_restore(cr);
    }
}

} // namespace assetgen

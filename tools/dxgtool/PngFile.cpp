// PngFile.cpp -- PNG reading and writing with cairo image surfaces.
#include "PngFile.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

[[noreturn]] void Fail(const char* what, const std::string& path, cairo_status_t status) {
    throw std::runtime_error(std::string(what) + " PNG \"" + path +
                             "\": " + cairo_status_to_string(status));
}

} // namespace

bool IsPng(const std::vector<uint8_t>& bytes) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::equal(kSignature, kSignature + 8, bytes.begin());
}

void WritePng(const std::string& path, int width, int height, const uint32_t* pixels) {
    // RGB24 is cairo's 0x00RRGGBB in native order: our pixels as they are, and an opaque PNG.
    Surface s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS)
        Fail("Cannot write", path, cairo_surface_status(s.get()));
    cairo_surface_flush(s.get());
    unsigned char* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < height; ++y)
        std::memcpy(data + size_t(y) * size_t(stride), pixels + size_t(y) * size_t(width),
                    size_t(width) * 4);
    cairo_surface_mark_dirty(s.get());
    cairo_status_t status = cairo_surface_write_to_png(s.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) Fail("Cannot write", path, status);
}

TPngImage ReadPng(const std::string& path) {
    Surface s(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS)
        Fail("Cannot read", path, cairo_surface_status(s.get()));
    cairo_format_t format = cairo_image_surface_get_format(s.get());
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32)
        throw std::runtime_error("PNG \"" + path + "\" is not an RGB picture");
    TPngImage image;
    image.Width = cairo_image_surface_get_width(s.get());
    image.Height = cairo_image_surface_get_height(s.get());
    image.Pixels.resize(size_t(image.Width) * size_t(image.Height));
    const unsigned char* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < image.Height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        uint32_t* dst = image.Pixels.data() + size_t(y) * size_t(image.Width);
        for (int x = 0; x < image.Width; ++x) {
            uint32_t p = row[x];
            uint32_t a = p >> 24;
            if (format == CAIRO_FORMAT_ARGB32 && a != 255 && a != 0) {
                // cairo premultiplies; pictures carry no alpha, so take the colour back out.
                auto un = [a](uint32_t c) {
                    return std::min<uint32_t>(255, (c * 255 + a / 2) / a);
                };
                p = un(p >> 16 & 255) << 16 | un(p >> 8 & 255) << 8 | un(p & 255);
            }
            dst[x] = p & 0xFFFFFF;
        }
    }
    return image;
}

// PngFile.cpp -- PNG reading and writing with libpng, for pictures of any size the reader
// accepts (cairo's surfaces stop at 32767 pixels a side).
#include "PngFile.h"

#include <png.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

struct ImageFree {
    png_image* image;
    ~ImageFree() { png_image_free(image); }
};

[[noreturn]] void Fail(const char* what, const std::string& path, const png_image& image) {
    throw std::runtime_error(std::string(what) + " PNG \"" + path + "\": " + image.message);
}

} // namespace

bool IsPng(const std::vector<uint8_t>& bytes) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::equal(kSignature, kSignature + 8, bytes.begin());
}

void WritePng(const std::string& path, int width, int height, const uint32_t* pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB; // pictures carry no alpha: an opaque PNG
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
        rgb[3 * i] = uint8_t(pixels[i] >> 16);
        rgb[3 * i + 1] = uint8_t(pixels[i] >> 8);
        rgb[3 * i + 2] = uint8_t(pixels[i]);
    }
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr))
        Fail("Cannot write", path, image);
}

TPngImage ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ImageFree release{&image};
    if (!png_image_begin_read_from_file(&image, path.c_str())) Fail("Cannot read", path, image);
    // Straight (not premultiplied) colour, whatever the file's depth; the alpha is dropped.
    image.format = PNG_FORMAT_BGRA;
    TPngImage out;
    out.Width = int(image.width);
    out.Height = int(image.height);
    out.Pixels.resize(size_t(image.width) * size_t(image.height));
    if (!png_image_finish_read(&image, nullptr, out.Pixels.data(), 0, nullptr))
        Fail("Cannot read", path, image);
    for (uint32_t& p : out.Pixels)
        p &= 0xFFFFFF; // BGRA bytes are 0xAARRGGBB little-endian
    return out;
}

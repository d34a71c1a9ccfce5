// Picture.cpp -- the in-memory decoded picture.
#include "graphics/Picture.h"

#include <stdexcept>

void TPicture::Assign(int width, int height, std::vector<uint32_t> pixels) {
    if (width <= 0 || height <= 0) {
        Clear();
        return;
    }
    // A caller's mistake that would otherwise lose the picture without a word.
    if (pixels.size() != size_t(width) * size_t(height))
        throw std::invalid_argument("pixels do not match the picture size");
    width_ = width;
    height_ = height;
    pixels_ = std::make_shared<const std::vector<uint32_t>>(std::move(pixels));
}

void TPicture::Clear() {
    width_ = height_ = 0;
    pixels_.reset();
}

// Picture.cpp -- the in-memory decoded picture.
#include "graphics/Picture.h"

void TPicture::Assign(int width, int height, std::vector<uint32_t> pixels) {
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) {
        Clear();
        return;
    }
    width_ = width;
    height_ = height;
    pixels_ = std::make_shared<const std::vector<uint32_t>>(std::move(pixels));
}

void TPicture::Clear() {
    width_ = height_ = 0;
    pixels_.reset();
}

// Picture.h -- TPicture: one decoded graphic kept in memory as 32-bit 0x00RRGGBB pixels, so
// display surfaces can be rebuilt from it at any time without reading the file again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TPicture {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    const uint32_t* Pixels() const { return pixels_.data(); } // rows top-down, Width() pixels each
    uint32_t Pixel(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

    void Assign(int width, int height, std::vector<uint32_t> pixels);
    void Clear();

private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

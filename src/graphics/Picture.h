// Picture.h -- TPicture: one decoded graphic kept in memory as 32-bit 0x00RRGGBB pixels, so
// display surfaces can be rebuilt from it at any time without reading the file again. The
// pixels never change once assigned, so a surface made of the whole picture shares them
// instead of holding a second copy.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TPicture {
  public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    // Rows top-down, Width() pixels each; null when empty.
    const uint32_t* Pixels() const { return pixels_ ? pixels_->data() : nullptr; }
    uint32_t Pixel(int x, int y) const { return (*pixels_)[size_t(y) * width_ + x]; }
    // The pixel buffer itself, for surfaces that share it.
    const std::shared_ptr<const std::vector<uint32_t>>& SharedPixels() const { return pixels_; }

    // Takes `pixels` as the picture; a size of 0 or less gives an empty one. Throws
    // std::invalid_argument when the pixel count does not match the size.
    void Assign(int width, int height, std::vector<uint32_t> pixels);
    void Clear();

  private:
    int width_ = 0, height_ = 0;
    std::shared_ptr<const std::vector<uint32_t>> pixels_;
};

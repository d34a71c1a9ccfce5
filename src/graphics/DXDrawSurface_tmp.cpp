// DXDrawSurface_tmp.cpp -- TEMPORARY stand-in for the surface members the image library and
// sprite tests use, until the display implementation lands; drop this file at merge.
#include <algorithm>
#include <cstring>

#include "graphics/DXDraw.h"
#include "graphics/Picture.h"

TColor ColorToRGB(TColor color) {
    // Stand-in: system colours resolve to a fixed grey.
    if ((color & 0xFF000000u) == 0xFF000000u) return 0xC0C0C0;
    return color;
}

TDirectDrawSurface::TDirectDrawSurface(TDXDraw* dxdraw) : dxdraw_(dxdraw) {}
TDirectDrawSurface::~TDirectDrawSurface() = default;

void TDirectDrawSurface::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        width_ = height_ = 0;
        pixels_.clear();
        return;
    }
    width_ = width;
    height_ = height;
    pixels_.assign(size_t(width) * size_t(height), 0);
}

void TDirectDrawSurface::Fill(uint32_t pixel) {
    std::fill(pixels_.begin(), pixels_.end(), pixel);
}

void TDirectDrawSurface::Draw(int x, int y, const TRect& srcRect, TDirectDrawSurface* source,
                              bool transparent) {
    if (!source || x > width_ || y > height_) return;
    TRect s = srcRect;
    TRect d = Bounds(x, y, s.Width(), s.Height());
    if (d.Left < 0) s.Left -= d.Left, d.Left = 0;
    if (d.Top < 0) s.Top -= d.Top, d.Top = 0;
    if (s.Left < 0) d.Left -= s.Left, s.Left = 0;
    if (s.Top < 0) d.Top -= s.Top, s.Top = 0;
    if (d.Right > width_) s.Right -= d.Right - width_, d.Right = width_;
    if (d.Bottom > height_) s.Bottom -= d.Bottom - height_, d.Bottom = height_;
    if (s.Right > source->width_) d.Right -= s.Right - source->width_, s.Right = source->width_;
    if (s.Bottom > source->height_)
        d.Bottom -= s.Bottom - source->height_, s.Bottom = source->height_;
    if (d.Width() <= 0 || d.Height() <= 0 || s.Width() <= 0 || s.Height() <= 0) return;
    int w = std::min(d.Width(), s.Width()), h = std::min(d.Height(), s.Height());
    for (int row = 0; row < h; ++row) {
        const uint32_t* from = &source->pixels_[size_t(s.Top + row) * source->width_ + s.Left];
        uint32_t* to = &pixels_[size_t(d.Top + row) * width_ + d.Left];
        if (!transparent) {
            std::memmove(to, from, size_t(w) * 4);
            continue;
        }
        for (int col = 0; col < w; ++col)
            if (from[col] != source->colorKey_) to[col] = from[col];
    }
}

void TDirectDrawSurface::LoadFromPicture(const TPicture& picture, const TRect& rect) {
    SetSize(rect.Width(), rect.Height());
    for (int row = 0; row < height_; ++row)
        for (int col = 0; col < width_; ++col) {
            int px = rect.Left + col, py = rect.Top + row;
            if (px >= 0 && py >= 0 && px < picture.Width() && py < picture.Height())
                pixels_[size_t(row) * width_ + col] = picture.Pixel(px, py);
        }
}

uint32_t TDirectDrawSurface::MatchColor(TColor color) const {
    color = ColorToRGB(color);
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

void TDirectDrawSurface::SetColorKey(uint32_t pixel) {
    colorKey_ = pixel;
}

bool TDirectDrawSurface::Lock(TDDSurfaceDesc& desc) {
    if (lockCount_ > 0 || !Exists()) return false;
    ++lockCount_;
    desc.Width = width_;
    desc.Height = height_;
    desc.Pitch = width_ * 4;
    desc.BitCount = 32;
    desc.Bits = pixels_.data();
    desc.ColorKey = colorKey_;
    return true;
}

void TDirectDrawSurface::Unlock() {
    if (lockCount_ > 0) --lockCount_;
}

// Link-only placeholders (weak, so the real definitions win once merged). They throw: nothing
// here may be relied on, tests must not reach them.
#include <stdexcept>

#include "graphics/DxgReader.h"

__attribute__((weak)) void TDXDraw::RegisterClient(void*, TDXDrawNotifyEvent) {
    throw std::logic_error("TEMP: display not linked yet");
}
__attribute__((weak)) void TDXDraw::UnregisterClient(void*) {
    throw std::logic_error("TEMP: display not linked yet");
}
__attribute__((weak)) TPictureCollectionData ReadPictureCollection(std::span<const uint8_t>) {
    throw std::logic_error("TEMP: reader not linked yet");
}
__attribute__((weak)) std::vector<uint8_t> ReadWholeFile(const std::string&) {
    throw std::logic_error("TEMP: reader not linked yet");
}

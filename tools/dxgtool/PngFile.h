// PngFile.h -- PNG files through libpng, as 0x00RRGGBB pixels with rows top-down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPngImage {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
};

// Whether the bytes start with the PNG signature.
bool IsPng(const std::vector<uint8_t>& bytes);

// Both throw std::runtime_error naming the file and libpng's reason.
void WritePng(const std::string& path, int width, int height, const uint32_t* pixels);
TPngImage ReadPng(const std::string& path);

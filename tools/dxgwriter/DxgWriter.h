// DxgWriter.h -- writing picture-collection (.dxg) and wave-collection (.dxw) files, for the
// asset generator and dxgtool (the game itself only reads them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dxg {

struct PictureEntry {
    std::string name;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, rows top-down, width pixels each
    int patternWidth = 0, patternHeight = 0, skipWidth = 0, skipHeight = 0;
    bool systemMemory = false;
    bool transparent = true;
    uint32_t transparentColor = 0; // TColor, 0x00BBGGRR
    int bitCount = 24;             // "TDIB" at 24 or 32 bits
};

std::vector<uint8_t> WritePictureCollection(const std::vector<PictureEntry>& entries);

struct WaveEntry {
    std::string name;
    bool looped = false;
    int maxPlayingCount = 0;
    int sampleRate = 22050;
    int channels = 1;
    int bitsPerSample = 16;
    std::vector<uint8_t> data; // PCM bytes
};

std::vector<uint8_t> WriteWaveCollection(const std::vector<WaveEntry>& entries);

// A RIFF WAVE file image of PCM data.
std::vector<uint8_t> WriteRiffWave(int sampleRate, int channels, int bitsPerSample,
                                   const std::vector<uint8_t>& data);

} // namespace dxg

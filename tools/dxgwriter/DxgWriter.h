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
    // When not empty: the "Picture.Data" bytes as they are (graphic class name as a short
    // string, then its data), written instead of a "TDIB" made from the pixels.
    std::vector<uint8_t> pictureData;
};

// Entries with no pixels (and no pictureData) are written without "Picture.Data".
// Throws std::invalid_argument for pixels that do not match the size or a bad bit count.
std::vector<uint8_t> WritePictureCollection(const std::vector<PictureEntry>& entries);
// The same with the collection's 1024-byte colour table (shorter tables are zero-filled).
std::vector<uint8_t> WritePictureCollection(const std::vector<PictureEntry>& entries,
                                            const std::vector<uint8_t>& colorTable);

struct WaveEntry {
    std::string name;
    bool looped = false;
    int maxPlayingCount = 0;
    int sampleRate = 22050;
    int channels = 1;
    int bitsPerSample = 16;
    std::vector<uint8_t> data; // PCM bytes
    // When not empty: the whole "fmt " chunk as it is, used instead of the PCM format made
    // from sampleRate, channels and bitsPerSample (keeps other formats intact).
    std::vector<uint8_t> format;
};

std::vector<uint8_t> WriteWaveCollection(const std::vector<WaveEntry>& entries);

// A RIFF WAVE file image of PCM data.
std::vector<uint8_t> WriteRiffWave(int sampleRate, int channels, int bitsPerSample,
                                   const std::vector<uint8_t>& data);
// A RIFF WAVE file image with the given "fmt " chunk bytes.
std::vector<uint8_t> WriteRiffWave(const std::vector<uint8_t>& format,
                                   const std::vector<uint8_t>& data);

// A packed DIB ("TDIB" data without the class name): BITMAPINFOHEADER, BI_RGB, bottom-up rows
// at 24 or 32 bits per pixel.
std::vector<uint8_t> WriteDib(int width, int height, const std::vector<uint32_t>& pixels,
                              int bitCount);

} // namespace dxg

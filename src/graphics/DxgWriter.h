// DxgWriter.h -- writing picture-collection (.dxg) and wave-collection (.dxw) files from the
// same entries the reader gives, for the asset generator and dxgtool (the game only reads).
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/DxgReader.h"

// Each picture entry is written with its properties and, for its "Picture.Data", the stored
// bytes it kept (PictureData) or else a "TDIB" of its picture at BitCount bits; an entry with
// neither is written without "Picture.Data". Throws std::invalid_argument for a bit count
// other than 24 or 32, or a name longer than 255 bytes.
std::vector<uint8_t> WritePictureCollection(const TPictureCollectionData& data);
// The same with a colour table of zeros.
std::vector<uint8_t> WritePictureCollection(const std::vector<TPictureItemData>& items);

std::vector<uint8_t> WriteWaveCollection(const std::vector<TWaveItemData>& items);

// A RIFF WAVE file image of the wave's format block and data.
std::vector<uint8_t> WriteRiffWave(const TWave& wave);
// A wave of plain PCM samples: the format block is made from the layout.
// Throws std::invalid_argument for a rate, channel count or sample size that is not positive.
TWave PcmWave(int sampleRate, int channels, int bitsPerSample, std::vector<uint8_t> data);

// A packed DIB ("TDIB" data without the class name): BITMAPINFOHEADER, BI_RGB, bottom-up rows
// at 24 or 32 bits per pixel. Throws std::invalid_argument for an empty picture.
std::vector<uint8_t> WriteDib(const TPicture& picture, int bitCount);

// WaveFormat.h -- which waves the mixer can play and what converting them to the device costs.
// Shared with dxgtool, so that it packs no wave the game would refuse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TWave;

// The rate the game asks of the sound device; the tool checks waves against it.
constexpr int kDeviceFrequency = 44100;

// Converting may grow a wave's sample bytes at most this many times. A wave with a very low
// rate (1 Hz would ask for gigabytes) is refused instead; 8-bit mono still converts from about
// 1.4 kHz up, 16-bit mono from about 700 Hz.
constexpr size_t kMaxConversionGrowth = 128;

// Every wave of a file is converted when the sound starts, so the converted samples of one
// file together may take kConversionBudgetPerByte bytes for every byte of the file, and never
// less than kConversionBudgetFloor: a large file of low-rate waves, each within the growth
// above, cannot take gigabytes. 8-bit mono at 11 kHz grows 16 times, at 8 kHz 22 times.
constexpr uint64_t kConversionBudgetPerByte = 32;
constexpr uint64_t kConversionBudgetFloor = uint64_t(16) << 20;
uint64_t ConversionBudget(size_t fileBytes);

// Whether a wave of `bytes` sample bytes in this layout converts within kMaxConversionGrowth.
bool ConversionBounded(size_t bytes, int channels, int bitsPerSample, int rate, int deviceRate);
// The bytes the converted samples of the wave take (stereo 16-bit at deviceRate); 0 when it
// cannot be converted.
uint64_t ConvertedBytes(const TWave& wave, int deviceRate);
// Why the mixer cannot play the wave at deviceRate ("" when it can): not plain PCM, a sample
// size or channel count it does not take, no rate, or a rate too low to convert within bounds.
std::string WaveRefusal(const TWave& wave, int deviceRate);

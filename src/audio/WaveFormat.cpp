// WaveFormat.cpp -- the mixer's acceptance rules for waves and the cost of converting them.
#include "audio/WaveFormat.h"

#include <algorithm>

#include "graphics/DxgReader.h"

namespace {
bool PlainLayout(int channels, int bitsPerSample, int rate, int deviceRate) {
    return (bitsPerSample == 8 || bitsPerSample == 16) && channels >= 1 && channels <= 2 &&
           rate > 0 && deviceRate > 0;
}

uint64_t OutBytes(size_t bytes, int channels, int bitsPerSample, int rate, int deviceRate) {
    const size_t frameBytes = size_t(channels) * size_t(bitsPerSample / 8);
    // Wave data is at most 4 GiB and device rates are far below 2^20: no product can wrap.
    return uint64_t(bytes / frameBytes) * uint64_t(deviceRate) / uint64_t(rate) * 4;
}
} // namespace

uint64_t ConversionBudget(size_t fileBytes) {
    return std::max(kConversionBudgetFloor, kConversionBudgetPerByte * uint64_t(fileBytes));
}

bool ConversionBounded(size_t bytes, int channels, int bitsPerSample, int rate, int deviceRate) {
    if (!PlainLayout(channels, bitsPerSample, rate, deviceRate)) return false;
    return OutBytes(bytes, channels, bitsPerSample, rate, deviceRate) <=
           uint64_t(bytes) * kMaxConversionGrowth;
}

uint64_t ConvertedBytes(const TWave& wave, int deviceRate) {
    if (!WaveRefusal(wave, deviceRate).empty()) return 0;
    return OutBytes(wave.Data.size(), wave.Channels(), wave.BitsPerSample(),
                    int(wave.SamplesPerSec()), deviceRate);
}

std::string WaveRefusal(const TWave& wave, int deviceRate) {
    const int bits = wave.BitsPerSample(), channels = wave.Channels();
    const uint32_t rate = wave.SamplesPerSec();
    if (wave.FormatTag() != 1)
        return "format " + std::to_string(wave.FormatTag()) + " is not plain PCM (1)";
    if (bits != 8 && bits != 16)
        return std::to_string(bits) + " bits per sample: only 8 or 16 are played";
    if (channels < 1 || channels > 2)
        return std::to_string(channels) + " channels: only 1 or 2 are played";
    if (rate == 0 || rate > uint32_t(INT32_MAX)) return "no sample rate";
    if (!ConversionBounded(wave.Data.size(), channels, bits, int(rate), deviceRate))
        return "a rate of " + std::to_string(rate) + " Hz grows more than " +
               std::to_string(kMaxConversionGrowth) + " times at " + std::to_string(deviceRate) +
               " Hz";
    return "";
}

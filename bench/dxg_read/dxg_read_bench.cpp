// dxg_read_bench.cpp -- how long ReadPictureCollection takes on a 5 MB picture file (24- and
// 32-bit DIBs, as the asset generator writes them), and on a 5 MB wave file; and what a small
// hostile file of run-length pictures costs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include <sys/resource.h>

#include "graphics/DxgReader.h"
#include "graphics/DxgWriter.h"

namespace {

template <class F> double BestMs(int runs, F f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

long PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Sixteen 4096 x 8192 RLE8 pictures of 32 KiB each (all but an end-of-bitmap is padding): each
// within the per-picture caps, about 544 KB in all.
std::vector<uint8_t> HostileRunLengthFile() {
    std::vector<TPictureItemData> entries(16);
    for (size_t i = 0; i < entries.size(); ++i) {
        std::vector<uint8_t> data = {4, 'T', 'D', 'I', 'B'};
        auto u32 = [&](uint32_t v) {
            for (int b = 0; b < 4; ++b)
                data.push_back(uint8_t(v >> (8 * b)));
        };
        for (uint32_t v : {40u, 4096u, 8192u, 1u | 8u << 16, 1u, 0u, 0u, 0u, 0u, 0u})
            u32(v);
        data.resize(data.size() + 256 * 4, 0);
        data.push_back(0);
        data.push_back(1);
        data.resize(data.size() + 32 * 1024 - 2, 0);
        entries[i].Name = "rle" + std::to_string(i);
        entries[i].PictureData = std::move(data);
    }
    return WritePictureCollection(entries);
}

} // namespace

int main() {
    {
        // First, while the process is still small, so the peak shows this file alone.
        auto hostile = HostileRunLengthFile();
        long before = PeakRssMb();
        auto t0 = std::chrono::steady_clock::now();
        std::string outcome;
        try {
            outcome = std::to_string(ReadPictureCollection(hostile).Items.size()) + " entries read";
        } catch (const std::exception& e) {
            outcome = std::string("refused: ") + e.what();
        }
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                        .count();
        std::printf(
            "hostile run-length file %.0f KB: %s in %.1f ms, peak memory %ld MB -> %ld MB\n",
            hostile.size() / 1e3, outcome.c_str(), ms, before, PeakRssMb());
    }
    // 12 entries of 400 x 350: about 5 MB at 24 bits, a quarter of them at 32 bits.
    std::vector<TPictureItemData> entries;
    for (int i = 0; i < 12; ++i) {
        TPictureItemData e;
        e.Name = "picture" + std::to_string(i);
        e.BitCount = i % 4 == 0 ? 32 : 24;
        e.PatternWidth = 50;
        std::vector<uint32_t> pixels(size_t(400) * 350);
        for (size_t p = 0; p < pixels.size(); ++p)
            pixels[p] = uint32_t(p * 2654435761u) >> 8;
        e.Picture.Assign(400, 350, std::move(pixels));
        entries.push_back(std::move(e));
    }
    auto pictures = WritePictureCollection(entries);
    size_t pixels = 0;
    double pictureMs = BestMs(20, [&] {
        auto data = ReadPictureCollection(pictures);
        pixels = 0;
        for (const auto& item : data.Items)
            pixels += size_t(item.Picture.Width()) * item.Picture.Height();
    });
    std::printf("picture file %.2f MB, %zu pixels: best of 20 loads %.2f ms (%.0f MB/s)\n",
                pictures.size() / 1e6, pixels, pictureMs, pictures.size() / 1e3 / pictureMs);

    std::vector<TWaveItemData> waves(10);
    for (size_t i = 0; i < waves.size(); ++i) {
        waves[i].Name = "wave" + std::to_string(i);
        waves[i].Wave = PcmWave(22050, 1, 16, std::vector<uint8_t>(500000, uint8_t(i)));
    }
    auto waveFile = WriteWaveCollection(waves);
    double waveMs = BestMs(20, [&] { ReadWaveCollection(waveFile); });
    std::printf("wave file %.2f MB: best of 20 loads %.2f ms\n", waveFile.size() / 1e6, waveMs);
    return 0;
}

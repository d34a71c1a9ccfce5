// dxg_read_bench.cpp -- how long ReadPictureCollection takes on a 5 MB picture file (24- and
// 32-bit DIBs, as the asset generator writes them), and on a 5 MB wave file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

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

} // namespace

int main() {
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

// main.cpp -- image library benchmark: loads a ~5 MB picture collection with LoadFromStream
// while the display is up (so every entry is attached and cut into surfaces) and prints the
// median time of several runs. Target: under 50 ms.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"
#include "graphics/DxgReader.h"
#include "graphics/DxgWriter.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// A picture with some structure and a transparent border, like the game's sprites.
TPictureItemData Entry(const std::string& name, int w, int h, int pw, int ph) {
    TPictureItemData e;
    e.Name = name;
    e.PatternWidth = pw;
    e.PatternHeight = ph;
    e.TransparentColor = 0xFF00FF;
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool border = pw > 0 && (x % pw < 4 || y % ph < 4);
            pixels[size_t(y) * w + x] =
                border ? 0xFF00FFu
                       : (uint32_t((x * 7 + y * 13) & 0xFF) << 8) | (uint32_t(x ^ y) & 0xFF);
        }
    e.Picture.Assign(w, h, std::move(pixels));
    return e;
}

std::vector<TPictureItemData> GameLikeCollection() {
    std::vector<TPictureItemData> entries;
    entries.push_back(Entry("day", 800, 600, 0, 0));
    entries.push_back(Entry("night", 800, 600, 0, 0));
    for (int i = 0; i < 12; ++i)
        entries.push_back(Entry("strip" + std::to_string(i), 768, 64, 64, 64));
    for (int i = 0; i < 20; ++i)
        entries.push_back(Entry("icon" + std::to_string(i), 64, 64, 0, 0));
    return entries;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    const std::vector<uint8_t> bytes = WritePictureCollection(GameLikeCollection());

    platform::HeadlessPlatform headless;
    platform::SetCurrent(&headless);
    TDXDraw display;
    display.Initialize();
    TDXImageList list;
    list.SetDXDraw(&display);

    using Clock = std::chrono::steady_clock;
    const int runs = 11;
    std::vector<double> load, read;
    int frames = 0;
    for (int run = 0; run < runs; ++run) {
        auto t0 = Clock::now();
        TPictureCollectionData data = ReadPictureCollection(bytes);
        auto t1 = Clock::now();
        list.Items.LoadFromStream(bytes);
        auto t2 = Clock::now();
        read.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        load.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        frames = 0;
        for (int i = 0; i < list.Items.Count(); ++i)
            frames += list.Items.Items(i).PatternCount();
    }
    std::printf("image library: %.2f MB collection, %d entries, %d frames\n",
                double(bytes.size()) / (1024.0 * 1024.0), list.Items.Count(), frames);
    std::printf("  read only (ReadPictureCollection): median %.2f ms\n", Median(read));
    std::printf("  LoadFromStream with display up:    median %.2f ms over %d runs (target < 50)\n",
                Median(load), runs);
    list.SetDXDraw(nullptr);
    platform::SetCurrent(nullptr);
    return 0;
}

// ImageTestSupport.h -- building picture entries in memory for image library and sprite tests,
// with a stand-in for the display being up.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/DXImageList.h"

// Readable rectangles in test failures.
inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

namespace imagetest {

// A collection whose display is "up" without a display: surfaces are made without a device.
struct TestCollection : TPictureCollection {
    bool up = true;
    bool DisplayInitialized() const override { return up; }
};

// Every pixel tells where it came from (bit 23 set, so never the default key 0).
inline uint32_t Marker(int x, int y) {
    return 0x800000u | uint32_t(x) << 11 | uint32_t(y);
}

inline TPicture MakePicture(int w, int h, const std::function<uint32_t(int, int)>& pixel = Marker) {
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[size_t(y) * w + x] = pixel(x, y);
    TPicture picture;
    picture.Assign(w, h, std::move(pixels));
    return picture;
}

struct ItemSpec {
    std::string name;
    int width = 0, height = 0;
    int patternWidth = 0, patternHeight = 0, skipWidth = 0, skipHeight = 0;
    bool systemMemory = false;
};

inline TPictureCollectionItem& AddItem(TPictureCollection& collection, const ItemSpec& spec) {
    TPictureCollectionItem& item = collection.Add();
    item.SetName(spec.name);
    item.Picture = MakePicture(spec.width, spec.height);
    item.PatternWidth = spec.patternWidth;
    item.PatternHeight = spec.patternHeight;
    item.SkipWidth = spec.skipWidth;
    item.SkipHeight = spec.skipHeight;
    item.SystemMemory = spec.systemMemory;
    return item;
}

// Attaches the collection to its stand-in display and builds every entry.
inline void BuildAll(TPictureCollection& collection) {
    collection.AttachDisplay(nullptr);
    collection.RebuildSurfaces();
}

} // namespace imagetest

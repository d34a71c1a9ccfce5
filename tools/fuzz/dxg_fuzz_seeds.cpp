// dxg_fuzz_seeds.cpp -- writes the fuzzer's seed corpus into a directory: small valid picture
// and wave collections made by the writer, one collection per stored graphic variant, and the
// bare graphic and RIFF bytes.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/DxgWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

void U8(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
}
void U16(Bytes& b, uint32_t v) {
    U8(b, v), U8(b, v >> 8);
}
void U32(Bytes& b, uint32_t v) {
    U16(b, v), U16(b, v >> 16);
}

// A 4 x 2 DIB with an info header: `rows` holds the pixel bytes exactly as stored.
Bytes InfoDib(int bits, uint32_t compression, int height, const Bytes& extra, const Bytes& rows) {
    Bytes d;
    U32(d, 40), U32(d, 4), U32(d, uint32_t(height)), U16(d, 1), U16(d, uint32_t(bits));
    U32(d, compression), U32(d, uint32_t(rows.size())), U32(d, 0), U32(d, 0), U32(d, 0), U32(d, 0);
    d.insert(d.end(), extra.begin(), extra.end());
    d.insert(d.end(), rows.begin(), rows.end());
    return d;
}

Bytes Palette(int entries, int entrySize) {
    Bytes p;
    for (int i = 0; i < entries; ++i) {
        U8(p, i * 37), U8(p, i * 91), U8(p, 255 - i);
        if (entrySize == 4) U8(p, 0);
    }
    return p;
}

Bytes Graphic(const std::string& className, const Bytes& data) {
    Bytes g;
    U8(g, uint32_t(className.size()));
    g.insert(g.end(), className.begin(), className.end());
    g.insert(g.end(), data.begin(), data.end());
    return g;
}

void Save(const std::string& dir, const std::string& name, const Bytes& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dxg_fuzz_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];

    TPictureItemData a;
    a.Name = "hero";
    a.Picture.Assign(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080});
    a.PatternWidth = 1;
    a.TransparentColor = 0xFF00FF;
    TPictureItemData b = a;
    b.Name = "strip";
    b.BitCount = 32;
    b.SkipWidth = 1;
    b.SystemMemory = true;
    b.Transparent = false;
    TPictureItemData empty;
    empty.Name = "empty";
    Save(dir, "pictures.dxg", WritePictureCollection({a, b, empty}));

    TWaveItemData w;
    w.Name = "bonus";
    w.MaxPlayingCount = 2;
    w.Wave = PcmWave(22050, 1, 16, {0, 1, 2, 3, 4, 5, 6});
    TWaveItemData loop = w;
    loop.Name = "loop";
    loop.Looped = true;
    loop.Wave = PcmWave(22050, 2, 8, w.Wave.Data);
    Save(dir, "waves.dxw", WriteWaveCollection({w, loop}));
    Save(dir, "wave.riff", WriteRiffWave(w.Wave));

    // Stored graphic variants, each 4 x 2.
    Bytes masks555, masks565, masks888;
    for (uint32_t m : {0x7C00u, 0x03E0u, 0x001Fu})
        U32(masks555, m);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        U32(masks565, m);
    for (uint32_t m : {0xFF0000u, 0x00FF00u, 0x0000FFu})
        U32(masks888, m);
    Bytes pal2 = Palette(2, 4), pal16 = Palette(16, 4), pal256 = Palette(256, 4);
    Bytes mask16 = masks565;
    struct Variant {
        const char* Name;
        Bytes Data;
    };
    std::vector<Variant> variants = {
        {"dib1", InfoDib(1, 0, 2, pal2, {0xA0, 0, 0, 0, 0x50, 0, 0, 0})},
        {"dib4", InfoDib(4, 0, 2, pal16, {0x01, 0x23, 0, 0, 0x45, 0x67, 0, 0})},
        {"dib8", InfoDib(8, 0, -2, pal256, {1, 2, 3, 4, 5, 6, 7, 8})},
        {"dib16", InfoDib(16, 0, 2, {}, Bytes(16, 0x5A))},
        {"dib16-565", InfoDib(16, 3, 2, masks565, Bytes(16, 0xA5))},
        {"dib24", InfoDib(24, 0, 2, {}, Bytes(24, 0x33))},
        {"dib32-fields", InfoDib(32, 3, -2, masks888, Bytes(32, 0x44))},
        {"rle8", InfoDib(8, 1, 2, pal256, {4, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 0, 1, 9, 0, 1})},
        {"rle4", InfoDib(4, 2, 2, pal16, {4, 0x12, 0, 0, 0, 3, 0x12, 0x30, 0, 2, 1, 1, 0, 1})},
    };
    Bytes core;
    U32(core, 12), U16(core, 4), U16(core, 2), U16(core, 1), U16(core, 8);
    Bytes corePal = Palette(256, 3);
    core.insert(core.end(), corePal.begin(), corePal.end());
    for (int i = 0; i < 8; ++i)
        U8(core, i);
    variants.push_back({"core8", core});

    std::vector<Bytes> graphics;
    for (const auto& v : variants)
        graphics.push_back(Graphic("TDIB", v.Data));
    // A BMP file around the 24-bit DIB.
    Bytes bmp = {'B', 'M'};
    U32(bmp, 14 + 40 + 24), U32(bmp, 0), U32(bmp, 14 + 40);
    bmp.insert(bmp.end(), variants[5].Data.begin(), variants[5].Data.end());
    Bytes bitmap;
    U32(bitmap, uint32_t(bmp.size()));
    bitmap.insert(bitmap.end(), bmp.begin(), bmp.end());
    graphics.push_back(Graphic("TBitmap", bitmap));
    // An icon: the 4-bit DIB with a doubled height and its AND mask.
    Bytes iconImage = variants[1].Data;
    iconImage[8] = 4;
    for (int i = 0; i < 8; ++i)
        U8(iconImage, 0);
    Bytes ico;
    U16(ico, 0), U16(ico, 1), U16(ico, 1);
    U8(ico, 4), U8(ico, 2), U8(ico, 16), U8(ico, 0), U16(ico, 1), U16(ico, 4);
    U32(ico, uint32_t(iconImage.size())), U32(ico, 22);
    ico.insert(ico.end(), iconImage.begin(), iconImage.end());
    graphics.push_back(Graphic("TIcon", ico));
    Bytes meta;
    U32(meta, 8), U32(meta, 0x12345678);
    graphics.push_back(Graphic("TMetafile", meta));

    for (size_t i = 0; i < graphics.size(); ++i) {
        TPictureItemData e;
        e.Name = "v" + std::to_string(i);
        e.PictureData = graphics[i];
        Save(dir, "graphic" + std::to_string(i) + ".dxg", WritePictureCollection({e}));
        Save(dir, "graphic" + std::to_string(i) + ".bin", graphics[i]);
    }
    std::printf("seeds written to %s\n", dir.c_str());
    return 0;
}

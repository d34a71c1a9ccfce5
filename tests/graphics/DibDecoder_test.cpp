// DibDecoder_test.cpp -- one small picture stored in every DIB variant decodes to the same
// pixels; BMP and icon wrappers; limits and errors.
#include <gtest/gtest.h>

#include <array>

#include "StreamBytes.h"
#include "graphics/DibDecoder.h"
#include "graphics/DxgReader.h"

namespace {

// A paletted reference picture; the expected decode is the palette looked up per pixel.
struct Image {
    int W = 0, H = 0;
    std::vector<uint8_t> Idx; // rows top-down
    std::vector<uint32_t> Pal;
    uint32_t Color(int x, int y) const { return Pal[Idx[size_t(y) * W + x]]; }
};

// Colours whose channels are 0 or 255 survive 5-5-5 and 5-6-5 unchanged.
const std::vector<uint32_t> kPalette = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                        0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};

Image Reference() {
    return {5, 3, {0, 1, 2, 3, 4, /**/ 5, 6, 7, 7, 1, /**/ 2, 2, 2, 0, 6}, kPalette};
}

Image TwoColour() {
    Image img = Reference();
    for (auto& i : img.Idx)
        i &= 1;
    img.Pal.resize(2);
    return img;
}

struct DibSpec {
    int Header = 40;
    int Bits = 24;
    uint32_t Compression = 0;
    bool TopDown = false;
    std::array<uint32_t, 3> Masks{}; // written when Compression is 3; picks 5-6-5 at 16 bits
    uint32_t ClrUsed = 0;
};

void RleRows(Bytes& d, const Image& img, bool four) {
    for (int row = 0; row < img.H; ++row) {
        const uint8_t* p = &img.Idx[size_t(img.H - 1 - row) * img.W];
        // Three pixels in absolute mode, the rest as runs of equal pixels.
        d.U8(0).U8(3);
        if (four)
            d.U8(p[0] << 4 | p[1]).U8(p[2] << 4);
        else
            d.U8(p[0]).U8(p[1]).U8(p[2]).U8(0);
        for (int x = 3; x < img.W;) {
            int n = 1;
            while (x + n < img.W && p[x + n] == p[x])
                ++n;
            d.U8(n).U8(four ? p[x] << 4 | p[x] : p[x]);
            x += n;
        }
        d.U8(0).U8(row + 1 == img.H ? 1 : 0);
    }
}

Bytes MakeDib(const Image& img, const DibSpec& s) {
    Bytes d;
    if (s.Header == 40) {
        d.U32(40).U32(img.W).U32(s.TopDown ? uint32_t(-img.H) : img.H).U16(1).U16(s.Bits);
        d.U32(s.Compression).U32(0).U32(0).U32(0).U32(s.ClrUsed).U32(0);
    } else {
        d.U32(12).U16(img.W).U16(img.H).U16(1).U16(s.Bits);
    }
    if (s.Compression == 3) d.U32(s.Masks[0]).U32(s.Masks[1]).U32(s.Masks[2]);
    if (s.Bits <= 8) {
        uint32_t n = s.ClrUsed ? s.ClrUsed : 1u << s.Bits;
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t c = i < img.Pal.size() ? img.Pal[i] : 0x123456;
            d.U8(c).U8(c >> 8).U8(c >> 16);
            if (s.Header == 40) d.U8(0);
        }
    }
    if (s.Compression == 1 || s.Compression == 2) {
        RleRows(d, img, s.Compression == 2);
        return d;
    }
    bool is565 = s.Masks[1] == 0x07E0;
    for (int row = 0; row < img.H; ++row) {
        int y = s.TopDown ? row : img.H - 1 - row;
        Bytes line;
        uint32_t acc = 0;
        int accBits = 0;
        for (int x = 0; x < img.W; ++x) {
            uint8_t i = img.Idx[size_t(y) * img.W + x];
            uint32_t c = img.Pal[i];
            uint32_t r = c >> 16 & 255, g = c >> 8 & 255, b = c & 255;
            switch (s.Bits) {
            case 1:
            case 4:
                acc = acc << s.Bits | i;
                accBits += s.Bits;
                if (accBits == 8) line.U8(acc), acc = 0, accBits = 0;
                break;
            case 8:
                line.U8(i);
                break;
            case 16:
                line.U16(is565 ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3
                               : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
                break;
            case 24:
                line.U8(b).U8(g).U8(r);
                break;
            case 32:
                line.U8(b).U8(g).U8(r).U8(0x77); // the fourth byte means nothing
                break;
            }
        }
        if (accBits) line.U8(acc << (8 - accBits));
        while (line.size() % 4)
            line.U8(0xEE);
        d.Add(line);
    }
    return d;
}

void ExpectPicture(const TPicture& p, const Image& img) {
    ASSERT_EQ(p.Width(), img.W);
    ASSERT_EQ(p.Height(), img.H);
    for (int y = 0; y < img.H; ++y)
        for (int x = 0; x < img.W; ++x)
            EXPECT_EQ(p.Pixel(x, y), img.Color(x, y)) << "at " << x << "," << y;
}

template <class F> std::string GraphicError(F f) {
    try {
        f();
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(DibDecoder, EveryVariantDecodesTheSamePicture) {
    const std::array<uint32_t, 3> m555 = {0x7C00, 0x03E0, 0x001F};
    const std::array<uint32_t, 3> m565 = {0xF800, 0x07E0, 0x001F};
    const std::array<uint32_t, 3> m888 = {0xFF0000, 0x00FF00, 0x0000FF};
    struct Case {
        const char* Name;
        Image Img;
        DibSpec Spec;
    };
    const std::vector<Case> cases = {
        {"1 bit", TwoColour(), {.Bits = 1}},
        {"4 bits", Reference(), {.Bits = 4}},
        {"8 bits", Reference(), {.Bits = 8}},
        {"8 bits, short colour table", Reference(), {.Bits = 8, .ClrUsed = 8}},
        {"8 bits, top-down", Reference(), {.Bits = 8, .TopDown = true}},
        {"16 bits 5-5-5", Reference(), {.Bits = 16}},
        {"16 bits 5-5-5 bit fields", Reference(), {.Bits = 16, .Compression = 3, .Masks = m555}},
        {"16 bits 5-6-5 bit fields", Reference(), {.Bits = 16, .Compression = 3, .Masks = m565}},
        {"24 bits", Reference(), {.Bits = 24}},
        {"24 bits, top-down", Reference(), {.Bits = 24, .TopDown = true}},
        {"24 bits, bit fields", Reference(), {.Bits = 24, .Compression = 3, .Masks = m888}},
        {"32 bits", Reference(), {.Bits = 32}},
        {"32 bits, bit fields, top-down",
         Reference(),
         {.Bits = 32, .Compression = 3, .TopDown = true, .Masks = m888}},
        {"RLE8", Reference(), {.Bits = 8, .Compression = 1}},
        {"RLE4", Reference(), {.Bits = 4, .Compression = 2}},
        {"core header 1 bit", TwoColour(), {.Header = 12, .Bits = 1}},
        {"core header 4 bits", Reference(), {.Header = 12, .Bits = 4}},
        {"core header 8 bits", Reference(), {.Header = 12, .Bits = 8}},
        {"core header 24 bits", Reference(), {.Header = 12, .Bits = 24}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Bytes dib = MakeDib(c.Img, c.Spec);
        ExpectPicture(DecodeDib(dib), c.Img);
        // The same through the picture property's class name.
        ExpectPicture(DecodePictureData(GraphicData("TDIB", dib)), c.Img);
    }
}

TEST(DibDecoder, RunLengthDeltaAndClipping) {
    // 4 x 3 RLE8: a run longer than the row is clipped; a delta skips pixels, which keep
    // colour 0.
    Bytes d;
    d.U32(40).U32(4).U32(3).U16(1).U16(8).U32(1).U32(0).U32(0).U32(0).U32(3).U32(0);
    for (uint32_t c : {0x101010u, 0x202020u, 0x303030u})
        d.U8(c).U8(c >> 8).U8(c >> 16).U8(0);
    d.U8(10).U8(1).U8(0).U8(0); // bottom row: colour 1, clipped at 4
    d.U8(0).U8(2).U8(2).U8(1);  // delta: 2 right, 1 up -> (2, row 2)
    d.U8(1).U8(2).U8(0).U8(1);  // one pixel of colour 2, end of bitmap
    TPicture p = DecodeDib(d);
    ASSERT_EQ(p.Width(), 4);
    const uint32_t expected[3][4] = {{0x101010, 0x101010, 0x303030, 0x101010},
                                     {0x101010, 0x101010, 0x101010, 0x101010},
                                     {0x202020, 0x202020, 0x202020, 0x202020}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(p.Pixel(x, y), expected[y][x]) << x << "," << y;
}

TEST(DibDecoder, BitmapAndIconWrappers) {
    Image img = Reference();
    Bytes dib = MakeDib(img, {.Bits = 8});
    // A BMP file whose rows start 4 bytes after the colour table, as bfOffBits says.
    Bytes bmp;
    size_t table = 40 + 256 * 4;
    bmp.Raw("BM").U32(0).U32(0).U32(uint32_t(14 + table + 4));
    bmp.insert(bmp.end(), dib.begin(), dib.begin() + table);
    bmp.U32(0xDEADBEEF);
    bmp.insert(bmp.end(), dib.begin() + table, dib.end());
    Bytes bitmapData;
    bitmapData.U32(uint32_t(bmp.size())).Add(bmp);
    ExpectPicture(DecodePictureData(GraphicData("TBitmap", bitmapData)), img);

    // An icon with a 2 x 2 image and the 5 x 3 one: the larger is taken, its AND mask ignored.
    Image small{2, 2, {1, 1, 1, 1}, kPalette};
    auto iconImage = [](const Image& i) {
        Bytes d = MakeDib(i, {.Bits = 24});
        d[8] = uint8_t(i.H * 2); // the header counts the colour rows and the mask rows
        for (int y = 0; y < i.H; ++y)
            d.U32(0);
        return d;
    };
    Bytes a = iconImage(small), b = iconImage(img);
    Bytes ico;
    ico.U16(0).U16(1).U16(2);
    ico.U8(2).U8(2).U8(0).U8(0).U16(1).U16(24).U32(uint32_t(a.size())).U32(6 + 32);
    ico.U8(5)
        .U8(3)
        .U8(0)
        .U8(0)
        .U16(1)
        .U16(24)
        .U32(uint32_t(b.size()))
        .U32(uint32_t(6 + 32 + a.size()));
    ico.Add(a).Add(b);
    ExpectPicture(DecodePictureData(GraphicData("TIcon", ico)), img);
}

// What image editors write today: a BMP file with a V4 or V5 info header, the bit-field masks
// (and an alpha mask) inside the header instead of after it.
TEST(DibDecoder, BitmapsWithLaterInfoHeadersDecode) {
    const std::array<uint32_t, 3> m565 = {0xF800, 0x07E0, 0x001F};
    const std::array<uint32_t, 3> m888 = {0xFF0000, 0x00FF00, 0x0000FF};
    struct Case {
        uint32_t Header;
        DibSpec Spec;
    };
    const std::vector<Case> cases = {
        {108, {.Bits = 24}},
        {124, {.Bits = 32, .Compression = 3, .Masks = m888}},
        {124, {.Bits = 32, .Compression = 3, .TopDown = true, .Masks = m888}},
        {124, {.Bits = 16, .Compression = 3, .Masks = m565}},
        {108, {.Bits = 8}},
        {56, {.Bits = 16, .Compression = 3, .Masks = m565}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Header) + "-byte header, " + std::to_string(c.Spec.Bits) +
                     " bits, compression " + std::to_string(c.Spec.Compression));
        Image img = Reference();
        Bytes classic = MakeDib(img, c.Spec);
        // The later header: the classic 40 bytes with the new size, the masks at 40 (taken
        // from after the classic header), an alpha mask, then colour-space fields left zero.
        Bytes header(classic.begin(), classic.begin() + 40);
        header[0] = uint8_t(c.Header);
        auto rest = classic.begin() + 40;
        if (c.Spec.Compression == 3) {
            header.insert(header.end(), rest, rest + 12);
            rest += 12;
        } else {
            header.U32(0xFF0000).U32(0x00FF00).U32(0x0000FF); // ignored without bit fields
        }
        header.U32(0xFF000000);
        header.resize(c.Header, 0);
        Bytes bmp;
        const size_t tableBytes = c.Spec.Bits <= 8 ? (size_t(1) << c.Spec.Bits) * 4 : 0;
        bmp.Raw("BM").U32(0).U32(0).U32(uint32_t(14 + c.Header + tableBytes));
        bmp.Add(header);
        bmp.insert(bmp.end(), rest, classic.end());
        bmp.Raw("profile data after the pixels");
        Bytes bitmapData;
        bitmapData.U32(uint32_t(bmp.size())).Add(bmp);
        ExpectPicture(DecodePictureData(GraphicData("TBitmap", bitmapData)), img);
        // A packed "TDIB" keeps to the classic headers.
        Bytes packed(bmp.begin() + 14, bmp.end());
        EXPECT_EQ(GraphicError([&] { DecodePictureData(GraphicData("TDIB", packed)); }),
                  "DIB is invalid");
    }
}

TEST(DibDecoder, ClassesWithoutPixelsGiveAnEmptyPicture) {
    EXPECT_TRUE(DecodePictureData(GraphicData("TMetafile", Bytes{}.U32(4))).Empty());
    EXPECT_TRUE(DecodePictureData(GraphicData("TMetafile", Bytes{}.U32(9).Raw("EMF!!"))).Empty());
    EXPECT_TRUE(DecodePictureData(GraphicData("TJPEGImage", Bytes{1, 2, 3})).Empty());
    EXPECT_TRUE(DecodePictureData(Bytes{}).Empty());
    EXPECT_TRUE(DecodePictureData(Bytes{9, 'T'}).Empty()); // class name cut short
    Bytes zeroWide = MakeDib(Reference(), {.Bits = 24});
    zeroWide[4] = 0;
    EXPECT_TRUE(DecodeDib(zeroWide).Empty());
}

TEST(DibDecoder, InvalidPicturesCarryTheirMessages) {
    Image img = Reference();
    auto with = [&](DibSpec spec, auto change) {
        Bytes d = MakeDib(img, spec);
        change(d);
        return d;
    };
    auto none = [](Bytes&) {};
    const std::vector<std::tuple<const char*, Bytes, const char*>> cases = {
        {"header size 56", with({}, [](Bytes& d) { d[0] = 56; }), "DIB is invalid"},
        {"too short for a header", Bytes{40, 0, 0, 0, 1}, "DIB is invalid"},
        {"bit count 2", with({}, [](Bytes& d) { d[14] = 2; }), "Bitcount in invalid (2)"},
        {"bit count 0", with({}, [](Bytes& d) { d[14] = 0; }), "Bitcount in invalid (0)"},
        {"compression 4", with({}, [](Bytes& d) { d[16] = 4; }), "DIB is invalid"},
        {"RLE8 at 4 bits", with({.Bits = 4}, [](Bytes& d) { d[16] = 1; }), "DIB is invalid"},
        {"bit fields at 8 bits", with({.Bits = 8}, [](Bytes& d) { d[16] = 3; }), "DIB is invalid"},
        {"16-bit masks 4-4-4",
         with({.Bits = 16, .Compression = 3, .Masks = {0xF00, 0xF0, 0xF}}, none),
         "PixelFormat in invalid"},
        {"32-bit masks swapped",
         with({.Bits = 32, .Compression = 3, .Masks = {0xFF, 0xFF00, 0xFF0000}}, none),
         "PixelFormat in invalid"},
        {"negative width", with({}, [](Bytes& d) { d[7] = 0x80; }), "DIB is invalid"},
        {"rows missing", with({}, [](Bytes& d) { d.resize(d.size() - 17); }), "DIB is invalid"},
        {"colour table cut", with({.Bits = 8}, [](Bytes& d) { d.resize(100); }), "DIB is invalid"},
        {"width over the limit", with({}, [](Bytes& d) { d[4] = 0, d[5] = 0, d[6] = 1; }),
         "DIB is invalid"},
        {"8192 x 8192", with({}, [](Bytes& d) { d[4] = d[8] = 0, d[5] = d[9] = 0x20; }),
         "DIB is invalid"},
        {"RLE far larger than its data",
         with({.Bits = 8, .Compression = 1}, [](Bytes& d) { d[5] = d[9] = 0x10; }),
         "DIB is invalid"},
        {"top-down RLE",
         with({.Bits = 8, .Compression = 1},
              [](Bytes& d) { d[8] = 0xFD, d[9] = d[10] = d[11] = 0xFF; }),
         "DIB is invalid"},
    };
    for (const auto& [name, bytes, message] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(GraphicError([&] { DecodeDib(bytes); }), message);
    }
    EXPECT_EQ(GraphicError([] {
                  DecodeBmpFile(Bytes{'B', 'X', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0});
              }),
              "Bitmap image is not valid");
    EXPECT_EQ(GraphicError([] { DecodePictureData(GraphicData("TBitmap", Bytes{}.U32(100))); }),
              "Bitmap image is not valid");
    EXPECT_EQ(GraphicError([] {
                  DecodePictureData(GraphicData("TIcon", Bytes{0, 0, 3, 0, 1, 0}));
              }),
              "Icon image is not valid");
    // A bad picture stops the collection load with its own message.
    EXPECT_EQ(
        GraphicError([&] {
            ReadPictureCollection(PictureFile(
                {Bytes{}.Prop("Picture.Data").Binary(GraphicData("TDIB", with({}, [](Bytes& d) {
                                                                     d[14] = 7;
                                                                 })))}));
        }),
        "Bitcount in invalid (7)");
}

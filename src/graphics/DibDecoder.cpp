// DibDecoder.cpp -- packed DIB, BMP and icon decoding into 0x00RRGGBB pixels, rows top-down.
#include "graphics/DibDecoder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/DxgReader.h"

namespace {

[[noreturn]] void DibInvalid() {
    throw EInvalidGraphic("DIB is invalid");
}

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

struct TDibHeader {
    uint32_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0; // rows to decode (positive)
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t ClrUsed = 0;
    std::array<uint32_t, 3> Masks{}; // red, green, blue
};

// Rows are written bottom-up unless the header says otherwise.
uint32_t* RowOut(std::vector<uint32_t>& out, const TDibHeader& h, int32_t fileRow) {
    int32_t y = h.TopDown ? fileRow : h.Height - 1 - fileRow;
    return out.data() + size_t(y) * size_t(h.Width);
}

uint32_t Expand5(uint32_t v) {
    return v << 3 | v >> 2;
}
uint32_t Expand6(uint32_t v) {
    return v << 2 | v >> 4;
}

void DecodeRows(std::span<const uint8_t> px, const TDibHeader& h,
                const std::vector<uint32_t>& palette, std::vector<uint32_t>& out) {
    const size_t stride = (size_t(h.Width) * h.BitCount + 31) / 32 * 4;
    const bool is565 = h.BitCount == 16 && h.Masks[1] == 0x07E0;
    const uint32_t w = uint32_t(h.Width);
    // Palette lookups: an index past the table reads black, as unset entries would.
    auto pal = [&](uint32_t index) { return index < palette.size() ? palette[index] : 0u; };
    for (int32_t row = 0; row < h.Height; ++row) {
        const uint8_t* src = px.data() + size_t(row) * stride;
        uint32_t* dst = RowOut(out, h, row);
        switch (h.BitCount) {
        case 1:
            for (uint32_t x = 0; x < w; ++x)
                dst[x] = pal(src[x >> 3] >> (7 - (x & 7)) & 1);
            break;
        case 4:
            for (uint32_t x = 0; x < w; ++x)
                dst[x] = pal(src[x >> 1] >> ((x & 1) ? 0 : 4) & 15);
            break;
        case 8:
            for (uint32_t x = 0; x < w; ++x)
                dst[x] = pal(src[x]);
            break;
        case 16:
            for (uint32_t x = 0; x < w; ++x) {
                uint32_t v = U16(src + 2 * x);
                if (is565)
                    dst[x] = Expand5(v >> 11) << 16 | Expand6(v >> 5 & 63) << 8 | Expand5(v & 31);
                else
                    dst[x] =
                        Expand5(v >> 10 & 31) << 16 | Expand5(v >> 5 & 31) << 8 | Expand5(v & 31);
            }
            break;
        case 24:
            for (uint32_t x = 0; x < w; ++x, src += 3)
                dst[x] = uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
            break;
        case 32:
            for (uint32_t x = 0; x < w; ++x, src += 4)
                dst[x] = uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
            break;
        }
    }
}

// RLE8 / RLE4 into palette indices. Runs are clipped at the row's end; pixels the data never
// reaches keep index 0. Each step consumes input, so the walk ends with the data.
void DecodeRle(std::span<const uint8_t> data, const TDibHeader& h, std::vector<uint8_t>& idx) {
    const bool four = h.Compression == BI_RLE4;
    const int64_t w = h.Width, rows = h.Height;
    int64_t x = 0, y = 0; // y counts file rows, bottom-up
    size_t p = 0, n = data.size();
    auto put = [&](int64_t count, auto valueAt) {
        if (y >= rows || x >= w) {
            x += count;
            return;
        }
        int64_t run = std::min(count, w - x);
        uint8_t* dst = idx.data() + size_t(rows - 1 - y) * size_t(w) + size_t(x);
        for (int64_t i = 0; i < run; ++i)
            dst[i] = valueAt(i);
        x += count;
    };
    while (p + 2 <= n && y < rows) {
        uint8_t count = data[p], value = data[p + 1];
        p += 2;
        if (count > 0) {
            if (four)
                put(count, [&](int64_t i) { return uint8_t((i & 1) ? value & 15 : value >> 4); });
            else
                put(count, [&](int64_t) { return value; });
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta
            if (p + 2 > n) break;
            x += data[p];
            y += data[p + 1];
            p += 2;
        } else { // absolute run of `value` pixels, padded to a 16-bit boundary
            size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            if (p + bytes > n) break;
            const uint8_t* src = data.data() + p;
            if (four)
                put(value, [&](int64_t i) {
                    return uint8_t((i & 1) ? src[i >> 1] & 15 : src[i >> 1] >> 4);
                });
            else
                put(value, [&](int64_t i) { return src[i]; });
            p += (bytes + 1) & ~size_t(1);
        }
    }
}

bool MasksAre(const TDibHeader& h, uint32_t r, uint32_t g, uint32_t b) {
    return h.Masks[0] == r && h.Masks[1] == g && h.Masks[2] == b;
}

// The later info headers (V2 52, V3 56, V4 108, V5 124 bytes) begin as the 40-byte one and
// carry the bit-field masks inside, at 40, 44 and 48. BMP files from today's editors use them.
bool IsLaterInfoHeader(uint32_t size) {
    return size == 52 || size == 56 || size == 108 || size == 124;
}

TPicture DecodeDibImage(std::span<const uint8_t> dib, size_t pixelOffset, bool iconImage,
                        bool laterHeaders, TDecodeBudget* budget) {
    if (dib.size() < 4) DibInvalid();
    TDibHeader h;
    h.Size = U32(dib.data());
    const bool laterHeader = laterHeaders && IsLaterInfoHeader(h.Size);
    size_t pos;
    int64_t rawHeight;
    if (h.Size == 40 || laterHeader) {
        if (dib.size() < h.Size) DibInvalid();
        const uint8_t* p = dib.data();
        h.Width = int32_t(U32(p + 4));
        rawHeight = int32_t(U32(p + 8));
        h.BitCount = U16(p + 14);
        h.Compression = U32(p + 16);
        h.ClrUsed = U32(p + 32);
        pos = h.Size;
    } else if (h.Size == 12) {
        if (dib.size() < 12) DibInvalid();
        const uint8_t* p = dib.data();
        h.Width = U16(p + 4);
        rawHeight = U16(p + 6);
        h.BitCount = U16(p + 10);
        pos = 12;
    } else {
        DibInvalid();
    }
    switch (h.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        throw EInvalidGraphic("Bitcount in invalid (" + std::to_string(h.BitCount) + ")");
    }
    switch (h.Compression) {
    case BI_RGB:
        break;
    case BI_RLE8:
        if (h.BitCount != 8) DibInvalid();
        break;
    case BI_RLE4:
        if (h.BitCount != 4) DibInvalid();
        break;
    case BI_BITFIELDS:
        if (h.BitCount < 16) DibInvalid();
        break;
    default:
        DibInvalid();
    }
    if (h.Compression == BI_BITFIELDS && laterHeader) {
        for (int i = 0; i < 3; ++i)
            h.Masks[i] = U32(dib.data() + 40 + 4 * i);
    } else if (h.Compression == BI_BITFIELDS) {
        if (dib.size() - pos < 12) DibInvalid();
        for (int i = 0; i < 3; ++i)
            h.Masks[i] = U32(dib.data() + pos + 4 * i);
        pos += 12;
    } else if (h.BitCount == 16) {
        h.Masks = {0x7C00, 0x03E0, 0x001F};
    } else {
        h.Masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    if (h.BitCount == 16
            ? !MasksAre(h, 0x7C00, 0x03E0, 0x001F) && !MasksAre(h, 0xF800, 0x07E0, 0x001F)
            : !MasksAre(h, 0xFF0000, 0x00FF00, 0x0000FF))
        throw EInvalidGraphic("PixelFormat in invalid");

    h.TopDown = rawHeight < 0;
    int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (iconImage) height /= 2;
    if (h.Width < 0) DibInvalid();
    if (h.TopDown && h.Compression != BI_RGB && h.Compression != BI_BITFIELDS) DibInvalid();
    if (h.Width > kMaxDibSide || height > kMaxDibSide || int64_t(h.Width) * height > kMaxDibPixels)
        DibInvalid();
    h.Height = int32_t(height);

    // The colour table: 4-byte entries after an info header, 3-byte ones after a core header.
    size_t entries = h.ClrUsed ? std::min<uint32_t>(h.ClrUsed, 256)
                               : (h.BitCount <= 8 ? size_t(1) << h.BitCount : 0);
    size_t entrySize = h.Size == 12 ? 3 : 4;
    if (entries > (dib.size() - pos) / entrySize) DibInvalid();
    std::vector<uint32_t> palette(entries);
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* e = dib.data() + pos + i * entrySize;
        palette[i] = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
    }
    pos += entries * entrySize;
    if (pixelOffset >= pos && pixelOffset <= dib.size()) pos = pixelOffset;

    TPicture picture;
    if (h.Width == 0 || h.Height == 0) return picture;
    auto px = dib.subspan(pos);
    const size_t pixels = size_t(h.Width) * size_t(h.Height);
    // The data must account for the picture before anything of its size is allocated.
    std::vector<uint32_t> out;
    if (h.Compression == BI_RLE8 || h.Compression == BI_RLE4) {
        if (int64_t(pixels) > kMaxRleExpansion * int64_t(px.size())) DibInvalid();
        if (budget) budget->Spend(int64_t(pixels));
        std::vector<uint8_t> idx(pixels);
        DecodeRle(px, h, idx);
        out.resize(pixels);
        for (size_t i = 0; i < pixels; ++i)
            out[i] = idx[i] < palette.size() ? palette[idx[i]] : 0;
    } else {
        // Every row must be there; the last one may lack its padding.
        size_t stride = (size_t(h.Width) * h.BitCount + 31) / 32 * 4;
        size_t lastRow = (size_t(h.Width) * h.BitCount + 7) / 8;
        if (px.size() < lastRow || (px.size() - lastRow) / stride < size_t(h.Height - 1))
            DibInvalid();
        if (budget) budget->Spend(int64_t(pixels));
        out.resize(pixels);
        DecodeRows(px, h, palette, out);
    }
    picture.Assign(h.Width, h.Height, std::move(out));
    return picture;
}

} // namespace

TPicture DecodeDib(std::span<const uint8_t> dib, size_t pixelOffset, bool iconImage,
                   TDecodeBudget* budget) {
    return DecodeDibImage(dib, pixelOffset, iconImage, false, budget);
}

TPicture DecodeBmpFile(std::span<const uint8_t> file, TDecodeBudget* budget) {
    if (file.size() < 14 + 4 || file[0] != 'B' || file[1] != 'M')
        throw EInvalidGraphic("Bitmap image is not valid");
    uint32_t offBits = U32(file.data() + 10);
    size_t pixelOffset = offBits > 14 ? offBits - 14 : 0;
    return DecodeDibImage(file.subspan(14), pixelOffset, false, true, budget);
}

TPicture DecodeIcon(std::span<const uint8_t> file, TDecodeBudget* budget) {
    auto invalid = [] { throw EInvalidGraphic("Icon image is not valid"); };
    if (file.size() < 6) invalid();
    uint16_t type = U16(file.data() + 2), count = U16(file.data() + 4);
    if (U16(file.data()) != 0 || (type != 1 && type != 2) || count == 0) invalid();
    if (size_t(count) * 16 > file.size() - 6) invalid();
    // The largest image wins, then the deepest; the first of equals.
    int best = -1;
    int64_t bestArea = -1;
    int bestBits = -1;
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = file.data() + 6 + 16 * i;
        uint32_t size = U32(e + 8), offset = U32(e + 12);
        if (offset > file.size() || size > file.size() - offset) invalid();
        if (size >= 4 && file[offset] == 0x89 && file[offset + 1] == 'P') continue; // PNG image
        int64_t area = int64_t(e[0] ? e[0] : 256) * (e[1] ? e[1] : 256);
        int bits = type == 1 ? U16(e + 6) : 0;
        if (area > bestArea || (area == bestArea && bits > bestBits)) {
            best = i;
            bestArea = area;
            bestBits = bits;
        }
    }
    if (best < 0) return TPicture();
    const uint8_t* e = file.data() + 6 + 16 * best;
    return DecodeDib(file.subspan(U32(e + 12), U32(e + 8)), 0, true, budget);
}

TPicture DecodePictureData(std::span<const uint8_t> data, TDecodeBudget* budget) {
    // A missing or empty class name leaves the picture empty.
    if (data.empty() || data[0] == 0 || data[0] > data.size() - 1) return TPicture();
    std::string_view className(reinterpret_cast<const char*>(data.data() + 1), data[0]);
    auto rest = data.subspan(1 + data[0]);
    auto is = [&](std::string_view name) {
        return std::equal(className.begin(), className.end(), name.begin(), name.end(),
                          [](char a, char b) { return std::tolower(a) == std::tolower(b); });
    };
    if (is("TDIB")) return DecodeDib(rest, 0, false, budget);
    if (is("TBitmap")) {
        if (rest.size() < 4) throw EInvalidGraphic("Bitmap image is not valid");
        uint32_t length = U32(rest.data());
        if (length > rest.size() - 4) throw EInvalidGraphic("Bitmap image is not valid");
        if (length == 0) return TPicture();
        return DecodeBmpFile(rest.subspan(4, length), budget);
    }
    if (is("TIcon")) return DecodeIcon(rest, budget);
    // Metafiles (EMF/WMF) have no decoder here; they and unknown classes stay empty.
    return TPicture();
}

void TDecodeBudget::Spend(int64_t pixels) {
    if (pixels > left_) DibInvalid();
    left_ -= pixels;
}

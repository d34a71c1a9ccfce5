// DxgWriter.cpp -- the byte layout of picture and wave collection files, written the way the
// game's reader expects it. Output is deterministic: same entries, same bytes.
#include "graphics/DxgWriter.h"
#include "graphics/ComponentStream.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>

namespace {

class Out {
  public:
    std::vector<uint8_t> bytes;
    void U8(uint32_t v) { bytes.push_back(uint8_t(v)); }
    void U16(uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v);
        U16(v >> 16);
    }
    void Raw(std::string_view s) { bytes.insert(bytes.end(), s.begin(), s.end()); }
    void Raw(const std::vector<uint8_t>& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    void ShortString(std::string_view s) {
        if (s.size() > 255) throw std::invalid_argument("name longer than 255 bytes");
        U8(uint32_t(s.size()));
        Raw(s);
    }

    // Property values.
    void Prop(std::string_view name) { ShortString(name); }
    void Integer(int32_t v) {
        if (v >= -128 && v <= 127) {
            U8(vaInt8);
            U8(uint32_t(v));
        } else if (v >= -32768 && v <= 32767) {
            U8(vaInt16);
            U16(uint32_t(v));
        } else {
            U8(vaInt32);
            U32(uint32_t(v));
        }
    }
    void Int32(uint32_t v) {
        U8(vaInt32);
        U32(v);
    }
    void Boolean(bool v) { U8(v ? vaTrue : vaFalse); }
    void String(std::string_view s) {
        if (s.size() <= 255) {
            U8(vaString);
            ShortString(s);
        } else {
            U8(vaLString);
            U32(uint32_t(s.size()));
            Raw(s);
        }
    }
    void Binary(const std::vector<uint8_t>& b) {
        U8(vaBinary);
        U32(uint32_t(b.size()));
        Raw(b);
    }
};

// The one-resource header, then "TPF0", the root and its properties; `writeProperties` puts
// the root's properties, this closes the property list and the (empty) list of children.
template <class WriteProperties>
std::vector<uint8_t> WriteCollectionFile(std::string_view rootClass,
                                         WriteProperties writeProperties) {
    Out stream;
    stream.Raw("TPF0");
    stream.ShortString(rootClass);
    stream.ShortString("");
    writeProperties(stream);
    stream.U8(0);
    stream.U8(0);

    Out file;
    file.U8(0xFF);
    file.U16(10);
    for (char c : rootClass)
        file.U8(uint8_t(std::toupper(static_cast<unsigned char>(c))));
    file.U8(0);
    file.U16(0x1030);
    file.U32(uint32_t(stream.bytes.size()));
    file.Raw(stream.bytes);
    return std::move(file.bytes);
}

std::vector<uint8_t> PictureData(const TPictureItemData& e) {
    if (!e.PictureData.empty()) return e.PictureData;
    std::vector<uint8_t> data = {4, 'T', 'D', 'I', 'B'};
    auto dib = WriteDib(e.Picture, e.BitCount);
    data.insert(data.end(), dib.begin(), dib.end());
    return data;
}

} // namespace

std::vector<uint8_t> WriteDib(const TPicture& picture, int bitCount) {
    if (bitCount != 24 && bitCount != 32) throw std::invalid_argument("bit count not 24 or 32");
    if (picture.Empty()) throw std::invalid_argument("no picture to write");
    const int width = picture.Width(), height = picture.Height();
    const uint32_t* pixels = picture.Pixels();
    size_t bytesPerPixel = size_t(bitCount) / 8;
    size_t stride = (size_t(width) * bytesPerPixel + 3) / 4 * 4;
    Out out;
    out.bytes.reserve(40 + stride * size_t(height));
    out.U32(40);
    out.U32(uint32_t(width));
    out.U32(uint32_t(height)); // positive: rows bottom-up
    out.U16(1);
    out.U16(uint32_t(bitCount));
    out.U32(0); // BI_RGB
    out.U32(uint32_t(stride * size_t(height)));
    out.U32(0);
    out.U32(0);
    out.U32(0);
    out.U32(0);
    for (int y = height - 1; y >= 0; --y) {
        const uint32_t* row = pixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            out.U8(row[x]);
            out.U8(row[x] >> 8);
            out.U8(row[x] >> 16);
            if (bytesPerPixel == 4) out.U8(0);
        }
        for (size_t pad = size_t(width) * bytesPerPixel; pad < stride; ++pad)
            out.U8(0);
    }
    return std::move(out.bytes);
}

std::vector<uint8_t> WritePictureCollection(const std::vector<TPictureItemData>& items) {
    TPictureCollectionData data;
    data.Items = items;
    return WritePictureCollection(data);
}

std::vector<uint8_t> WritePictureCollection(const TPictureCollectionData& data) {
    const std::vector<uint8_t> table(data.ColorTable.begin(), data.ColorTable.end());
    return WriteCollectionFile("TPictureCollectionComponent", [&](Out& s) {
        s.Prop("List.ColorTable");
        s.Binary(table);
        s.Prop("List");
        s.U8(vaCollection);
        for (const auto& e : data.Items) {
            s.U8(vaList); // the list marker that opens every item
            s.Prop("Name");
            s.String(e.Name);
            s.Prop("PatternHeight");
            s.Integer(e.PatternHeight);
            s.Prop("PatternWidth");
            s.Integer(e.PatternWidth);
            if (!e.PictureData.empty() || !e.Picture.Empty()) {
                s.Prop("Picture.Data");
                s.Binary(PictureData(e));
            }
            if (e.SkipHeight != 0) {
                s.Prop("SkipHeight");
                s.Integer(e.SkipHeight);
            }
            if (e.SkipWidth != 0) {
                s.Prop("SkipWidth");
                s.Integer(e.SkipWidth);
            }
            if (e.SystemMemory) {
                s.Prop("SystemMemory");
                s.Boolean(true);
            }
            s.Prop("Transparent");
            s.Boolean(e.Transparent);
            s.Prop("TransparentColor");
            s.Int32(e.TransparentColor);
            s.U8(0);
        }
        s.U8(0);
    });
}

std::vector<uint8_t> WriteWaveCollection(const std::vector<TWaveItemData>& items) {
    return WriteCollectionFile("TWaveCollectionComponent", [&](Out& s) {
        s.Prop("List");
        s.U8(vaCollection);
        for (const auto& e : items) {
            s.U8(vaList);
            s.Prop("Name");
            s.String(e.Name);
            s.Prop("Looped");
            s.Boolean(e.Looped);
            s.Prop("MaxPlayingCount");
            s.Integer(e.MaxPlayingCount);
            s.Prop("Wave.WAVE");
            s.Binary(WriteRiffWave(e.Wave));
            s.U8(0);
        }
        s.U8(0);
    });
}

TWave PcmWave(int sampleRate, int channels, int bitsPerSample, std::vector<uint8_t> data) {
    if (sampleRate <= 0 || channels <= 0 || bitsPerSample <= 0)
        throw std::invalid_argument("bad wave format");
    uint32_t blockAlign = uint32_t(channels) * uint32_t((bitsPerSample + 7) / 8);
    Out fmt;
    fmt.U16(1); // PCM
    fmt.U16(uint32_t(channels));
    fmt.U32(uint32_t(sampleRate));
    fmt.U32(uint32_t(sampleRate) * blockAlign);
    fmt.U16(blockAlign);
    fmt.U16(uint32_t(bitsPerSample));
    TWave wave;
    wave.Format = std::move(fmt.bytes);
    wave.Data = std::move(data);
    return wave;
}

std::vector<uint8_t> WriteRiffWave(const TWave& wave) {
    // No pad byte after an odd chunk: the game's reader walks by the stated lengths alone.
    Out out;
    out.Raw("RIFF");
    out.U32(uint32_t(4 + 8 + wave.Format.size() + 8 + wave.Data.size()));
    out.Raw("WAVE");
    out.Raw("fmt ");
    out.U32(uint32_t(wave.Format.size()));
    out.Raw(wave.Format);
    out.Raw("data");
    out.U32(uint32_t(wave.Data.size()));
    out.Raw(wave.Data);
    return std::move(out.bytes);
}

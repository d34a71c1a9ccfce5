// StreamBytes.h -- tiny builders of component streams, collection files, DIBs and RIFF waves
// byte by byte, so the reader is tested against layouts written out by hand.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

struct Bytes : std::vector<uint8_t> {
    Bytes() = default;
    Bytes(std::initializer_list<uint8_t> b) : std::vector<uint8_t>(b) {}
    Bytes(size_t count, uint8_t value) : std::vector<uint8_t>(count, value) {}
    template <class It> Bytes(It first, It last) : std::vector<uint8_t>(first, last) {}

    Bytes& U8(uint32_t v) {
        push_back(uint8_t(v));
        return *this;
    }
    Bytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    Bytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    Bytes& U64(uint64_t v) { return U32(uint32_t(v)).U32(uint32_t(v >> 32)); }
    Bytes& Raw(std::string_view s) {
        insert(end(), s.begin(), s.end());
        return *this;
    }
    Bytes& Add(const std::vector<uint8_t>& b) {
        insert(end(), b.begin(), b.end());
        return *this;
    }
    Bytes& Short(std::string_view s) { return U8(uint32_t(s.size())).Raw(s); }

    // Values (type byte + payload).
    Bytes& Int8(int v) { return U8(2).U8(uint32_t(v)); }
    Bytes& Int16(int v) { return U8(3).U16(uint32_t(v)); }
    Bytes& Int32(int64_t v) { return U8(4).U32(uint32_t(v)); }
    Bytes& String(std::string_view s) { return U8(6).Short(s); }
    Bytes& Ident(std::string_view s) { return U8(7).Short(s); }
    Bytes& Bool(bool v) { return U8(v ? 9 : 8); }
    Bytes& Binary(const std::vector<uint8_t>& b) { return U8(10).U32(uint32_t(b.size())).Add(b); }
    Bytes& Prop(std::string_view name) { return Short(name); }
};

// Header + "TPF0" + root class + empty component name + the root properties + the two ends.
inline Bytes CollectionFile(std::string_view rootClass, const Bytes& rootProperties,
                            std::string_view headerName = "TPICTURECOLLECTIONCOMPONENT") {
    Bytes stream;
    stream.Raw("TPF0").Short(rootClass).Short("").Add(rootProperties).U8(0).U8(0);
    Bytes file;
    file.U8(0xFF).U16(10).Raw(headerName).U8(0).U16(0x1030).U32(uint32_t(stream.size()));
    file.Add(stream);
    return file;
}

// A "List" collection of items, each already holding its properties; the marker and the
// closing zero are added here. `order` puts an order value in front of each item.
inline Bytes ListOf(const std::vector<Bytes>& items, bool order = false) {
    Bytes b;
    b.Prop("List").U8(14);
    int n = 0;
    for (const auto& item : items) {
        if (order) b.Int8(n++);
        b.U8(1).Add(item).U8(0);
    }
    b.U8(0);
    return b;
}

inline Bytes PictureFile(const std::vector<Bytes>& items) {
    return CollectionFile("TPictureCollectionComponent", ListOf(items));
}

inline Bytes WaveFile(const std::vector<Bytes>& items) {
    return CollectionFile("TWaveCollectionComponent", ListOf(items), "TWAVECOLLECTIONCOMPONENT");
}

// "Picture.Data" bytes: the class name as a short string, then the graphic's data.
inline Bytes GraphicData(std::string_view className, const std::vector<uint8_t>& data) {
    Bytes b;
    b.Short(className).Add(data);
    return b;
}

// RIFF WAVE image from raw chunks (each: 4-char id, then length and bytes as given).
struct Chunk {
    std::string Id;
    std::vector<uint8_t> Body;
    uint32_t Length = UINT32_MAX; // UINT32_MAX: the body's size
};
inline Bytes Riff(const std::vector<Chunk>& chunks) {
    Bytes b;
    b.Raw("RIFF").U32(0).Raw("WAVE");
    for (const auto& c : chunks)
        b.Raw(c.Id).U32(c.Length == UINT32_MAX ? uint32_t(c.Body.size()) : c.Length).Add(c.Body);
    return b;
}

inline Bytes PcmFormat(int channels, int rate, int bits) {
    Bytes f;
    int align = channels * bits / 8;
    f.U16(1).U16(channels).U32(rate).U32(rate * align).U16(align).U16(bits);
    return f;
}

// DxgWriter_test.cpp -- files written by the collection writer: their byte layout, and reading
// them back.
#include <gtest/gtest.h>

#include <algorithm>

#include "graphics/ComponentStream.h"
#include "graphics/DxgReader.h"
#include "graphics/DxgWriter.h"

namespace {

std::vector<uint32_t> Gradient(int w, int h, uint32_t seed) {
    std::vector<uint32_t> px(size_t(w) * h);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = (uint32_t(i) * 2654435761u + seed) & 0xFFFFFF;
    return px;
}

TPictureItemData Entry(const std::string& name, int w, int h, int bits = 24) {
    TPictureItemData e;
    e.Name = name;
    e.Picture.Assign(w, h, Gradient(w, h, uint32_t(name.size())));
    e.BitCount = bits;
    return e;
}

// The component stream after the header, checking the header on the way.
size_t CheckHeader(const std::vector<uint8_t>& file, const std::string& upperName) {
    EXPECT_EQ(file.at(0), 0xFF);
    EXPECT_EQ(file.at(1) | file.at(2) << 8, 10);
    std::string name(file.begin() + 3, file.begin() + 3 + upperName.size());
    EXPECT_EQ(name, upperName);
    size_t at = 3 + upperName.size();
    EXPECT_EQ(file.at(at), 0);
    EXPECT_EQ(file.at(at + 1) | file.at(at + 2) << 8, 0x1030);
    uint32_t length = file.at(at + 3) | file.at(at + 4) << 8 | file.at(at + 5) << 16 |
                      uint32_t(file.at(at + 6)) << 24;
    EXPECT_EQ(length, file.size() - (at + 7));
    return at + 7;
}

} // namespace

TEST(DxgWriter, PictureFileLayout) {
    TPictureItemData a = Entry("hero", 3, 2);
    a.PatternWidth = 1;
    a.PatternHeight = 300; // needs 16 bits
    a.TransparentColor = 0x00FF00FF;
    TPictureItemData b = Entry("strip", 2, 2, 32);
    b.SkipWidth = -1;
    b.SkipHeight = 70000; // needs 32 bits
    b.SystemMemory = true;
    b.Transparent = false;
    auto file = WritePictureCollection({a, b});

    TComponentReader r(file, CheckHeader(file, "TPICTURECOLLECTIONCOMPONENT"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.ReadBytes(4).data()), 4), "TPF0");
    EXPECT_EQ(r.ReadShortString(), "TPictureCollectionComponent");
    EXPECT_EQ(r.ReadShortString(), "");
    EXPECT_EQ(r.ReadShortString(), "List.ColorTable");
    TValue table = r.ReadValue();
    EXPECT_EQ(table.Type, vaBinary);
    EXPECT_EQ(table.Bytes.size(), 1024u);
    EXPECT_TRUE(
        std::all_of(table.Bytes.begin(), table.Bytes.end(), [](uint8_t v) { return v == 0; }));
    EXPECT_EQ(r.ReadShortString(), "List");
    TValue list = r.ReadValue();
    EXPECT_EQ(r.ReadByte(), 0); // end of the root's properties
    EXPECT_EQ(r.ReadByte(), 0); // no children
    EXPECT_EQ(r.Remaining(), 0u);

    ASSERT_EQ(list.Type, vaCollection);
    ASSERT_EQ(list.Items.size(), 2u);
    auto layout = [](const TCollectionItemValue& item) {
        std::vector<std::pair<std::string, int>> out;
        for (const auto& p : item.Properties)
            out.emplace_back(p.Name, int(p.Value.Type));
        return out;
    };
    EXPECT_FALSE(list.Items[0].HasOrder);
    using L = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(layout(list.Items[0]), (L{{"Name", vaString},
                                        {"PatternHeight", vaInt16},
                                        {"PatternWidth", vaInt8},
                                        {"Picture.Data", vaBinary},
                                        {"Transparent", vaTrue},
                                        {"TransparentColor", vaInt32}}));
    EXPECT_EQ(layout(list.Items[1]), (L{{"Name", vaString},
                                        {"PatternHeight", vaInt8},
                                        {"PatternWidth", vaInt8},
                                        {"Picture.Data", vaBinary},
                                        {"SkipHeight", vaInt32},
                                        {"SkipWidth", vaInt8},
                                        {"SystemMemory", vaTrue},
                                        {"Transparent", vaFalse},
                                        {"TransparentColor", vaInt32}}));
    // "TDIB", then a 40-byte info header: bottom-up, BI_RGB, at the entry's depth.
    auto data = list.Items[1].Properties[3].Value.Bytes;
    EXPECT_EQ(std::string(data.begin(), data.begin() + 5), "\x04TDIB");
    EXPECT_EQ(data[5], 40);
    EXPECT_EQ(data[5 + 8], 2);   // height, positive
    EXPECT_EQ(data[5 + 14], 32); // bit count
    EXPECT_EQ(data[5 + 16], 0);  // compression
    EXPECT_EQ(data.size(), 5u + 40 + 2 * 2 * 4);

    EXPECT_EQ(WritePictureCollection({a, b}), file) << "not deterministic";
}

TEST(DxgWriter, PicturesReadBackPixelForPixel) {
    std::vector<TPictureItemData> entries = {Entry("odd24", 7, 5), Entry("odd32", 7, 5, 32),
                                             Entry("one", 1, 1), Entry("wide", 513, 3)};
    entries[0].PatternWidth = 3;
    entries[0].SkipWidth = 1;
    entries[1].TransparentColor = 0xFF00000F;
    TPictureItemData empty;
    empty.Name = "nothing";
    entries.push_back(empty);
    TPictureCollectionData written;
    written.Items = entries;
    for (size_t i = 0; i < written.ColorTable.size(); ++i)
        written.ColorTable[i] = uint8_t(i * 7);

    auto data = ReadPictureCollection(WritePictureCollection(written));
    EXPECT_EQ(data.ColorTable, written.ColorTable);
    ASSERT_EQ(data.Items.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        const auto& item = data.Items[i];
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(item.Name, e.Name);
        EXPECT_EQ(item.PatternWidth, e.PatternWidth);
        EXPECT_EQ(item.SkipWidth, e.SkipWidth);
        EXPECT_EQ(item.TransparentColor, e.TransparentColor);
        EXPECT_EQ(item.Picture.Width(), e.Picture.Width());
        EXPECT_EQ(item.Picture.Height(), e.Picture.Height());
        if (!item.Picture.Empty()) {
            size_t n = size_t(e.Picture.Width()) * size_t(e.Picture.Height());
            EXPECT_TRUE(
                std::equal(e.Picture.Pixels(), e.Picture.Pixels() + n, item.Picture.Pixels()));
        }
    }
}

TEST(DxgWriter, RawPictureDataIsWrittenAsItIs) {
    TPictureItemData e;
    e.Name = "meta";
    e.PictureData = {9, 'T', 'M', 'e', 't', 'a', 'f', 'i', 'l', 'e', 4, 0, 0, 0};
    auto data = ReadPictureCollection(WritePictureCollection({e}));
    ASSERT_EQ(data.Items.size(), 1u);
    EXPECT_TRUE(data.Items[0].Picture.Empty());
    EXPECT_EQ(data.Items[0].PictureData, e.PictureData);
}

TEST(DxgWriter, WrongPixelCountsAreRefused) {
    TPictureItemData e = Entry("x", 4, 4);
    std::vector<uint32_t> short15 = Gradient(4, 4, 0);
    short15.pop_back();
    EXPECT_THROW(e.Picture.Assign(4, 4, short15), std::invalid_argument);
    e = Entry("x", 4, 4, 16);
    EXPECT_THROW(WritePictureCollection({e}), std::invalid_argument);
    EXPECT_THROW(WriteDib(TPicture(), 24), std::invalid_argument);
    EXPECT_THROW(PcmWave(0, 1, 16, {}), std::invalid_argument);
}

TEST(DxgWriter, WavesReadBack) {
    TWaveItemData a;
    a.Name = "bonus";
    a.MaxPlayingCount = 2;
    a.Wave = PcmWave(22050, 1, 16, {1, 2, 3}); // odd: the reader takes no pad byte
    TWaveItemData b;
    b.Name = "loop";
    b.Looped = true;
    b.MaxPlayingCount = 1000;
    b.Wave.Format = {2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0, 2, 0, 0xAB, 0xCD};
    b.Wave.Data = {9, 9};
    auto file = WriteWaveCollection({a, b});
    CheckHeader(file, "TWAVECOLLECTIONCOMPONENT");
    auto waves = ReadWaveCollection(file);
    ASSERT_EQ(waves.size(), 2u);
    EXPECT_EQ(waves[0].Name, "bonus");
    EXPECT_FALSE(waves[0].Looped);
    EXPECT_EQ(waves[0].MaxPlayingCount, 2);
    EXPECT_EQ(waves[0].Wave.FormatTag(), 1);
    EXPECT_EQ(waves[0].Wave.Channels(), 1);
    EXPECT_EQ(waves[0].Wave.SamplesPerSec(), 22050u);
    EXPECT_EQ(waves[0].Wave.BitsPerSample(), 16);
    EXPECT_EQ(waves[0].Wave.Format.size(), 16u);
    EXPECT_EQ(waves[0].Wave.Data, a.Wave.Data);
    EXPECT_TRUE(waves[1].Looped);
    EXPECT_EQ(waves[1].MaxPlayingCount, 1000);
    EXPECT_EQ(waves[1].Wave.Format, b.Wave.Format);
    EXPECT_EQ(waves[1].Wave.Data, b.Wave.Data);
}

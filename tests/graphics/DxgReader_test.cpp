// DxgReader_test.cpp -- picture and wave collection files built byte by byte: headers, item
// properties, colour names, the errors and their messages, and the RIFF chunk walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "StreamBytes.h"
#include "graphics/DibDecoder.h"
#include "graphics/DxgReader.h"

namespace {

// A 2 x 1 DIB: blue then red, 24 bits, bottom-up.
Bytes TinyDib() {
    Bytes d;
    d.U32(40).U32(2).U32(1).U16(1).U16(24).U32(0).U32(8).U32(0).U32(0).U32(0).U32(0);
    d.U8(0xFF).U8(0).U8(0).U8(0).U8(0).U8(0xFF).U16(0);
    return d;
}

template <class Error, class F> std::string MessageOf(F f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(DxgReader, ReadsEveryPictureProperty) {
    Bytes table(1024, 0);
    table[0] = 0x11;
    table[1023] = 0x22;
    Bytes root;
    root.Prop("List.ColorTable").Binary(table);
    root.Add(ListOf({
        Bytes{}
            .Prop("Name")
            .String("hero")
            .Prop("PatternHeight")
            .Int8(40)
            .Prop("PatternWidth")
            .Int16(300)
            .Prop("Picture.Data")
            .Binary(GraphicData("TDIB", TinyDib()))
            .Prop("SkipHeight")
            .Int32(-70000)
            .Prop("SkipWidth")
            .Int8(-3)
            .Prop("SystemMemory")
            .Bool(true)
            .Prop("Transparent")
            .Bool(false)
            .Prop("TransparentColor")
            .Int32(0xFF00FF),
        Bytes{}, // every property left out keeps its default
    }));
    auto data = ReadPictureCollection(CollectionFile("TPictureCollectionComponent", root));
    EXPECT_EQ(data.ColorTable[0], 0x11);
    EXPECT_EQ(data.ColorTable[1023], 0x22);
    ASSERT_EQ(data.Items.size(), 2u);
    const auto& a = data.Items[0];
    EXPECT_EQ(a.Name, "hero");
    EXPECT_EQ(a.PatternHeight, 40);
    EXPECT_EQ(a.PatternWidth, 300);
    EXPECT_EQ(a.SkipHeight, -70000);
    EXPECT_EQ(a.SkipWidth, -3);
    EXPECT_TRUE(a.SystemMemory);
    EXPECT_FALSE(a.Transparent);
    EXPECT_EQ(a.TransparentColor, 0xFF00FFu);
    ASSERT_EQ(a.Picture.Width(), 2);
    ASSERT_EQ(a.Picture.Height(), 1);
    EXPECT_EQ(a.Picture.Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(a.Picture.Pixel(1, 0), 0xFF0000u);
    const auto& b = data.Items[1];
    EXPECT_EQ(b.Name, "");
    EXPECT_TRUE(b.Picture.Empty());
    EXPECT_EQ(b.PatternWidth, 0);
    EXPECT_FALSE(b.SystemMemory);
    EXPECT_TRUE(b.Transparent);
    EXPECT_EQ(b.TransparentColor, 0u);
}

TEST(DxgReader, HeaderNameOrderValuesPrefixAndCaseDoNotMatter) {
    // A long header name, a prefix byte with an integer, order values before the items,
    // property names in another case, and strings in all four encodings.
    Bytes stream;
    stream.Raw("TPF0").U8(0xF2).Int8(3).Short("TSomethingElse").Short("root");
    stream.Add(ListOf({Bytes{}.Prop("name").U8(12).U32(4).Raw("long"),
                       Bytes{}.Prop("NAME").U8(18).U32(1).U16('w'),
                       Bytes{}.Prop("Name").U8(20).U32(2).Raw("u8")},
                      true));
    stream.U8(0).U8(0);
    Bytes file;
    file.U8(0xFF).U16(10).Raw(std::string(70, 'N')).U8(0).U16(0).U32(0).Add(stream);
    auto data = ReadPictureCollection(file);
    ASSERT_EQ(data.Items.size(), 3u);
    EXPECT_EQ(data.Items[0].Name, "long");
    EXPECT_EQ(data.Items[1].Name, "w");
    EXPECT_EQ(data.Items[2].Name, "u8");
}

TEST(DxgReader, ALaterNonEmptyListReplacesTheItems) {
    Bytes root = ListOf({Bytes{}.Prop("Name").String("a"), Bytes{}.Prop("Name").String("b")});
    root.Add(ListOf({}));                                 // empty: keeps a and b
    root.Add(ListOf({Bytes{}.Prop("Name").String("c")})); // replaces them
    auto data = ReadPictureCollection(CollectionFile("TPictureCollectionComponent", root));
    ASSERT_EQ(data.Items.size(), 1u);
    EXPECT_EQ(data.Items[0].Name, "c");
}

TEST(DxgReader, TransparentColorTakesColourNames) {
    const std::vector<std::pair<const char*, TColor>> names = {
        {"clBlack", 0x000000},     {"clMaroon", 0x000080},      {"clGreen", 0x008000},
        {"clOlive", 0x008080},     {"clNavy", 0x800000},        {"clPurple", 0x800080},
        {"clTeal", 0x808000},      {"clGray", 0x808080},        {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},       {"clLime", 0x00FF00},        {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},      {"clFuchsia", 0xFF00FF},     {"clAqua", 0xFFFF00},
        {"clWhite", 0xFFFFFF},     {"clMoneyGreen", 0xC0DCC0},  {"clSkyBlue", 0xF0CAA6},
        {"clCream", 0xF0FBFF},     {"clMedGray", 0xA4A0A0},     {"clNone", 0x1FFFFFFF},
        {"clDefault", 0x20000000}, {"clScrollBar", 0xFF000000}, {"clBtnFace", 0xFF00000F},
        {"clinfobk", 0xFF000018},  {"clHotLight", 0xFF00001A},  {"clMenuBar", 0xFF00001E},
    };
    for (const auto& [name, value] : names) {
        SCOPED_TRACE(name);
        auto data =
            ReadPictureCollection(PictureFile({Bytes{}.Prop("TransparentColor").Ident(name)}));
        EXPECT_EQ(data.Items.at(0).TransparentColor, value);
    }
}

TEST(DxgReader, SystemColoursResolveThroughTheClassicTable) {
    EXPECT_EQ(ColorToRGB(0xFF00000F), 0xC8D0D4u); // button face
    EXPECT_EQ(ColorToRGB(0xFF000005), 0xFFFFFFu); // window
    EXPECT_EQ(ColorToRGB(0xFF000018), 0xE1FFFFu); // info background
    EXPECT_EQ(ColorToRGB(0xFF0000FF), 0u);        // no such system colour
    EXPECT_EQ(ColorToRGB(0x00123456), 0x123456u);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
}

TEST(DxgReader, StreamErrorsCarryTheirMessages) {
    Bytes good = PictureFile({Bytes{}.Prop("Name").String("x")});
    Bytes badFirst = good;
    badFirst[0] = 0xFE;
    Bytes badType = good;
    badType[1] = 11;
    Bytes badSignature = good;
    const std::string tpf0 = "TPF0";
    *std::search(badSignature.begin(), badSignature.end(), tpf0.begin(), tpf0.end()) = 'X';
    Bytes truncated(good.begin(), good.end() - 1);
    const std::vector<std::tuple<const char*, Bytes, const char*>> cases = {
        {"first byte not 0xFF", badFirst, "Invalid stream format"},
        {"resource type not 10", badType, "Invalid stream format"},
        {"no TPF0", badSignature, "Invalid stream format"},
        {"empty file", Bytes{}, "Invalid stream format"},
        {"truncated", truncated, "Invalid stream format"},
        {"unknown root property",
         CollectionFile("TPictureCollectionComponent", Bytes{}.Prop("Bogus").Int8(1)),
         "Property Bogus does not exist"},
        {"unknown item property", PictureFile({Bytes{}.Prop("Looped").Bool(true)}),
         "Property Looped does not exist"},
        {"name as integer", PictureFile({Bytes{}.Prop("Name").Int8(1)}), "Invalid property value"},
        {"pattern width as string", PictureFile({Bytes{}.Prop("PatternWidth").String("1")}),
         "Invalid property value"},
        {"transparent as integer", PictureFile({Bytes{}.Prop("Transparent").Int8(1)}),
         "Invalid property value"},
        {"unknown colour name", PictureFile({Bytes{}.Prop("TransparentColor").Ident("clPink")}),
         "Invalid property value"},
        {"picture data as string", PictureFile({Bytes{}.Prop("Picture.Data").String("TDIB")}),
         "Invalid property value"},
        {"List not a collection",
         CollectionFile("TPictureCollectionComponent", Bytes{}.Prop("List").Int8(0)),
         "Invalid property value"},
        {"item without list marker",
         CollectionFile("TPictureCollectionComponent",
                        Bytes{}.Prop("List").U8(14).Prop("Name").String("x").U8(0).U8(0)),
         "Invalid property value"},
    };
    for (const auto& [name, bytes, message] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MessageOf<EReadError>([&] { ReadPictureCollection(bytes); }), message);
    }
    // The wave reader shares the stream rules; a picture-only property is unknown to it.
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadWaveCollection(badFirst); }),
              "Invalid stream format");
    Bytes withTable = CollectionFile("TPictureCollectionComponent",
                                     Bytes{}.Prop("List.ColorTable").Binary(Bytes(1024, 0)));
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadWaveCollection(withTable); }),
              "Property List.ColorTable does not exist");
}

TEST(DxgReader, PeekTellsTheKindFromTheRootClass) {
    EXPECT_EQ(PeekCollectionKind(PictureFile({})).Kind, TCollectionKind::Pictures);
    EXPECT_EQ(PeekCollectionKind(WaveFile({})).Kind, TCollectionKind::Waves);
    auto other = PeekCollectionKind(CollectionFile("TForm1", Bytes{}));
    EXPECT_EQ(other.Kind, TCollectionKind::Unknown);
    EXPECT_EQ(other.RootClassName, "TForm1");
}

TEST(DxgReader, ReadsWaveEntries) {
    Bytes riff = Riff({{"fmt ", PcmFormat(2, 44100, 16)}, {"data", {1, 2, 3, 4}}});
    auto waves = ReadWaveCollection(WaveFile({
        Bytes{}
            .Prop("Name")
            .String("bonus")
            .Prop("Looped")
            .Bool(true)
            .Prop("MaxPlayingCount")
            .Int8(3)
            .Prop("Wave.WAVE")
            .Binary(riff),
        Bytes{}.Prop("Name").String("neg").Prop("MaxPlayingCount").Int8(-3),
    }));
    ASSERT_EQ(waves.size(), 2u);
    EXPECT_EQ(waves[0].Name, "bonus");
    EXPECT_TRUE(waves[0].Looped);
    EXPECT_EQ(waves[0].MaxPlayingCount, 3);
    EXPECT_EQ(waves[0].Wave.FormatTag(), 1);
    EXPECT_EQ(waves[0].Wave.Channels(), 2);
    EXPECT_EQ(waves[0].Wave.SamplesPerSec(), 44100u);
    EXPECT_EQ(waves[0].Wave.BitsPerSample(), 16);
    EXPECT_EQ(waves[0].Wave.Data, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(waves[1].MaxPlayingCount, 0); // negative counts are stored as 0
    EXPECT_TRUE(waves[1].Wave.Empty());
    EXPECT_EQ(waves[1].Wave.FormatTag(), 0);
}

TEST(RiffWave, ChunkWalkRules) {
    const Bytes fmt = PcmFormat(1, 22050, 8);
    struct Case {
        const char* Name;
        Bytes Riff;
        std::vector<uint8_t> Format, Data;
    };
    const std::vector<Case> cases = {
        {"odd chunk skipped without pad byte",
         Riff({{"LIST", {9, 9, 9}}, {"fmt ", fmt}, {"data", {5, 6, 7}}}),
         fmt,
         {5, 6, 7}},
        {"last data chunk wins",
         Riff({{"fmt ", fmt}, {"data", {1, 1}}, {"data", {2, 2, 2}}}),
         fmt,
         {2, 2, 2}},
        {"zero identifier ends the walk",
         Riff({{"fmt ", fmt}, {"data", {1}}, {std::string(4, '\0'), {}}, {"data", {2}}}),
         fmt,
         {1}},
        {"a chunk past the end ends the walk",
         Riff({{"fmt ", fmt}, {"data", {3}}, {"junk", {1, 2}, 1000}}),
         fmt,
         {3}},
        {"fmt taken whole, with extra bytes",
         Riff({{"fmt ", {1, 0, 2, 0, 9, 9}}}),
         {1, 0, 2, 0, 9, 9},
         {}},
        {"header alone", Riff({}), {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TWave wave = ReadRiffWave(c.Riff);
        EXPECT_EQ(wave.Format, c.Format);
        EXPECT_EQ(wave.Data, c.Data);
    }
}

TEST(RiffWave, InvalidWavesAreRejected) {
    Bytes notRiff = Riff({});
    notRiff[0] = 'X';
    Bytes notWave = Riff({});
    notWave[11] = 'X';
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"not RIFF", notRiff},
        {"not WAVE", notWave},
        {"too short", Bytes{}.Raw("RIFF")},
        {"data longer than the file", Riff({{"data", {1, 2}, 3}})},
        {"fmt longer than the file", Riff({{"fmt ", {1, 2}, 0xFFFFFFFF - 1}})},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MessageOf<EWaveStreamError>([&] { ReadRiffWave(bytes); }), "Wave is invalid");
    }
    // Inside a collection the wave error stops the load too.
    EXPECT_EQ(MessageOf<EWaveStreamError>([&] {
                  ReadWaveCollection(WaveFile({Bytes{}.Prop("Wave.WAVE").Binary(notRiff)}));
              }),
              "Wave is invalid");
}

TEST(ReadWholeFile, ReadsAFileAndNamesTheOneItCannotOpen) {
    auto path = std::filesystem::temp_directory_path() / "skyvern_readwholefile_test.bin";
    { std::ofstream(path, std::ios::binary) << "abc"; }
    EXPECT_EQ(ReadWholeFile(path.string()), (std::vector<uint8_t>{'a', 'b', 'c'}));
    std::filesystem::remove(path);
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadWholeFile(path.string()); }),
              "Cannot open file \"" + path.string() + "\". No such file or directory");
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadWholeFile("/"); }),
              "Cannot open file \"/\". Is a directory");
}

namespace {

// A file of `size` bytes that takes no disk: `head` at its start, holes after it.
std::string SparseFile(const std::string& name, const Bytes& head, off_t size) {
    auto path = (std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid())))
                    .string();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    bool ok = fd >= 0 && ::write(fd, head.data(), head.size()) == ssize_t(head.size()) &&
              ::ftruncate(fd, size) == 0;
    if (fd >= 0) ::close(fd);
    return ok ? path : "";
}

} // namespace

// What cannot be a collection file is refused from its header, before the rest is read; what
// has a good header is never read further than the reader walks.
TEST(CollectionFile, CheckTheHeaderBeforeReadingTheRest) {
    const off_t huge = off_t(50) << 30;
    const Bytes good = PictureFile({Bytes{}.Prop("Name").String("hero")});
    std::string zeros = SparseFile("skyvern_sparse_zeros", {}, huge);
    std::string headed = SparseFile("skyvern_sparse_headed", good, huge);
    if (zeros.empty() || headed.empty()) GTEST_SKIP() << "no sparse files here";

    for (const std::string& path : {std::string("/dev/zero"), zeros}) {
        SCOPED_TRACE(path);
        TCollectionFile file(path);
        EXPECT_EQ(MessageOf<EReadError>([&] { file.Bytes(); }), "Invalid stream format");
    }
    TCollectionFile file(headed);
    EXPECT_EQ(file.Bytes().size(), size_t(huge));
    auto data = ReadPictureCollection(file.Bytes());
    ASSERT_EQ(data.Items.size(), 1u);
    EXPECT_EQ(data.Items[0].Name, "hero");
    std::filesystem::remove(zeros);
    std::filesystem::remove(headed);

    EXPECT_EQ(MessageOf<EReadError>([] { TCollectionFile("/"); }),
              "Cannot open file \"/\". Is a directory");
    EXPECT_EQ(MessageOf<EReadError>([] { TCollectionFile("/no/such/file.dxg"); }),
              "Cannot open file \"/no/such/file.dxg\". No such file or directory");
}

// A pipe has no size: it is read as far as the header states, not until it ends.
TEST(CollectionFile, APipeIsReadNoFurtherThanTheStatedLength) {
    const Bytes good = PictureFile({Bytes{}.Prop("Name").String("hero")});
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    auto oldPipeHandler = std::signal(SIGPIPE, SIG_IGN); // the writer learns of the close by EPIPE
    std::thread writer([&] {
        Bytes flood = good;
        flood.resize(good.size() + (1 << 20), 0xAB);
        for (size_t done = 0; done < flood.size();) {
            ssize_t n = ::write(fds[1], flood.data() + done, flood.size() - done);
            if (n <= 0) break;
            done += size_t(n);
        }
        ::close(fds[1]);
    });
    {
        TCollectionFile file("/proc/self/fd/" + std::to_string(fds[0]));
        EXPECT_EQ(Bytes(file.Bytes().begin(), file.Bytes().end()), good);
        ::close(fds[0]); // ends the writer, which has more to say
    }
    writer.join();
    std::signal(SIGPIPE, oldPipeHandler);
}

namespace {

// A side x side RLE8 picture of one colour: runs of 255 and an end of line per row, about
// 100 pixels per byte, well within what one run-length picture may expand to.
Bytes FlatRle8(int side) {
    Bytes d;
    d.U32(40).U32(side).U32(side).U16(1).U16(8).U32(1).U32(0).U32(0).U32(0).U32(2).U32(0);
    d.U32(0).U32(0x00336699);
    for (int y = 0; y < side; ++y) {
        for (int left = side; left > 0; left -= 255)
            d.U8(std::min(left, 255)).U8(1);
        d.U8(0).U8(0);
    }
    return d.U8(0).U8(1);
}

} // namespace

// Each picture is capped, but a file of many small run-length entries is bounded only by a
// total in proportion to its size.
TEST(DxgReader, PicturesOfOneFileShareADecodeBudgetInProportionToItsSize) {
    int side = 1;
    while (int64_t(side) * side < kDecodeBudgetFloor)
        side *= 2;
    const Bytes rle = FlatRle8(side);
    const Bytes entry = Bytes{}.Prop("Picture.Data").Binary(GraphicData("TDIB", rle));
    ASSERT_LT(int64_t(2) * rle.size() * kDecodeBudgetPerByte, kDecodeBudgetFloor)
        << "the fixture must be small enough that only the floor counts";

    auto one = ReadPictureCollection(PictureFile({entry}));
    ASSERT_EQ(one.Items.size(), 1u);
    EXPECT_EQ(one.Items[0].Picture.Width(), side);
    EXPECT_EQ(one.Items[0].Picture.Pixel(side - 1, side - 1), 0x336699u);

    EXPECT_EQ(MessageOf<EInvalidGraphic>([&] {
                  ReadPictureCollection(PictureFile({entry, entry}));
              }),
              "DIB is invalid");

    // The same two entries in a file large enough to pay for them.
    const size_t padding = size_t(2 * kDecodeBudgetFloor / kDecodeBudgetPerByte);
    Bytes padded = Bytes{}.Prop("List.ColorTable").Binary(Bytes(padding, 0));
    padded.Add(ListOf({entry, entry}));
    auto two = ReadPictureCollection(CollectionFile("TPictureCollectionComponent", padded));
    EXPECT_EQ(two.Items.size(), 2u);
}

TEST(DxgReader, TheShippedPictureFilesDecodeWithinTheirBudget) {
    for (const char* name : {"/data/menu.dxg", "/data/gamegraphic.dxg"}) {
        SCOPED_TRACE(name);
        TCollectionFile file(std::string(SKYVERN_GAME_DIR) + name);
        EXPECT_GT(ReadPictureCollection(file.Bytes()).Items.size(), 0u);
    }
}

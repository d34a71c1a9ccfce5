// DxgTool_test.cpp -- dxgtool's list output, extract/pack round trips, manifests and errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "DxgTool.h"
#include "Manifest.h"
#include "PngFile.h"
#include "graphics/DibDecoder.h"
#include "graphics/DxgReader.h"
#include "graphics/DxgWriter.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int Status;
    std::string Out, Err;
};

Result Tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = RunDxgTool(args, out, err);
    return {status, out.str(), err.str()};
}

// A scratch directory per test, removed afterwards.
class DxgToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("dxgtool_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name)) << text;
    }
    fs::path dir_;
};

TPictureItemData Picture(const std::string& name, int w, int h) {
    TPictureItemData e;
    e.Name = name;
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint32_t(i * 40503u) & 0xFFFFFF;
    e.Picture.Assign(w, h, std::move(pixels));
    return e;
}

std::vector<TPictureItemData> SamplePictures() {
    auto hero = Picture("hero", 100, 40);
    hero.PatternWidth = 20;
    hero.PatternHeight = 40;
    hero.TransparentColor = 0x00FF00FF;
    auto strip = Picture("strip", 1200, 64);
    strip.PatternWidth = strip.PatternHeight = 64;
    strip.SystemMemory = true;
    auto gaps = Picture("gap\tname\\", 52, 10);
    gaps.PatternWidth = gaps.PatternHeight = 10;
    gaps.SkipWidth = 2;
    gaps.Transparent = false;
    gaps.BitCount = 32;
    TPictureItemData empty;
    empty.Name = "empty";
    empty.TransparentColor = 0xFF00000F;
    return {hero, strip, gaps, empty};
}

std::vector<TWaveItemData> SampleWaves() {
    TWaveItemData a;
    a.Name = "bonus";
    a.MaxPlayingCount = 2;
    a.Wave = PcmWave(22050, 1, 16, {1, 2, 3, 4, 5, 6});
    TWaveItemData b;
    b.Name = "loop";
    b.Looped = true;
    b.Wave = PcmWave(44100, 2, 8, {7, 8, 9});
    return {a, b};
}

} // namespace

TEST_F(DxgToolTest, ListsPictures) {
    Write("p.dxg", WritePictureCollection(SamplePictures()));
    Result r = Tool({"list", Path("p.dxg")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "0\thero\t100\t40\t20\t40\t0\t0\t1\t0x00FF00FF\t5\n"
                     "1\tstrip\t1200\t64\t64\t64\t0\t0\t1\t0x00000000\t18\n"
                     "2\tgap\\x09name\\x5C\t52\t10\t10\t10\t2\t0\t0\t0x00000000\t4\n"
                     "3\tempty\t0\t0\t0\t0\t0\t0\t1\t0xFF00000F\t0\n");
}

TEST_F(DxgToolTest, ListsWaves) {
    Write("w.dxw", WriteWaveCollection(SampleWaves()));
    Result r = Tool({"list", Path("w.dxw")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "0\tbonus\t0\t2\t1\t1\t22050\t16\t6\n"
                     "1\tloop\t1\t0\t1\t2\t44100\t8\t3\n");
}

// Neither a device without end nor a huge sparse file may be read before its header is seen.
TEST_F(DxgToolTest, WhatCannotBeACollectionIsRefusedFromItsHeader) {
    { std::ofstream(Path("sparse.dxg")); }
    if (::truncate(Path("sparse.dxg").c_str(), off_t(50) << 30) != 0)
        GTEST_SKIP() << "no sparse files here";
    for (const std::string& file : {Path("sparse.dxg"), std::string("/dev/zero")}) {
        for (std::string command : {"list", "extract"}) {
            SCOPED_TRACE(command + " " + file);
            std::vector<std::string> args = {command, file};
            if (command == "extract") args.push_back(Path("out"));
            Result r = Tool(args);
            EXPECT_EQ(r.Status, 1);
            EXPECT_EQ(r.Err, "Invalid stream format\n");
        }
    }
    // Nor may pack read a manifest, or a file it names, without end.
    WriteText("m.txt", "collection waves\nwave\nname w\nfile /dev/zero\n");
    for (const std::string& manifest :
         {Path("sparse.dxg"), std::string("/dev/zero"), Path("m.txt")}) {
        SCOPED_TRACE("pack " + manifest);
        Result r = Tool({"pack", manifest, Path("o.dxw")});
        EXPECT_EQ(r.Status, 1);
        std::string named = manifest == Path("m.txt") ? "/dev/zero" : manifest;
        EXPECT_EQ(r.Err, "Cannot open file \"" + named + "\". File too large\n");
    }
}

TEST_F(DxgToolTest, ErrorsPrintTheLibraryMessage) {
    auto bad = WritePictureCollection(SamplePictures());
    bad[0] = 0;
    Write("bad.dxg", bad);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"list", Path("bad.dxg")}, "Invalid stream format\n"},
        {{"list", Path("missing.dxg")},
         "Cannot open file \"" + Path("missing.dxg") + "\". No such file or directory\n"},
        {{"extract", Path("bad.dxg"), Path("out")}, "Invalid stream format\n"},
        {{"pack", Path("missing.txt"), Path("o.dxg")},
         "Cannot open file \"" + Path("missing.txt") + "\". No such file or directory\n"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        Result r = Tool(args);
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, message);
        EXPECT_EQ(r.Out, "");
    }
    EXPECT_EQ(Tool({}).Status, 2);
    EXPECT_EQ(Tool({"list"}).Status, 2);
    EXPECT_EQ(Tool({"frobnicate", "x"}).Status, 2);
    Result help = Tool({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("Manifest format"), std::string::npos);
}

TEST_F(DxgToolTest, ExtractThenPackKeepsPicturesAndProperties) {
    TPictureCollectionData written;
    written.Items = SamplePictures();
    written.ColorTable[5] = 0xAB;
    auto original = WritePictureCollection(written);
    Write("p.dxg", original);
    ASSERT_EQ(Tool({"extract", Path("p.dxg"), Path("x")}).Status, 0);
    EXPECT_TRUE(fs::exists(Path("x/000_hero.png")));
    EXPECT_TRUE(fs::exists(Path("x/002_gap_name_.png")));
    Result packed = Tool({"pack", Path("x/manifest.txt"), Path("again.dxg")});
    ASSERT_EQ(packed.Status, 0) << packed.Err;

    auto a = ReadPictureCollection(original);
    auto b = ReadPictureCollection(ReadWholeFile(Path("again.dxg")));
    EXPECT_EQ(a.ColorTable, b.ColorTable);
    ASSERT_EQ(a.Items.size(), b.Items.size());
    for (size_t i = 0; i < a.Items.size(); ++i) {
        const auto &x = a.Items[i], &y = b.Items[i];
        SCOPED_TRACE(x.Name);
        EXPECT_EQ(x.Name, y.Name);
        EXPECT_EQ(x.PatternWidth, y.PatternWidth);
        EXPECT_EQ(x.PatternHeight, y.PatternHeight);
        EXPECT_EQ(x.SkipWidth, y.SkipWidth);
        EXPECT_EQ(x.SkipHeight, y.SkipHeight);
        EXPECT_EQ(x.SystemMemory, y.SystemMemory);
        EXPECT_EQ(x.Transparent, y.Transparent);
        EXPECT_EQ(x.TransparentColor, y.TransparentColor);
        ASSERT_EQ(x.Picture.Width(), y.Picture.Width());
        ASSERT_EQ(x.Picture.Height(), y.Picture.Height());
        size_t n = size_t(x.Picture.Width()) * size_t(x.Picture.Height());
        if (n) {
            EXPECT_TRUE(std::equal(x.Picture.Pixels(), x.Picture.Pixels() + n, y.Picture.Pixels()));
        }
    }
    // Listing both gives the same lines.
    EXPECT_EQ(Tool({"list", Path("p.dxg")}).Out, Tool({"list", Path("again.dxg")}).Out);
}

// Graphics that decode to no picture cannot go out as PNG; they must still come back.
TEST_F(DxgToolTest, ExtractThenPackKeepsGraphicsItCannotShow) {
    auto graphic = [](const std::string& className, std::vector<uint8_t> data) {
        data.insert(data.begin(), className.begin(), className.end());
        data.insert(data.begin(), uint8_t(className.size()));
        return data;
    };
    // An icon whose one image is a PNG (only the signature matters to the decoder).
    std::vector<uint8_t> pngIcon = {0, 0, 1,    0,   1,   0,   16,   16,   0,    0,
                                    1, 0, 32,   0,   8,   0,   0,    0,    22,   0,
                                    0, 0, 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<TPictureItemData> entries = {Picture("shown", 5, 3)};
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> kept = {
        {"meta", graphic("TMetafile", {12, 0, 0, 0, 1, 0, 0, 0, 'E', 'M', 'F', 0})},
        {"jpeg", graphic("TJPEGImage", {0xFF, 0xD8, 0xFF, 0xE0})},
        {"pngicon", graphic("TIcon", pngIcon)},
        {"emptymeta", graphic("TMetafile", {4, 0, 0, 0})},
    };
    for (const auto& [name, data] : kept) {
        TPictureItemData& e = entries.emplace_back();
        e.Name = name;
        e.PictureData = data;
        e.PatternWidth = 7;
    }
    auto original = WritePictureCollection(entries);
    Write("p.dxg", original);
    ASSERT_EQ(Tool({"extract", Path("p.dxg"), Path("x")}).Status, 0);
    Result packed = Tool({"pack", Path("x/manifest.txt"), Path("again.dxg")});
    ASSERT_EQ(packed.Status, 0) << packed.Err;
    EXPECT_EQ(ReadWholeFile(Path("again.dxg")), original) << "a round trip lost data";
    auto read = ReadPictureCollection(ReadWholeFile(Path("again.dxg")));
    for (size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(read.Items[1 + i].PictureData, kept[i].second);
}

// Every picture the reader accepts goes out as PNG and comes back pixel for pixel, up to the
// largest side it takes.
TEST_F(DxgToolTest, ExtractThenPackTakesPicturesAsLargeAsTheReaderDoes) {
    std::vector<TPictureItemData> entries = {Picture("wide", kMaxDibSide, 2),
                                             Picture("tall", 1, kMaxDibSide)};
    auto original = WritePictureCollection(entries);
    Write("p.dxg", original);
    Result extracted = Tool({"extract", Path("p.dxg"), Path("x")});
    ASSERT_EQ(extracted.Status, 0) << extracted.Err;
    Result packed = Tool({"pack", Path("x/manifest.txt"), Path("again.dxg")});
    ASSERT_EQ(packed.Status, 0) << packed.Err;
    EXPECT_TRUE(ReadWholeFile(Path("again.dxg")) == original);
}

TEST_F(DxgToolTest, ExtractThenPackKeepsWaves) {
    auto waves = SampleWaves();
    // An odd format block (no byte rate, an extension longer than the bytes after it) comes
    // back as it was, as long as the mixer plays the wave: 8-bit stereo PCM.
    waves[1].Wave.Format = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0, 0, 0, 0, 1, 0, 8, 0, 4, 0, 1, 2};
    auto original = WriteWaveCollection(waves);
    Write("w.dxw", original);
    ASSERT_EQ(Tool({"extract", Path("w.dxw"), Path("x")}).Status, 0);
    ASSERT_EQ(Tool({"pack", Path("x/manifest.txt"), Path("again.dxw")}).Status, 0);
    EXPECT_EQ(ReadWholeFile(Path("again.dxw")), original);
}

TEST_F(DxgToolTest, PackReadsAHandWrittenManifest) {
    // A PNG from extract of a one-picture file, then a manifest written by hand around it.
    auto pic = Picture("a", 3, 2);
    Write("one.dxg", WritePictureCollection({pic}));
    ASSERT_EQ(Tool({"extract", Path("one.dxg"), Path("x")}).Status, 0);
    WriteText("x/hand.txt", "# comment\n"
                            "collection pictures\n"
                            "\n"
                            "picture\n"
                            "name Big\\x20Dragon\n"
                            "file 000_a.png\n"
                            "patternwidth 0x10\n"
                            "transparentcolor 0xFF000005\r\n"
                            "picture\n"
                            "name blank\n"
                            "file -\n");
    Result r = Tool({"pack", Path("x/hand.txt"), Path("hand.dxg")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    auto data = ReadPictureCollection(ReadWholeFile(Path("hand.dxg")));
    ASSERT_EQ(data.Items.size(), 2u);
    EXPECT_EQ(data.Items[0].Name, "Big Dragon");
    EXPECT_EQ(data.Items[0].PatternWidth, 16);
    EXPECT_EQ(data.Items[0].TransparentColor, 0xFF000005u);
    EXPECT_TRUE(data.Items[0].Transparent);
    EXPECT_EQ(data.Items[0].Picture.Pixel(2, 1), pic.Picture.Pixels()[5]);
    EXPECT_TRUE(data.Items[1].Picture.Empty());
}

TEST_F(DxgToolTest, BadManifestsAreRefusedWithTheirLine) {
    const std::string m = Path("m.txt") + ": ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"picture\n", m + "line 1: the manifest must start with a \"collection\" line"},
        {"collection sounds\n", m + "line 1: collection must be \"pictures\" or \"waves\""},
        {"collection pictures\npicture\nfile a.png\ncolour red\n",
         m + "line 4: unknown key \"colour\""},
        {"collection pictures\npicture\nfile a.png\npatternwidth 12x\n",
         m + "line 4: not a number"},
        {"collection pictures\npicture\nfile a.png\ntransparent 2\n",
         m + "line 4: number out of range"},
        {"collection pictures\npicture\nname a\\q\n", m + "line 3: bad escape in name"},
        {"collection waves\nwave\nname a\n", m + "wave \"a\" has no file"},
        {"collection pictures\npicture\nfile a.png\nbitcount 16\n",
         m + "line 4: bitcount must be 24 or 32"},
        {"collection pictures\npicture\nfile nothere.png\n",
         "Cannot open file \"" + Path("nothere.png") + "\". No such file or directory"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        WriteText("m.txt", text);
        Result r = Tool({"pack", Path("m.txt"), Path("o.dxg")});
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, message + "\n");
    }
}

TEST(DxgToolManifest, NamesSurviveEscaping) {
    const std::string names[] = {"plain",       "with space", "tab\there",
                                 "back\\slash", "nl\nx",      std::string("nul\0x", 5),
                                 "\x7F\xC3\xA9"};
    for (const auto& name : names)
        EXPECT_EQ(UnescapeName(EscapeName(name)), name);
}

TEST_F(DxgToolTest, TheProgramExitsWithTheStatus) {
    auto bad = WriteWaveCollection(SampleWaves());
    bad[1] = 11;
    Write("bad.dxw", bad);
    std::string command =
        std::string(DXGTOOL_PATH) + " list " + Path("bad.dxw") + " 2>" + Path("err.txt");
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream err(Path("err.txt"));
    std::string line;
    std::getline(err, line);
    EXPECT_EQ(line, "Invalid stream format");
}

// pack writes nothing the game would then refuse: a wave its mixer does not play, waves that
// together convert beyond the file's budget, a picture its reader does not take.
TEST_F(DxgToolTest, PackRefusesWhatTheGameWouldRefuse) {
    auto wave = [](void (*change)(TWave&)) {
        TWave w = PcmWave(22050, 1, 16, std::vector<uint8_t>(64, 1));
        change(w);
        return w;
    };
    struct Case {
        const char* what;
        TWave wave;
        std::string reason;
    } cases[] = {
        {"24-bit", wave([](TWave& w) { w.Format[14] = 24; }),
         "24 bits per sample: only 8 or 16 are played"},
        {"float", wave([](TWave& w) {
             w.Format[0] = 3;
             w.Format[14] = 32;
         }),
         "format 3 is not plain PCM (1)"},
        {"no channels", wave([](TWave& w) { w.Format[2] = 0; }),
         "0 channels: only 1 or 2 are played"},
        {"0 Hz", wave([](TWave& w) { std::fill(w.Format.begin() + 4, w.Format.begin() + 8, 0); }),
         "no sample rate"},
        {"1 Hz", wave([](TWave& w) {
             std::fill(w.Format.begin() + 5, w.Format.begin() + 8, 0);
             w.Format[4] = 1;
         }),
         "a rate of 1 Hz grows more than 128 times at 44100 Hz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write("ok.wav", WriteRiffWave(PcmWave(22050, 1, 8, {1, 2, 3})));
        Write("bad.wav", WriteRiffWave(c.wave));
        WriteText("m.txt", "collection waves\nwave\nname fine\nfile ok.wav\n"
                           "wave\nname odd\\x20one\nfile bad.wav\n");
        fs::remove(Path("o.dxw"));
        Result r = Tool({"pack", Path("m.txt"), Path("o.dxw")});
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, "wave 1 \"odd one\" (bad.wav): " + c.reason + "\n");
        EXPECT_FALSE(fs::exists(Path("o.dxw")));
    }

    // Three waves of 800 Hz, each within its growth, but together past the budget of the file.
    std::string manifest = "collection waves\n";
    Write("slow.wav", WriteRiffWave(PcmWave(800, 1, 16, std::vector<uint8_t>(72000, 1))));
    for (int i = 0; i < 3; ++i)
        manifest += "wave\nname s" + std::to_string(i) + "\nfile slow.wav\n";
    WriteText("slow.txt", manifest);
    Result r = Tool({"pack", Path("slow.txt"), Path("o.dxw")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("the waves together convert to 23814000 bytes"), std::string::npos)
        << r.Err;
    WriteText("two.txt", manifest.substr(0, manifest.rfind("wave\n")));
    EXPECT_EQ(Tool({"pack", Path("two.txt"), Path("o.dxw")}).Status, 0) << "two fit";

    // One pixel beyond the largest side the reader takes.
    std::vector<uint32_t> row(size_t(kMaxDibSide) + 1, 0x123456);
    WritePng(Path("wide.png"), kMaxDibSide + 1, 1, row.data());
    WriteText("p.txt", "collection pictures\npicture\nname small\nfile -\n"
                       "picture\nname wide\nfile wide.png\n");
    r = Tool({"pack", Path("p.txt"), Path("o.dxg")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("picture 1 \"wide\" (wide.png): ", 0), 0u) << r.Err;
    EXPECT_FALSE(fs::exists(Path("o.dxg")));
}

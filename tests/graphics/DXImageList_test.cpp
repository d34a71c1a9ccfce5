// DXImageList_test.cpp -- cutting pictures into frames and tiles, drawing frames, lookup and
// the attach / detach / rebuild lifecycle of the image library.
#include <gtest/gtest.h>

#include <malloc.h>

#include "graphics/DXImageList.h"
#include "graphics/ImageTestSupport.h"
#include "platform/headless/HeadlessPlatform.h"

using namespace imagetest;

namespace {

// Where frame n's top-left pixel came from in the picture, read back through a real draw.
uint32_t FirstPixelOfFrame(const TPictureCollectionItem& item, int n) {
    TDirectDrawSurface dest;
    dest.SetSize(4, 4);
    dest.Fill(0);
    item.DrawPattern(&dest, 0, 0, n);
    return dest.Pixel(0, 0);
}

} // namespace

struct CutCase {
    const char* what;
    ItemSpec spec;
    std::vector<TRect> tiles; // each surface's size as (0, 0, w, h)
    int frames;
    int frame;          // one frame to look at
    TRect frameRect;    // its rectangle in its surface
    int frameTile;      // index of its surface
    int frameX, frameY; // its top-left in the picture
};

TEST(PictureCutting, TilesAndFramesFollowThePictureLayout) {
    const CutCase cases[] = {
        {"whole picture", {"a", 100, 40}, {{0, 0, 100, 40}}, 1, 0, {0, 0, 100, 40}, 0, 0, 0},
        {"five columns",
         {"b", 100, 40, 20, 40},
         {{0, 0, 100, 40}},
         5,
         4,
         {80, 0, 100, 40},
         0,
         80,
         0},
        {"strip, second tile",
         {"c", 1200, 64, 64, 64},
         {{0, 0, 512, 64}, {0, 0, 512, 64}, {0, 0, 176, 64}},
         18,
         8,
         {0, 0, 64, 64},
         1,
         512,
         0},
        {"strip, third tile",
         {"c", 1200, 64, 64, 64},
         {{0, 0, 512, 64}, {0, 0, 512, 64}, {0, 0, 176, 64}},
         18,
         17,
         {64, 0, 128, 64},
         2,
         1088,
         0},
        {"gaps",
         {"d", 52, 10, 10, 10, 2},
         {{0, 0, 48, 10}, {0, 0, 4, 10}},
         4,
         3,
         {36, 0, 46, 10},
         0,
         36,
         0},
        {"gaps, system memory",
         {"e", 52, 10, 10, 10, 2, 0, true},
         {{0, 0, 52, 10}},
         4,
         2,
         {24, 0, 34, 10},
         0,
         24,
         0},
        {"grid, tile rows",
         {"f", 1100, 1100, 100, 100},
         {{0, 0, 600, 600}, {0, 0, 500, 600}, {0, 0, 600, 500}, {0, 0, 500, 500}},
         121,
         7 * 11 + 8,
         {200, 100, 300, 200},
         3,
         800,
         700},
        {"row gaps, second tile row",
         {"g", 30, 610, 10, 10, 0, 2},
         {{0, 0, 30, 516}, {0, 0, 30, 94}},
         153,
         43 * 3 + 2,
         {20, 0, 30, 10},
         1,
         20,
         516},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.what);
        TestCollection collection;
        TPictureCollectionItem& item = AddItem(collection, c.spec);
        int promised = item.PatternCount();
        BuildAll(collection);

        ASSERT_EQ(item.Surfaces().size(), c.tiles.size());
        for (size_t i = 0; i < c.tiles.size(); ++i) {
            EXPECT_EQ(item.Surfaces()[i]->ClientRect(), c.tiles[i]) << "tile " << i;
            EXPECT_EQ(item.Surfaces()[i]->SystemMemory, c.spec.systemMemory);
        }
        EXPECT_EQ(item.PatternCount(), c.frames);
        if (c.spec.patternWidth > 0) {
            EXPECT_EQ(promised, c.frames) << "count before surfaces";
        }
        EXPECT_EQ(item.PatternRect(c.frame), c.frameRect);
        EXPECT_EQ(item.PatternSurface(c.frame), item.Surfaces()[size_t(c.frameTile)].get());
        EXPECT_EQ(FirstPixelOfFrame(item, c.frame), Marker(c.frameX, c.frameY));
    }
}

TEST(PictureCutting, FramesAreNumberedAcrossThenDown) {
    TestCollection collection;
    TPictureCollectionItem& item = AddItem(collection, {"grid", 40, 30, 10, 10, 0, 0});
    BuildAll(collection);
    ASSERT_EQ(item.PatternCount(), 12);
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(FirstPixelOfFrame(item, n), Marker(n % 4 * 10, n / 4 * 10)) << n;
}

TEST(PictureCutting, OutOfRangeFramesAreEmptyAndDrawNothing) {
    TestCollection collection;
    TPictureCollectionItem& item = AddItem(collection, {"five", 100, 40, 20, 40});
    BuildAll(collection);
    for (int n : {-1, 5, 1000}) {
        EXPECT_EQ(item.PatternRect(n), TRect{}) << n;
        EXPECT_EQ(item.PatternSurface(n), nullptr) << n;
        EXPECT_EQ(FirstPixelOfFrame(item, n), 0u) << n;
    }
}

TEST(PictureCutting, PictureSmallerThanOneFrameHasNoFrames) {
    for (bool systemMemory : {false, true}) {
        TestCollection collection;
        TPictureCollectionItem& item =
            AddItem(collection, {"small", 30, 30, 64, 64, 0, 0, systemMemory});
        BuildAll(collection);
        EXPECT_EQ(item.PatternCount(), 0) << systemMemory;
        EXPECT_EQ(item.Patterns().size(), 0u);
        EXPECT_EQ(FirstPixelOfFrame(item, 0), 0u);
    }
}

static size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// A picture cut into 1 x 1 frames must not keep a rectangle per pixel: the surfaces (at most a
// copy of the pixels) and little else.
TEST(PictureCutting, OnePixelFramesTakeMemoryInProportionToThePicture) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator does not report through mallinfo2";
#endif
    constexpr int kSide = 1024;
    const size_t pixelBytes = size_t(kSide) * kSide * 4;
    for (bool systemMemory : {false, true}) {
        SCOPED_TRACE(systemMemory);
        TestCollection collection;
        TPictureCollectionItem& item =
            AddItem(collection, {"dust", kSide, kSide, 1, 1, 0, 0, systemMemory});
        const size_t before = HeapInUse();
        BuildAll(collection);
        const size_t used = HeapInUse() - before;
        EXPECT_LE(used, pixelBytes + pixelBytes / 4) << "bytes taken by the build";
        ASSERT_EQ(item.PatternCount(), kSide * kSide);
        for (int n : {0, kSide - 1, kSide * 513 + 700, kSide * kSide - 1}) {
            EXPECT_EQ(FirstPixelOfFrame(item, n), Marker(n % kSide, n / kSide)) << n;
            EXPECT_EQ(item.PatternRect(n).Width(), 1);
        }
    }
}

TEST(PictureCutting, CountBeforeSurfacesCountsALastFrameWithoutItsGap) {
    struct Case {
        int w, pw, sw, count;
    } cases[] = {{100, 20, 0, 5}, {52, 10, 2, 4}, {46, 10, 2, 4}, {45, 10, 2, 3}, {9, 10, 0, 0}};
    for (const Case& c : cases) {
        TestCollection collection;
        TPictureCollectionItem& item = AddItem(collection, {"x", c.w, 10, c.pw, 10, c.sw});
        EXPECT_EQ(item.PatternCount(), c.count) << c.w << " " << c.pw << " " << c.sw;
        BuildAll(collection);
        EXPECT_EQ(item.PatternCount(), c.count) << "built";
    }
}

TEST(PictureCutting, WritingPatternSizesLaterKeepsTheBuiltFrames) {
    TestCollection collection;
    TPictureCollectionItem& item = AddItem(collection, {"scale", 200, 10, 1, 10});
    BuildAll(collection);
    item.PatternWidth = 50;
    EXPECT_EQ(item.FrameWidth(), 50);
    EXPECT_EQ(item.PatternCount(), 200);
    EXPECT_EQ(item.PatternRect(120), (TRect{120, 0, 121, 10}));
}

TEST(PictureCutting, EmptyPictureKeepsNoFrames) {
    TestCollection collection;
    TPictureCollectionItem& item = collection.Add();
    BuildAll(collection);
    EXPECT_TRUE(item.Ready());
    EXPECT_TRUE(item.Surfaces().empty());
}

TEST(PictureDrawing, TransparentColourIsSkippedOnlyWhenTransparent) {
    // Key colour red as a TColor (0x0000FF) is 0xFF0000 as a pixel.
    auto picture = [](int x, int) { return x % 2 ? 0xFF0000u : 0x00FF00u; };
    for (bool transparent : {true, false}) {
        TestCollection collection;
        TPictureCollectionItem& item = collection.Add();
        item.Picture = MakePicture(4, 1, picture);
        item.Transparent = transparent;
        item.SetTransparentColor(clRed);
        BuildAll(collection);

        TDirectDrawSurface dest;
        dest.SetSize(6, 3);
        dest.Fill(0x123456);
        item.DrawPattern(&dest, 1, 1, 0);
        for (int x = 0; x < 4; ++x) {
            uint32_t expected = picture(x, 0);
            if (transparent && expected == 0xFF0000u) expected = 0x123456;
            EXPECT_EQ(dest.Pixel(1 + x, 1), expected) << transparent << " x " << x;
        }
        EXPECT_EQ(dest.Pixel(0, 1), 0x123456u);
        EXPECT_EQ(dest.Pixel(5, 1), 0x123456u);
    }
}

TEST(PictureDrawing, ChangingTheTransparentColourRekeysEverySurface) {
    TestCollection collection;
    TPictureCollectionItem& item = AddItem(collection, {"strip", 1200, 64, 64, 64});
    item.SetTransparentColor(clFuchsia);
    BuildAll(collection);
    ASSERT_EQ(item.Surfaces().size(), 3u);
    for (auto& s : item.Surfaces())
        EXPECT_EQ(s->ColorKey(), 0xFF00FFu);

    item.SetTransparentColor(0x0000FF80); // blue 0x00, green 0xFF, red 0x80
    for (auto& s : item.Surfaces())
        EXPECT_EQ(s->ColorKey(), 0x80FF00u);

    // Setting the value it already has leaves the surfaces alone.
    item.Surfaces()[1]->SetColorKey(7);
    item.SetTransparentColor(0x0000FF80);
    EXPECT_EQ(item.Surfaces()[1]->ColorKey(), 7u);

    // A new build keys with the colour in force.
    collection.RebuildSurfaces();
    for (auto& s : item.Surfaces())
        EXPECT_EQ(s->ColorKey(), 0x80FF00u);
}

TEST(PictureDrawing, SystemColoursAreResolvedBeforeKeying) {
    TestCollection collection;
    TPictureCollectionItem& item = AddItem(collection, {"x", 8, 8});
    const TColor btnFace = 0xFF00000F;
    item.SetTransparentColor(btnFace);
    BuildAll(collection);
    TDirectDrawSurface probe;
    EXPECT_EQ(item.Surfaces()[0]->ColorKey(), probe.MatchColor(ColorToRGB(btnFace)));
    EXPECT_EQ(ColorToRGB(btnFace) >> 24, 0u);
}

// Loading a file replaces every entry; the old ones go before the file is read (so the two
// never take memory together), yet a file that cannot be read leaves them as they were.
TEST(PictureLibrary, LoadingAFileReplacesTheEntriesUnlessItCannotBeRead) {
    const std::string game = SKYVERN_GAME_DIR;
    struct Case {
        std::string path;
        bool readable;
        bool valid;
    };
    const Case cases[] = {
        {game + "/data/menu.dxg", true, true},
        {game + "/data/no-such-file.dxg", false, false},
        {game + "/data", false, false}, // a folder
        {std::string(SKYVERN_TEST_DATA) + "/fuzz/dxg/header-no-terminator.dxg.input", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TestCollection collection;
        AddItem(collection, {"old", 10, 10});
        if (c.valid) {
            collection.LoadFromFile(c.path);
            EXPECT_EQ(collection.Find("old"), nullptr);
            EXPECT_NE(collection.Find("menuback"), nullptr);
        } else {
            EXPECT_ANY_THROW(collection.LoadFromFile(c.path));
            EXPECT_EQ(collection.Find("old") != nullptr, !c.readable)
                << (c.readable ? "a bad stream leaves no entry" : "the old entry stays");
        }
    }
}

TEST(PictureLibrary, FindImageIgnoresCaseAndTheLaterOfTwoNamesWins) {
    TestCollection collection;
    AddItem(collection, {"hero", 10, 10});
    AddItem(collection, {"enemy1", 10, 10});
    AddItem(collection, {"Hero", 20, 20});
    EXPECT_EQ(collection.FindImage("HERO").Index(), 2);
    EXPECT_EQ(collection.FindImage("enemy1").Index(), 1);
    EXPECT_EQ(&collection.FindImage("ENEMY1"), &collection.Items(1));
    try {
        collection.FindImage("menuback");
        FAIL() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "Image 'menuback' not found");
    }
    EXPECT_THROW(collection.Items(3), std::out_of_range);
}

TEST(PictureLibrary, AttachBuildDetachLifecycle) {
    TestCollection collection;
    TPictureCollectionItem& a = AddItem(collection, {"a", 64, 64});
    TPictureCollectionItem& b = AddItem(collection, {"b", 128, 64, 64, 64});

    // Down: attaching refuses, nothing becomes ready and drawing does nothing.
    collection.up = false;
    try {
        collection.AttachDisplay(nullptr);
        FAIL() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "TPictureCollection cannot be initialized");
    }
    collection.RebuildSurfaces();
    EXPECT_FALSE(a.Ready());
    EXPECT_TRUE(a.Surfaces().empty());
    EXPECT_EQ(FirstPixelOfFrame(a, 0), 0u);

    // Up: attaching makes entries ready but builds nothing; the rebuild does.
    collection.up = true;
    collection.AttachDisplay(nullptr);
    EXPECT_TRUE(a.Ready());
    EXPECT_TRUE(b.Ready());
    EXPECT_TRUE(a.Surfaces().empty());
    collection.RebuildSurfaces();
    EXPECT_EQ(a.Surfaces().size(), 1u);
    EXPECT_EQ(b.PatternCount(), 2);
    EXPECT_EQ(FirstPixelOfFrame(b, 1), Marker(64, 0));

    // Detached: surfaces and frames go, the pictures stay for the next build.
    collection.DetachDisplay();
    EXPECT_FALSE(a.Ready());
    EXPECT_TRUE(a.Surfaces().empty());
    EXPECT_TRUE(b.Patterns().empty());
    EXPECT_EQ(FirstPixelOfFrame(b, 1), 0u);
    EXPECT_EQ(b.Picture.Width(), 128);

    // A rebuild while the display is up attaches an entry that is not ready yet.
    collection.RebuildSurfaces();
    EXPECT_TRUE(b.Ready());
    EXPECT_EQ(FirstPixelOfFrame(b, 1), Marker(64, 0));
}

TEST(PictureLibrary, FreeingAnEntryKeepsLookupsOfTheOthers) {
    TestCollection collection;
    for (const char* name : {"sky", "hero", "tail", "shield"})
        AddItem(collection, {name, 4, 4});
    collection.Delete(1);
    EXPECT_EQ(collection.FindImage("tail").Index(), 1);
    EXPECT_EQ(collection.FindImage("shield").Index(), 2);
    EXPECT_EQ(collection.Find("hero"), nullptr);
}

TEST(ImageListNotices, InitialiseWithoutAnInitialisedDisplayRaises) {
    TDXImageList list;
    AddItem(list.Items, {"a", 8, 8});
    EXPECT_THROW(list.DisplayNotice(nullptr, dxntInitialize), EPictureCollectionError);
    // Other notices are harmless on a detached library.
    for (TDXDrawNotifyType t : {dxntFinalize, dxntRestore, dxntSetSurfaceSize, dxntDestroying})
        list.DisplayNotice(nullptr, t);
    EXPECT_FALSE(list.Items.Items(0).Ready());
    EXPECT_EQ(list.DXDraw(), nullptr);
}

namespace {

struct ImageListOnDisplay : testing::Test {
    platform::HeadlessPlatform platform;
    ImageListOnDisplay() { platform::SetCurrent(&platform); }
    ~ImageListOnDisplay() override { platform::SetCurrent(nullptr); }
};

} // namespace

TEST_F(ImageListOnDisplay, DisplayNoticesBuildReleaseAndRebuildThePictures) {
    TDXDraw display;
    TDXImageList list;
    TPictureCollectionItem& hero = AddItem(list.Items, {"hero", 128, 64, 64, 64});
    list.SetDXDraw(&display); // down: nothing to attach yet
    EXPECT_FALSE(hero.Ready());

    display.Initialize();
    EXPECT_EQ(list.Items.Display(), &display);
    EXPECT_TRUE(hero.Ready());
    ASSERT_EQ(hero.PatternCount(), 2);
    hero.DrawPattern(&display.BackSurface(), 10, 20, 1);
    EXPECT_EQ(display.BackSurface().Pixel(10, 20), Marker(64, 0));

    // A lost surface is rebuilt from the picture kept in memory.
    hero.Surfaces()[0]->Fill(0);
    display.BackSurface().SimulateLoss();
    ASSERT_TRUE(display.CanDraw());
    hero.DrawPattern(&display.BackSurface(), 0, 0, 0);
    EXPECT_EQ(display.BackSurface().Pixel(0, 0), Marker(0, 0));

    display.Finalize();
    EXPECT_FALSE(hero.Ready());
    EXPECT_TRUE(hero.Surfaces().empty());
    EXPECT_EQ(list.Items.Display(), nullptr);

    // Back up (a mode switch): built again before the next frame.
    display.Initialize();
    EXPECT_TRUE(hero.Ready());
    EXPECT_EQ(hero.PatternCount(), 2);
}

TEST_F(ImageListOnDisplay, JoiningARunningDisplayBuildsAtOnceAndLeavingReleases) {
    TDXDraw display;
    display.Initialize();
    TDXImageList list;
    TPictureCollectionItem& item = AddItem(list.Items, {"console", 40, 30});
    list.SetDXDraw(&display);
    EXPECT_TRUE(item.Ready());
    EXPECT_EQ(item.Surfaces().size(), 1u);
    list.SetDXDraw(nullptr);
    EXPECT_FALSE(item.Ready());
    EXPECT_TRUE(item.Surfaces().empty());
    EXPECT_EQ(list.DXDraw(), nullptr);
}

TEST_F(ImageListOnDisplay, ADestroyedDisplayIsForgotten) {
    TDXImageList list;
    TPictureCollectionItem& item = AddItem(list.Items, {"a", 8, 8});
    {
        TDXDraw display;
        list.SetDXDraw(&display);
        display.Initialize();
        EXPECT_TRUE(item.Ready());
    }
    EXPECT_EQ(list.DXDraw(), nullptr);
    EXPECT_EQ(list.Items.Display(), nullptr);
    EXPECT_FALSE(item.Ready());
}

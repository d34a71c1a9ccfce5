// ImageSprite_test.cpp -- image sprites (animation, wrap-around boxes, drawing, pixel-exact
// hits) and tiled / untiled backgrounds.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/ImageTestSupport.h"
#include "sprites/DXSprite.h"

using namespace imagetest;

namespace {

struct View : testing::Test {
    explicit View(int w = 800, int h = 600) {
        target.SetSize(w, h);
        target.Fill(kBlank);
        engine.SetTarget(&target);
    }
    static constexpr uint32_t kBlank = 0x123456;
    TestCollection pictures;
    TDirectDrawSurface target;
    TSpriteEngine engine;
};

} // namespace

TEST(ImageSpriteMath, RoundHalfEvenAndPositiveRemainders) {
    struct Case {
        double value;
        int rounded;
    } rounds[] = {{0.5, 0},   {1.5, 2},    {2.5, 2}, {3.5, 4},   {-0.5, 0},
                  {-1.5, -2}, {2.4999, 2}, {2.6, 3}, {-2.6, -3}, {7.0, 7}};
    for (const Case& c : rounds)
        EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;

    EXPECT_EQ(PositiveMod(7, 4), 3);
    EXPECT_EQ(PositiveMod(-1, 4), 3);
    EXPECT_EQ(PositiveMod(-8, 4), 0);
    EXPECT_EQ(PositiveModF(5, 4), 1);
    EXPECT_EQ(PositiveModF(-1, 4), 3);
    EXPECT_EQ(PositiveModF(-1.5, 4), 2.5);
    EXPECT_EQ(PositiveModF(9, 0), 9);
}

TEST(ImageSpriteAnimation, StepsFollowTheTable) {
    struct Case {
        const char* what;
        double rate;
        bool loop;
        int length, index, frames;
        std::vector<int> indexes; // after each step
        double rateAfter;
    } cases[] = {
        {"rate 1 stops at the last", 1.0, false, 4, 0, 1, {1, 2, 3, 3, 3}, 0},
        {"rate 0.5, 1 frame rounds to 0", 0.5, false, 10, 0, 1, {0, 0, 0}, 0.5},
        {"rate 0.5, 3 frames moves 2", 0.5, false, 10, 0, 3, {2, 4, 6}, 0.5},
        {"rate 0.5, 5 frames moves 2", 0.5, false, 10, 0, 5, {2, 4}, 0.5},
        {"rate 2.5 moves 2", 2.5, false, 10, 0, 1, {2, 4}, 2.5},
        {"looping wraps", 1.0, true, 3, 0, 1, {1, 2, 0, 1}, 1.0},
        {"looping 5 of 4 gives 1", 0.0, true, 4, 5, 1, {1}, 0.0},
        {"looping -1 of 4 gives 3", 0.0, true, 4, -1, 1, {3}, 0.0},
        {"looping with length 0 gives 0", 1.0, true, 0, 7, 1, {0, 0}, 1.0},
        {"not looping with length 0", 1.0, false, 0, 0, 1, {0}, 0.0},
        {"backwards stops at 0", -1.0, false, 4, 1, 1, {0, 0}, 0.0},
        {"lag of several frames", 1.0, true, 8, 6, 3, {1, 4}, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TImageSprite s(nullptr);
        s.AnimRate = c.rate;
        s.AnimLoop = c.loop;
        s.AnimLength = c.length;
        s.AnimIndex = c.index;
        std::vector<int> seen;
        for (size_t i = 0; i < c.indexes.size(); ++i) {
            s.Step(c.frames);
            seen.push_back(s.AnimIndex);
        }
        EXPECT_EQ(seen, c.indexes);
        EXPECT_EQ(s.AnimRate, c.rateAfter);
    }
}

TEST_F(View, WrapAroundBoxesComeBackAtTheOtherEdge) {
    struct Case {
        int x, y;
        int left, top;
    } cases[] = {
        {-30, 10, -30, 10}, {900, 10, 36, 10},  {863, 10, -1, 10},  {864, 10, 0, 10},
        {800, 10, 800, 10}, {801, 10, -63, 10}, {-64, 10, 800, 10}, {-65, 10, 799, 10},
        {10, -20, 10, -20}, {10, 700, 10, 68},  {10, 631, 10, -1},  {-900, -700, -36, 564},
    };
    TImageSprite s(&engine);
    s.Width = 64;
    s.Height = 32;
    s.WrapAround = true;
    for (const Case& c : cases) {
        s.X = c.x;
        s.Y = c.y;
        EXPECT_EQ(s.GetBox(), Bounds(c.left, c.top, 64, 32)) << c.x << "," << c.y;
    }
    s.WrapAround = false;
    s.X = 900;
    EXPECT_EQ(s.GetBox().Left, 900);
}

TEST_F(View, PictureIsCentredInTheBoxTruncatingTowardZero) {
    TPictureCollectionItem& item = AddItem(pictures, {"p", 10, 10});
    TImageSprite s(&engine);
    s.PictureItem = &item;
    s.X = 100;
    s.Y = 50;
    struct Case {
        int w, h, dx, dy;
    } cases[] = {{10, 10, 0, 0}, {20, 10, 5, 0}, {21, 13, 5, 1}, {5, 3, -2, -3}};
    for (const Case& c : cases) {
        s.Width = c.w;
        s.Height = c.h;
        EXPECT_EQ(s.DrawRect(), Bounds(100 + c.dx, 50 + c.dy, c.w, c.h)) << c.w << "x" << c.h;
    }
}

TEST_F(View, PaintDrawsThePatternAtTheDrawRect) {
    TPictureCollectionItem& item = AddItem(pictures, {"ship", 30, 10, 10, 10});
    BuildAll(pictures);
    auto* s = new TImageSprite(&engine);
    s->PictureItem = &item;
    s->Width = s->Height = 10;
    s->X = 100;
    s->Y = 50;
    s->AnimBase = 1;
    s->AnimIndex = 1;
    engine.DrawAll();
    EXPECT_EQ(engine.DrawnCount(), 1);
    EXPECT_EQ(target.Pixel(100, 50), Marker(20, 0));
    EXPECT_EQ(target.Pixel(109, 59), Marker(29, 9));
    EXPECT_EQ(target.Pixel(110, 50), kBlank);

    // Out of range: counted as drawn, nothing shows.
    target.Fill(kBlank);
    s->AnimIndex = 2;
    engine.DrawAll();
    EXPECT_EQ(engine.DrawnCount(), 1);
    EXPECT_EQ(target.Pixel(100, 50), kBlank);
}

namespace {

// A pixel buffer of one depth, padded rows, read through a TDDSurfaceDesc.
struct Buffer {
    Buffer(int bits, int w, int h, uint32_t key) : bytesPerPixel((bits + 7) / 8) {
        desc.Width = w;
        desc.Height = h;
        desc.BitCount = bits;
        desc.Pitch = w * bytesPerPixel + 3;
        desc.ColorKey = key;
        bytes.assign(size_t(desc.Pitch) * h, 0);
        desc.Bits = bytes.data();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Set(x, y, key);
    }
    // Stores value so that the comparison reads it back as value.
    void Set(int x, int y, uint32_t value) {
        uint8_t* p = bytes.data() + size_t(y) * desc.Pitch + size_t(x) * bytesPerPixel;
        if (desc.BitCount == 24) {
            p[0] = uint8_t(value >> 16), p[1] = uint8_t(value >> 8), p[2] = uint8_t(value);
            return;
        }
        for (int i = 0; i < bytesPerPixel; ++i)
            p[i] = uint8_t(value >> (8 * i));
    }
    int bytesPerPixel;
    std::vector<uint8_t> bytes;
    TDDSurfaceDesc desc;
};

} // namespace

TEST(PixelTest, ComparesThePixelValueOfEachDepth) {
    struct Case {
        int bits;
        uint32_t key, opaque, lookalike; // lookalike: reads as the key, so it is transparent
    } cases[] = {
        {8, 5, 6, 5},
        {16, 0x1234, 0x0034, 0x1234},
        {24, 0x010203, 0x030201, 0x010203},
        {32, 0x00FF00, 0x0000FF, 0xFF00FF00}, // the top byte is not compared
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Buffer a(c.bits, 6, 4, c.key), b(c.bits, 6, 4, c.key);
        a.Set(3, 2, c.opaque);
        b.Set(1, 1, c.opaque);
        // a's (3,2) lines up with b's (1,1) when the areas start at (2,1) and (0,0).
        EXPECT_TRUE(PixelsOverlap(a.desc, 2, 1, b.desc, 0, 0, 3, 3));
        EXPECT_FALSE(PixelsOverlap(a.desc, 2, 1, b.desc, 1, 0, 3, 3));
        EXPECT_FALSE(PixelsOverlap(a.desc, 0, 0, b.desc, 0, 0, 2, 2)) << "outside the area";
        b.Set(1, 1, c.lookalike);
        EXPECT_FALSE(PixelsOverlap(a.desc, 2, 1, b.desc, 0, 0, 3, 3));
    }
}

TEST(PixelTest, MixedDepthsHitAndUnknownDepthsDoNot) {
    Buffer a(16, 4, 4, 0), b(32, 4, 4, 0);
    EXPECT_TRUE(PixelsOverlap(a.desc, 0, 0, b.desc, 0, 0, 4, 4));
    Buffer c(32, 4, 4, 0), d(32, 4, 4, 0);
    c.Set(0, 0, 1);
    d.Set(0, 0, 1);
    c.desc.BitCount = d.desc.BitCount = 15;
    EXPECT_FALSE(PixelsOverlap(c.desc, 0, 0, d.desc, 0, 0, 4, 4));
}

namespace {

// 10 x 10 pictures, transparent (0) except a 2 x 2 block at (at, at).
TPictureCollectionItem& Blob(TPictureCollection& pictures, const std::string& name, int at) {
    TPictureCollectionItem& item = pictures.Add();
    item.SetName(name);
    item.Picture = MakePicture(10, 10, [at](int x, int y) {
        return x >= at && x < at + 2 && y >= at && y < at + 2 ? 0xFFFFFFu : 0u;
    });
    return item;
}

TImageSprite* BlobSprite(TSpriteEngine& engine, TPictureCollectionItem& item, int x, int y) {
    auto* s = new TImageSprite(&engine);
    s->PictureItem = &item;
    s->Width = s->Height = 10;
    s->X = x;
    s->Y = y;
    return s;
}

} // namespace

TEST_F(View, PixelExactHitsNeedOpaquePixelsToMeet) {
    TPictureCollectionItem& low = Blob(pictures, "low", 8);   // block at (8..9, 8..9)
    TPictureCollectionItem& high = Blob(pictures, "high", 0); // block at (0..1, 0..1)
    BuildAll(pictures);
    TImageSprite* a = BlobSprite(engine, low, 0, 0);
    TImageSprite* b = BlobSprite(engine, high, 5, 5);
    a->PixelExact = true;

    EXPECT_FALSE(a->AcceptsHit(b)); // boxes overlap, blocks do not
    EXPECT_TRUE(b->AcceptsHit(a));  // b's own flag is off
    EXPECT_EQ(b->CheckCollisions(), 0) << "either sprite's flag decides";
    b->X = b->Y = 7; // b's block now covers (7..8, 7..8)
    EXPECT_TRUE(a->AcceptsHit(b));
    EXPECT_EQ(b->CheckCollisions(), 1);
    b->X = 10; // boxes apart
    EXPECT_FALSE(a->AcceptsHit(b));

    TSprite plain(&engine);
    EXPECT_TRUE(a->AcceptsHit(&plain)) << "only image sprites are compared";
    EXPECT_FALSE(low.Surfaces()[0]->Locked());
}

TEST_F(View, PixelExactOnOneSharedSurfaceLocksItOnce) {
    TPictureCollectionItem& item = Blob(pictures, "blob", 4);
    BuildAll(pictures);
    TImageSprite* a = BlobSprite(engine, item, 0, 0);
    TImageSprite* b = BlobSprite(engine, item, 1, 1);
    a->PixelExact = true;
    EXPECT_TRUE(a->AcceptsHit(b));
    b->X = b->Y = 3;
    EXPECT_FALSE(a->AcceptsHit(b));
    EXPECT_FALSE(item.Surfaces()[0]->Locked());
}

TEST_F(View, PixelExactFailsWhenASurfaceCannotBeLocked) {
    TPictureCollectionItem& low = Blob(pictures, "low", 4);
    TPictureCollectionItem& high = Blob(pictures, "high", 4);
    BuildAll(pictures);
    TImageSprite* a = BlobSprite(engine, low, 0, 0);
    TImageSprite* b = BlobSprite(engine, high, 0, 0);
    a->PixelExact = true;
    ASSERT_TRUE(a->AcceptsHit(b));
    TDDSurfaceDesc held;
    ASSERT_TRUE(high.Surfaces()[0]->Lock(held));
    EXPECT_FALSE(a->AcceptsHit(b));
    high.Surfaces()[0]->Unlock();
    EXPECT_FALSE(low.Surfaces()[0]->Locked()) << "the first lock is given back";
}

TEST(Background, MapSizeRefillsEveryCell) {
    TBackgroundSprite bg(nullptr);
    EXPECT_FALSE(bg.Collides);
    bg.SetMapSize(3, 2);
    bg.SetCell(1, 1, 7);
    bg.SetSolid(2, 0, false);
    bg.SetMapSize(3, 2); // same size: kept
    EXPECT_EQ(bg.CellAt(1, 1), 7);
    bg.SetMapSize(4, 2); // any change refills
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(bg.CellAt(c, r), 0);
            EXPECT_TRUE(bg.SolidAt(c, r));
        }
    for (auto [c, r] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 2}}) {
        EXPECT_EQ(bg.CellAt(c, r), -1);
        EXPECT_FALSE(bg.SolidAt(c, r));
    }
    bg.SetMapSize(5, 0);
    EXPECT_EQ(bg.MapWidth(), 0);
    EXPECT_EQ(bg.MapHeight(), 0);
}

namespace {

// Two 16 x 16 cells side by side; each pixel says which cell and where in it.
uint32_t CellPixel(int cell, int x, int y) {
    return 0x800000u | uint32_t(cell) << 12 | uint32_t(x) << 6 | uint32_t(y);
}

struct Backgrounds : View {
    Backgrounds() : View(100, 60) {
        cells = &pictures.Add();
        cells->SetName("cells");
        cells->Picture =
            MakePicture(32, 16, [](int x, int y) { return CellPixel(x / 16, x % 16, y); });
        cells->PatternWidth = cells->PatternHeight = 16;
        BuildAll(pictures);
        bg = new TBackgroundSprite(&engine);
        bg->PictureItem = cells;
    }
    // What the map should show at a screen pixel, or kBlank.
    uint32_t Expected(int px, int py, bool tiled) const {
        int mx = px - bg->X, my = py - bg->Y;
        int col = mx >= 0 ? mx / 16 : -((15 - mx) / 16),
            row = my >= 0 ? my / 16 : -((15 - my) / 16);
        if (tiled) {
            col = PositiveMod(col, bg->MapWidth());
            row = PositiveMod(row, bg->MapHeight());
        }
        int p = bg->CellAt(col, row);
        if (p < 0) return kBlank;
        return CellPixel(p, PositiveMod(mx, 16), PositiveMod(my, 16));
    }
    void CheckEveryPixel(bool tiled) {
        target.Fill(kBlank);
        engine.DrawAll();
        int wrong = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x)
                if (target.Pixel(x, y) != Expected(x, y, tiled) && ++wrong <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y;
        EXPECT_EQ(wrong, 0);
    }
    TPictureCollectionItem* cells;
    TBackgroundSprite* bg;
};

} // namespace

TEST_F(Backgrounds, OneCellUntiledDrawsOnceAtTheOrigin) {
    bg->SetMapSize(1, 1);
    target.Fill(kBlank);
    engine.DrawAll();
    EXPECT_EQ(target.Pixel(0, 0), CellPixel(0, 0, 0));
    EXPECT_EQ(target.Pixel(15, 15), CellPixel(0, 15, 15));
    EXPECT_EQ(target.Pixel(16, 0), kBlank);
    EXPECT_EQ(target.Pixel(0, 16), kBlank);
    EXPECT_EQ(bg->GetBox(), (TRect{0, 0, 16, 16}));
}

TEST_F(Backgrounds, UntiledMapsShowTheirCellsWhereverTheyStand) {
    bg->SetMapSize(3, 2);
    bg->SetCell(1, 0, 1);
    bg->SetCell(2, 1, -1); // nothing drawn there
    bg->SetCell(0, 1, 1);
    for (auto [x, y] : {std::pair{0, 0}, {-20, 10}, {37, -5}, {-40, -30}, {90, 50}}) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        bg->X = x;
        bg->Y = y;
        CheckEveryPixel(false);
    }
}

TEST_F(Backgrounds, TiledMapsCoverTheWholeView) {
    bg->Tiled = true;
    bg->SetMapSize(3, 2);
    bg->SetCell(1, 0, 1);
    bg->SetCell(2, 1, 1);
    bg->SetCell(0, 1, -1);
    for (auto [x, y] : {std::pair{0, 0}, {-20, 10}, {37, -5}, {-100, -70}, {250, 130}}) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        bg->X = x;
        bg->Y = y;
        CheckEveryPixel(true);
    }
    EXPECT_EQ(bg->GetBox(), (TRect{0, 0, 100, 60}));
}

TEST_F(Backgrounds, WithoutPictureOrMapNothingIsDrawnAndEverythingIsAccepted) {
    TSprite other(&engine);
    other.Width = other.Height = 5;
    EXPECT_TRUE(bg->AcceptsHit(&other)) << "empty map";
    bg->SetMapSize(2, 2);
    bg->PictureItem = nullptr;
    EXPECT_TRUE(bg->AcceptsHit(&other)) << "no picture";
    EXPECT_EQ(bg->GetBox(), TRect{});
    target.Fill(kBlank);
    engine.DrawAll();
    EXPECT_EQ(target.Pixel(0, 0), kBlank);
}

TEST_F(Backgrounds, HitsNeedASolidCellUnderTheOtherBox) {
    bg->SetMapSize(4, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            bg->SetSolid(c, r, c == 2 && r == 1); // cell (32..48, 16..32)
    bg->X = 10;
    bg->Y = 20;
    TSprite other(&engine);
    other.Width = other.Height = 4;
    struct Case {
        int x, y;
        bool hit;
    } cases[] = {
        {10 + 40, 20 + 20, true},  // inside the solid cell
        {10 + 30, 20 + 20, true},  // straddles its left edge
        {10 + 28, 20 + 20, false}, // ends where the cell begins
        {10 + 48, 20 + 20, false}, // begins where the cell ends
        {10 + 5, 20 + 5, false},   // a cell that is not solid
        {10 + 40, 20 + 31, true},  // straddles its bottom edge
    };
    for (const Case& c : cases) {
        other.X = c.x;
        other.Y = c.y;
        EXPECT_EQ(bg->AcceptsHit(&other), c.hit) << c.x << "," << c.y;
    }
}

TEST_F(Backgrounds, HitTestWrapsTheMapEvenUntiled) {
    bg->SetMapSize(2, 2);
    bg->SetSolid(0, 0, false);
    bg->SetSolid(1, 0, false);
    bg->SetSolid(0, 1, false); // only (1, 1) is solid
    bg->Tiled = true;          // box = the view, so the other sprite can lie past the map
    TSprite other(&engine);
    other.Width = other.Height = 4;
    other.X = 16 * 3 + 4; // map column 3 wraps to 1
    other.Y = 16 * 3 + 4; // map row 3 wraps to 1
    EXPECT_TRUE(bg->AcceptsHit(&other));
    other.X = 16 * 2 + 4; // column 2 wraps to 0: not solid
    EXPECT_FALSE(bg->AcceptsHit(&other));
}

// DXDraw_test.cpp -- surface clipping and transparency, the display's life cycle and notices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/DXDraw.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

struct Clip {
    int x, y;
    TRect expectSrc;
    TRect expectDst; // empty rect = nothing drawn
};

// A 64 x 64 source whose pixel value encodes its own position, so the copied rectangle can be
// read back from the destination.
void FillCoded(TDirectDrawSurface& s) {
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            s.Pixels()[y * s.Width() + x] = 0x1000000u | (y << 8) | x;
}

TEST(SurfaceDraw, ClipsAgainstDestinationAndSource) {
    const Clip cases[] = {
        {-10, 590, {10, 0, 64, 10}, {0, 590, 54, 600}}, // the corner case of the display
        {100, 100, {0, 0, 64, 64}, {100, 100, 164, 164}},
        {780, -60, {0, 60, 20, 64}, {780, 0, 800, 4}},
        {800, 10, {}, {}}, // clipped to nothing
        {801, 10, {}, {}}, // beyond the width: not even clipped
        {10, 601, {}, {}},
    };
    for (const Clip& c : cases) {
        TDirectDrawSurface dst, src;
        dst.SetSize(800, 600);
        src.SetSize(64, 64);
        FillCoded(src);
        dst.Draw(c.x, c.y, TRect{0, 0, 64, 64}, &src, false);
        TRect drawn{800, 600, 0, 0};
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (dst.Pixel(x, y)) {
                    drawn.Left = std::min(drawn.Left, x);
                    drawn.Top = std::min(drawn.Top, y);
                    drawn.Right = std::max(drawn.Right, x + 1);
                    drawn.Bottom = std::max(drawn.Bottom, y + 1);
                }
        SCOPED_TRACE("draw at " + std::to_string(c.x) + "," + std::to_string(c.y));
        if (c.expectDst == TRect{}) {
            EXPECT_GT(drawn.Left, drawn.Right) << "something was drawn";
        } else {
            EXPECT_EQ(drawn, c.expectDst);
            uint32_t topLeft = dst.Pixel(c.expectDst.Left, c.expectDst.Top);
            EXPECT_EQ(int(topLeft & 0xFF), c.expectSrc.Left);
            EXPECT_EQ(int((topLeft >> 8) & 0xFF), c.expectSrc.Top);
        }
    }
}

TEST(SurfaceDraw, SourceRectangleOutsideTheSourceIsClipped) {
    TDirectDrawSurface dst, src;
    dst.SetSize(100, 100);
    src.SetSize(10, 10);
    FillCoded(src);
    dst.Draw(50, 50, TRect{-5, 0, 20, 10}, &src, false);
    // Source left edge moved right by 5: destination starts 5 further right, width 10.
    EXPECT_EQ(dst.Pixel(54, 50), 0u);
    EXPECT_EQ(dst.Pixel(55, 50) & 0xFFFF, 0u);
    EXPECT_EQ(dst.Pixel(64, 59) & 0xFF, 9u);
    EXPECT_EQ(dst.Pixel(65, 50), 0u);
}

TEST(SurfaceDraw, TransparentSkipsExactlyTheColourKey) {
    TDirectDrawSurface dst, src;
    dst.SetSize(4, 1);
    src.SetSize(4, 1);
    dst.Fill(0x00123456);
    const uint32_t key = src.MatchColor(clFuchsia);
    EXPECT_EQ(key, 0x00FF00FFu);
    uint32_t row[4] = {key, 0x00FF00FE, 0, key};
    std::copy(row, row + 4, src.Pixels());
    src.SetColorKey(key);

    dst.Draw(0, 0, src.ClientRect(), &src, true);
    EXPECT_EQ(dst.Pixel(0, 0), 0x00123456u);
    EXPECT_EQ(dst.Pixel(1, 0), 0x00FF00FEu) << "a near-key colour is drawn";
    EXPECT_EQ(dst.Pixel(2, 0), 0u);
    EXPECT_EQ(dst.Pixel(3, 0), 0x00123456u);

    dst.Draw(0, 0, src.ClientRect(), &src, false);
    EXPECT_EQ(dst.Pixel(0, 0), key) << "an opaque draw copies the key colour too";
}

TEST(SurfaceDraw, LockIsExclusiveAndDescribesThePixels) {
    TDirectDrawSurface s;
    TDDSurfaceDesc d;
    EXPECT_FALSE(s.Lock(d)) << "no surface yet";
    s.SetSize(3, 2);
    s.SetColorKey(7);
    ASSERT_TRUE(s.Lock(d));
    EXPECT_EQ(d.Width, 3);
    EXPECT_EQ(d.Pitch, 12);
    EXPECT_EQ(d.BitCount, 32);
    EXPECT_EQ(d.ColorKey, 7u);
    TDDSurfaceDesc again;
    EXPECT_FALSE(s.Lock(again));
    s.Unlock();
    EXPECT_TRUE(s.Lock(again));
    s.Unlock();
}

TEST(DisplayMode, BitCountMustBeADisplayDepth) {
    TDXDrawDisplay d;
    for (int ok : {8, 16, 24, 32})
        EXPECT_NO_THROW(d.SetBitCount(ok));
    try {
        d.SetBitCount(15);
        FAIL();
    } catch (const EDirectDrawError& e) {
        EXPECT_STREQ(e.what(), "It should be either of 8 or 16 or 24 or 32");
    }
}

struct DisplayTest : ::testing::Test {
    platform::HeadlessPlatform p;
    DisplayTest() { platform::SetCurrent(&p); }
    ~DisplayTest() override { platform::SetCurrent(nullptr); }
};

TEST_F(DisplayTest, OptionsInForceForWindowAndFullScreen) {
    const TDXDrawOptions form = Opt(doAllowReboot) | Opt(doWaitVBlank) | Opt(doCenter) |
                                Opt(doFlip) | Opt(doDirectX7Mode) | Opt(doHardware) |
                                Opt(doSelectDriver);
    TDXDraw d;
    d.SetOptions(form);
    EXPECT_EQ(d.NowOptions(), Opt(doWaitVBlank) | Opt(doCenter));
    d.SetOptions(form | Opt(doFullScreen));
    EXPECT_EQ(d.NowOptions(), Opt(doFullScreen) | Opt(doAllowReboot) | Opt(doWaitVBlank) |
                                  Opt(doCenter) | Opt(doFlip));
}

TEST_F(DisplayTest, CanDrawOnlyWhileUpAndNoticesInOrder) {
    std::vector<std::string> log;
    TDXDraw d;
    auto name = [](TDXDrawNotifyType t) {
        const char* n[] = {"destroying", "initializing",    "initialize", "initializesurface",
                           "finalize",   "finalizesurface", "restore",    "setsize"};
        return std::string(n[t]);
    };
    int a = 0, b = 0;
    d.RegisterClient(&a, [&](TDXDraw&, TDXDrawNotifyType t) { log.push_back("a:" + name(t)); });
    d.RegisterClient(&b, [&](TDXDraw&, TDXDrawNotifyType t) {
        log.push_back("b:" + name(t));
        if (t == dxntInitialize) {
            EXPECT_FALSE(d.Updating());
        }
    });
    EXPECT_FALSE(d.CanDraw());
    log.clear();
    d.Initialize();
    EXPECT_TRUE(d.CanDraw());
    EXPECT_EQ(d.BackSurface().Width(), 800);
    // Last registered first: initialising, then set size, initialise, initialise surface,
    // restore.
    EXPECT_EQ(
        log, (std::vector<std::string>{"b:initializing", "a:initializing", "b:setsize", "a:setsize",
                                       "b:initialize", "a:initialize", "b:initializesurface",
                                       "a:initializesurface", "b:restore", "a:restore"}));
    log.clear();
    d.Finalize();
    EXPECT_FALSE(d.CanDraw());
    EXPECT_EQ(log, (std::vector<std::string>{"b:finalizesurface", "a:finalizesurface", "b:finalize",
                                             "a:finalize"}));
    log.clear();
    d.Finalize(); // safe when down
    EXPECT_TRUE(log.empty());
}

TEST_F(DisplayTest, RegisteringWhileUpCatchesTheClientUp) {
    TDXDraw d;
    d.Initialize();
    std::vector<TDXDrawNotifyType> got;
    int c = 0;
    d.RegisterClient(&c, [&](TDXDraw&, TDXDrawNotifyType t) { got.push_back(t); });
    EXPECT_EQ(got, (std::vector<TDXDrawNotifyType>{dxntSetSurfaceSize, dxntInitialize,
                                                   dxntInitializeSurface, dxntRestore}));
    got.clear();
    d.UnregisterClient(&c);
    EXPECT_EQ(got, (std::vector<TDXDrawNotifyType>{dxntFinalizeSurface, dxntFinalize}));
}

TEST_F(DisplayTest, LostSurfacesAreRestoredBeforeDrawingAndClientsRebuild) {
    TDXDraw d;
    d.Initialize();
    int restores = 0, c = 0;
    d.RegisterClient(&c, [&](TDXDraw&, TDXDrawNotifyType t) { restores += t == dxntRestore; });
    restores = 0;
    d.BackSurface().Fill(0x00FFFFFF);
    d.BackSurface().SimulateLoss();
    EXPECT_TRUE(d.CanDraw());
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(d.BackSurface().Pixel(0, 0), 0u) << "restored surfaces are cleared";
}

TEST_F(DisplayTest, FullScreenFollowsTheOption) {
    TDXDraw d;
    d.SetOptions(Opt(doFullScreen) | Opt(doFlip) | Opt(doAllowReboot));
    d.Initialize();
    EXPECT_TRUE(p.Fullscreen());
    d.Finalize();
    d.SetOptions(0);
    d.Initialize();
    EXPECT_FALSE(p.Fullscreen());
}

TEST_F(DisplayTest, InitializeWithoutAFormFails) {
    TDXDraw d;
    d.HasForm = false;
    try {
        d.Initialize();
        FAIL();
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
    EXPECT_FALSE(d.CanDraw());
}

TEST_F(DisplayTest, FlipPresentsTheBackSurface) {
    TDXDraw d;
    d.Flip(); // not initialised: nothing
    EXPECT_EQ(p.presents, 0u);
    d.Initialize();
    d.BackSurface().Fill(0x00ABCDEF);
    d.Flip();
    ASSERT_EQ(p.presents, 1u);
    EXPECT_EQ(p.lastFrame[0], 0x00ABCDEFu);
}

TEST_F(DisplayTest, CanvasDrawsTextAndOutlines) {
    TDXDraw d;
    d.Initialize();
    TDirectDrawSurfaceCanvas& c = d.BackSurface().Canvas();
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font.Size = 20;
    c.Font.Color = clRed;
    EXPECT_GT(c.TextWidth("LEVEL 1"), c.TextWidth("L"));
    c.TextOut(10, 10, "W");
    bool red = false;
    for (int y = 10; y < 40; ++y)
        for (int x = 10; x < 40; ++x)
            red |= d.BackSurface().Pixel(x, y) == 0x00FF0000u;
    EXPECT_TRUE(red) << "the glyph's solid pixels are pure red";
    c.Pen.Width = 2;
    c.Pen.Color = clRed;
    c.Rectangle(100, 100, 110, 110);
    EXPECT_EQ(d.BackSurface().Pixel(100, 100), 0x00FF0000u);
    EXPECT_EQ(d.BackSurface().Pixel(109, 109), 0x00FF0000u);
    EXPECT_EQ(d.BackSurface().Pixel(110, 110), 0u) << "right and bottom are exclusive";
    EXPECT_EQ(d.BackSurface().Pixel(105, 105), 0u) << "clear brush leaves the inside";
    d.BackSurface().ReleaseCanvas();
    EXPECT_FALSE(c.Active());
}

} // namespace

// DXDraw_test.cpp -- surface clipping and transparency, the display's life cycle and notices.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/DXDraw.h"
#include "graphics/Picture.h"
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

// Draws `part` of `src` keyed at (x, 0) onto a 64 x 3 surface and compares with the same blit
// done pixel by pixel.
void ExpectKeyedBlitAsPixelByPixel(TDirectDrawSurface& src, const TRect& part, int x) {
    constexpr int W = 64, H = 3;
    TDirectDrawSurface dst;
    dst.SetSize(W, H);
    for (int i = 0; i < W * H; ++i)
        dst.Pixels()[i] = 0x00500000u + uint32_t(i);
    std::vector<uint32_t> expect(dst.Pixels(), dst.Pixels() + W * H);
    for (int y = 0; y < H && part.Top + y < part.Bottom; ++y)
        for (int i = 0; i < part.Width(); ++i) {
            uint32_t p = src.Pixel(part.Left + i, part.Top + y);
            if (x + i >= 0 && x + i < W && p != src.ColorKey()) expect[size_t(y) * W + x + i] = p;
        }
    dst.Draw(x, 0, part, &src, true);
    ASSERT_EQ(std::vector<uint32_t>(dst.Pixels(), dst.Pixels() + W * H), expect)
        << "source " << src.Width() << " wide, columns " << part.Left << ".." << part.Right
        << " at x " << x;
}

// Pictures with long opaque and keyed stretches (scenery strips) are blitted by their runs;
// the scattered case is KeyedBlit_test's.
TEST(SurfaceDraw, KeyedBlitByRunsAgreesWithPixelByPixelAtEveryWidthAndOffset) {
    const uint32_t key = 0x00FF00FF;
    // Near-key colours (one bit off, or a high byte set) and black must all be drawn.
    const uint32_t opaque[] = {0x00FF00FE, 0x01FF00FF, 0, 0x00123456};
    uint32_t seed = 12345;
    for (int width = 1; width <= 60; width += width < 20 ? 1 : 7)
        for (int x = -3; x <= 5; ++x) {
            TDirectDrawSurface src;
            src.SetSize(width, 3);
            src.SetColorKey(key);
            for (int y = 0; y < 3; ++y)
                for (int i = 0; i < width; ++i) {
                    seed = seed * 1103515245u + 12345u;
                    src.Pixels()[y * width + i] =
                        (i + 5 * y) % 24 < 11 ? key : opaque[(seed >> 16) % 4];
                }
            ExpectKeyedBlitAsPixelByPixel(src, src.ClientRect(), x);
            if (width > 4) ExpectKeyedBlitAsPixelByPixel(src, TRect{2, 1, width - 1, 3}, x);
        }
}

TEST(SurfaceDraw, KeyedBlitFollowsChangedPixelsAndKey) {
    TDirectDrawSurface src;
    src.SetSize(48, 2);
    src.SetColorKey(0);
    for (int i = 0; i < 96; ++i)
        src.Pixels()[i] = (i / 16) % 2 ? 0x00111111 : 0;
    ExpectKeyedBlitAsPixelByPixel(src, src.ClientRect(), 0);
    for (int i = 0; i < 96; i += 5)
        src.Pixels()[i] = 0x00222222; // writes after a keyed blit
    ExpectKeyedBlitAsPixelByPixel(src, src.ClientRect(), 0);
    src.SetColorKey(0x00111111);
    ExpectKeyedBlitAsPixelByPixel(src, src.ClientRect(), 0);
    TDirectDrawSurface ink;
    ink.SetSize(8, 2);
    ink.Fill(0x00333333);
    src.Draw(20, 0, ink.ClientRect(), &ink, false); // drawn into
    ExpectKeyedBlitAsPixelByPixel(src, src.ClientRect(), 0);
    src.Fill(0x00444444);
    ExpectKeyedBlitAsPixelByPixel(src, src.ClientRect(), 0);
}

// A surface made of a whole picture reads the picture's own pixels; whatever writes to the
// surface gets a copy first, and the picture (from which surfaces are rebuilt) never changes.
TEST(SurfaceFromPicture, SharesThePixelsUntilWrittenAndNeverChangesThePicture) {
    TPicture picture;
    std::vector<uint32_t> original(6 * 4);
    for (size_t i = 0; i < original.size(); ++i)
        original[i] = 0x00010203u * uint32_t(i + 1);
    picture.Assign(6, 4, original);
    TDirectDrawSurface ink;
    ink.SetSize(2, 2);
    ink.Fill(0x00ABCDEF);

    struct Write {
        const char* name;
        std::function<void(TDirectDrawSurface&)> write;
        uint32_t topLeft;     // what the surface shows at (0, 0) afterwards
        uint32_t bottomRight; // and at (5, 3): the picture's pixel unless overwritten
    };
    const uint32_t kept = original[23];
    const Write writes[] = {
        {"black fill", [](TDirectDrawSurface& s) { s.Fill(0); }, 0, 0},
        {"colour fill", [](TDirectDrawSurface& s) { s.Fill(0x00112233); }, 0x00112233, 0x00112233},
        {"blit into it",
         [&](TDirectDrawSurface& s) { s.Draw(0, 0, ink.ClientRect(), &ink, false); }, 0x00ABCDEF,
         kept},
        {"writable lock",
         [](TDirectDrawSurface& s) {
             TDDSurfaceDesc d;
             ASSERT_TRUE(s.Lock(d));
             static_cast<uint32_t*>(d.Bits)[0] = 7;
             s.Unlock();
         },
         7, kept},
        {"pixel access", [](TDirectDrawSurface& s) { s.Pixels()[0] = 9; }, 9, kept},
    };
    for (const Write& w : writes) {
        SCOPED_TRACE(w.name);
        TDirectDrawSurface s;
        s.LoadFromPicture(picture, TRect{0, 0, 6, 4});
        ASSERT_EQ(s.Width(), 6);
        ASSERT_EQ(s.Height(), 4);
        const TDirectDrawSurface& view = s;
        EXPECT_EQ(view.Pixels(), picture.Pixels()) << "no second copy of the picture";
        TDDSurfaceDesc d;
        ASSERT_TRUE(s.Lock(d, DDLOCK_READONLY));
        EXPECT_EQ(d.Bits, picture.Pixels()) << "reading keeps sharing";
        EXPECT_EQ(d.Pitch, 24);
        s.Unlock();

        w.write(s);
        EXPECT_EQ(s.Pixel(0, 0), w.topLeft);
        EXPECT_EQ(s.Pixel(5, 3), w.bottomRight);
        EXPECT_EQ(std::vector<uint32_t>(picture.Pixels(), picture.Pixels() + 24), original);
    }

    // Part of a picture is a copy of that part, black where it leaves the picture.
    TDirectDrawSurface part;
    part.LoadFromPicture(picture, TRect{2, 1, 5, 3});
    EXPECT_EQ(part.Width(), 3);
    EXPECT_EQ(part.Pixel(0, 0), original[1 * 6 + 2]);
    EXPECT_EQ(part.Pixel(2, 1), original[2 * 6 + 4]);
    TDirectDrawSurface beyond;
    beyond.LoadFromPicture(picture, TRect{4, 2, 8, 5});
    EXPECT_EQ(beyond.Pixel(1, 1), original[3 * 6 + 5]);
    EXPECT_EQ(beyond.Pixel(2, 1), 0u);
    EXPECT_EQ(beyond.Pixel(0, 2), 0u);
    part.Fill(0);
    EXPECT_EQ(std::vector<uint32_t>(picture.Pixels(), picture.Pixels() + 24), original);
}

// A frame's fill is carried out only where something still shows it; whatever is read back must
// be what filling at once would have given. Each case is a sequence of fills and blits onto a
// 16 x 8 surface, checked against the same steps done pixel by pixel.
TEST(SurfaceFill, ReadsBackAsIfFilledAtOnce) {
    constexpr int W = 16, H = 8;
    const uint32_t key = 0x00FF00FF;
    struct Step {
        char op;        // 'f' fill, 'o' opaque blit, 'k' keyed blit, 's' blit from itself
        uint32_t fill;  // 'f': the colour
        int x, y, w, h; // blits: where to, and the source rectangle's size (the source is 16 x 8)
    };
    auto fill = [](uint32_t colour) { return Step{'f', colour, 0, 0, 0, 0}; };
    auto blit = [](char op, int x, int y, int w, int h) { return Step{op, 0, x, y, w, h}; };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        char read; // 'p' pixels, 'l' writable lock, 'r' read-only lock, 'd' drawn onto another
    };
    const Case cases[] = {
        {"whole rows covered opaquely", {fill(0), blit('o', 0, 2, W, 3)}, 'p'},
        {"rows covered, then a second fill", {fill(0), blit('o', 0, 2, W, 3), fill(7)}, 'p'},
        {"part of a row covered", {fill(0), blit('o', 3, 1, 9, 4)}, 'p'},
        {"keyed over the fill", {fill(0x00123456), blit('k', 0, 0, W, H)}, 'l'},
        {"opaque then keyed", {fill(0), blit('o', 0, 0, W, 4), blit('k', 0, 2, W, 5)}, 'r'},
        {"from itself", {fill(0x00A0A0A0), blit('o', 0, 0, W, 2), blit('s', 0, 4, W, 2)}, 'p'},
        {"covered past the bottom", {fill(0), blit('o', 0, 6, W, 8)}, 'd'},
        {"fill alone", {fill(0x00010203)}, 'd'},
        {"a new surface is black", {blit('k', 0, 0, W, H)}, 'r'},
        {"a new surface, rows covered", {blit('o', 0, 3, W, 2)}, 'l'},
    };
    TDirectDrawSurface src;
    src.SetSize(W, H);
    src.SetColorKey(key);
    for (int i = 0; i < W * H; ++i)
        src.Pixels()[i] = i % 3 == 0 ? key : 0x00200000u + uint32_t(i);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDirectDrawSurface s;
        s.SetSize(W, H);
        s.SetColorKey(key);
        std::vector<uint32_t> model(W * H, 0);
        for (const Step& st : c.steps) {
            if (st.op == 'f') {
                s.Fill(st.fill);
                std::fill(model.begin(), model.end(), st.fill);
                continue;
            }
            const std::vector<uint32_t> from =
                st.op == 's' ? model : std::vector<uint32_t>(src.Pixels(), src.Pixels() + W * H);
            for (int y = 0; y < st.h && st.y + y < H; ++y)
                for (int x = 0; x < st.w && st.x + x < W; ++x) {
                    uint32_t p = from[size_t(y) * W + x];
                    if (st.op != 'k' || p != key) model[size_t(st.y + y) * W + st.x + x] = p;
                }
            s.Draw(st.x, st.y, TRect{0, 0, st.w, st.h}, st.op == 's' ? &s : &src, st.op == 'k');
        }
        std::vector<uint32_t> got;
        TDDSurfaceDesc d;
        if (c.read == 'l' || c.read == 'r') {
            ASSERT_TRUE(s.Lock(d, c.read == 'r' ? DDLOCK_READONLY : 0));
            got.assign(static_cast<const uint32_t*>(d.Bits),
                       static_cast<const uint32_t*>(d.Bits) + W * H);
            s.Unlock();
        } else if (c.read == 'd') {
            TDirectDrawSurface copy;
            copy.SetSize(W, H);
            copy.Draw(0, 0, s.ClientRect(), &s, false);
            got.assign(copy.Pixels(), copy.Pixels() + W * H);
        } else {
            got.assign(s.Pixels(), s.Pixels() + W * H);
        }
        EXPECT_EQ(got, model);
    }
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

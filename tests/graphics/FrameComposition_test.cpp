// FrameComposition_test.cpp -- the display's back surface records a frame and composes it at the
// flip only where it differs from the last one: the window must show exactly what drawing every
// call at once would have shown, while an unchanged frame presents nothing and a small change
// presents little.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/DXDraw.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// One drawing call of a frame.
struct Call {
    enum Kind { Sprite, Opaque, Text, Outline } kind;
    int x, y;
    std::string text;
    Call(Kind k, int x, int y, std::string text = "")
        : kind(k), x(x), y(y), text(std::move(text)) {}
};
using Frame = std::vector<Call>;

class FrameComposition : public ::testing::Test {
  protected:
    platform::HeadlessPlatform p;
    TDXDraw d;
    TDirectDrawSurface sprite, background;

    FrameComposition() {
        platform::SetCurrent(&p);
        d.Initialize();
        // A keyed sprite whose pixels encode their position, with a keyed hole and border.
        sprite.SetSize(40, 30);
        uint32_t* s = sprite.Pixels();
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                s[y * 40 + x] = (x < 4 || (x > 15 && x < 20)) ? 0xFF00FF : 0x010000u * y + x + 1;
        sprite.SetColorKey(0xFF00FF);
        background.SetSize(800, 400);
        uint32_t* b = background.Pixels();
        for (int i = 0; i < 800 * 400; ++i)
            b[i] = 0x203040u + uint32_t(i % 777);
    }
    ~FrameComposition() override { platform::SetCurrent(nullptr); }

    void Draw(TDirectDrawSurface& target, const Frame& frame) {
        target.Fill(0);
        TDirectDrawSurfaceCanvas& c = target.Canvas();
        c.Brush.Style = TBrushStyle::bsClear;
        c.Font.Size = 20;
        for (const Call& call : frame) {
            switch (call.kind) {
            case Call::Sprite:
                target.Draw(call.x, call.y, {0, 0, 40, 30}, &sprite, true);
                break;
            case Call::Opaque:
                target.Draw(call.x, call.y, {0, 0, 800, 400}, &background, false);
                break;
            case Call::Text:
                c.Font.Color = call.x % 2 ? clRed : clBlack;
                c.TextOut(call.x, call.y, call.text);
                break;
            case Call::Outline:
                c.Rectangle(call.x, call.y, call.x + 50, call.y + 20);
                break;
            }
        }
        target.ReleaseCanvas();
    }

    // Draws the frame on the display and flips it; the window must show what the same calls
    // show on a surface that draws at once.
    void Show(const Frame& frame, const std::string& what) {
        SCOPED_TRACE(what);
        Draw(d.BackSurface(), frame);
        d.Flip();
        TDirectDrawSurface at;
        at.SetSize(800, 600);
        Draw(at, frame);
        ASSERT_EQ(p.lastFrame.size(), 800u * 600u);
        int wrong = 0;
        for (int i = 0; i < 800 * 600; ++i)
            wrong += p.lastFrame[i] != at.Pixels()[i];
        EXPECT_EQ(wrong, 0) << "pixels that differ from drawing at once";
    }

    // Pixels of the window that differ from the frame drawn at once.
    int Wrong(const Frame& frame) {
        TDirectDrawSurface at;
        at.SetSize(800, 600);
        Draw(at, frame);
        int wrong = 0;
        for (int i = 0; i < 800 * 600; ++i)
            wrong += p.lastFrame[i] != at.Pixels()[i];
        return wrong;
    }
};

TEST_F(FrameComposition, EveryFrameShowsWhatDrawingAtOnceShows) {
    const Frame base = {{Call::Opaque, 0, 100},   {Call::Sprite, 100, 150},
                        {Call::Sprite, 120, 160}, {Call::Text, 10, 10, "SCORE 10"},
                        {Call::Sprite, 300, 300}, {Call::Text, 11, 40, "LEVEL 1"}};
    struct Step {
        const char* what;
        Frame frame;
    };
    std::vector<Step> steps = {{"first", base}, {"the same again", base}};
    Frame f = base;
    f[1].x += 3; // a sprite moves under the one drawn over it
    steps.push_back({"moved under another", f});
    f.insert(f.begin() + 2, {Call::Sprite, 500, 200}); // born in the middle of the list
    steps.push_back({"born", f});
    f.erase(f.begin() + 4); // the first text goes
    steps.push_back({"a text gone", f});
    f[3].text = "SCORE 20";
    steps.push_back({"a text changed", f});
    f.push_back({Call::Sprite, -20, 585}); // half off the corner
    f.push_back({Call::Outline, 780, 590});
    steps.push_back({"clipped at the edges", f});
    f.erase(f.begin()); // the background goes: black shows again
    steps.push_back({"background gone", f});
    steps.push_back({"nothing but the fill", {}});
    steps.push_back({"back to the start", base});
    for (const Step& s : steps)
        Show(s.frame, s.what);
}

TEST_F(FrameComposition, PresentsOnlyWhatChanged) {
    const Frame still = {
        {Call::Opaque, 0, 100}, {Call::Sprite, 400, 300}, {Call::Text, 10, 10, "00:01"}};
    Show(still, "first");
    const uint64_t presents = p.presents, pixels = p.pixelsPresented;
    Show(still, "unchanged");
    EXPECT_EQ(p.presents, presents) << "an unchanged frame presents nothing";
    Frame moved = still;
    moved[1].x += 2;
    Show(moved, "a sprite moved by two pixels");
    EXPECT_EQ(p.presents, presents + 1);
    // The sprite's old and new boxes, widened to whole tiles: a few tiles, not the frame.
    const uint64_t changed = p.pixelsPresented - pixels;
    EXPECT_GT(changed, 0u);
    EXPECT_LE(changed, 3u * 32 * 3 * 16);
    d.Paint(); // the window system lost the picture: all of it again
    EXPECT_EQ(p.pixelsPresented - pixels - changed, 800u * 600);
}

TEST_F(FrameComposition, FramesAreComposedInTheWindowsPixelsWhileItLendsThemAndCopiedWhileNot) {
    const Frame a = {{Call::Opaque, 0, 100}, {Call::Sprite, 100, 150}, {Call::Text, 10, 10, "1"}};
    Frame b = a;
    b[1].x += 5;
    b[2].text = "20";
    Show(a, "first, lent");
    const uint64_t copied = p.pixelsCopied, presented = p.pixelsPresented;
    Show(b, "changed, lent");
    Show(a, "changed back, lent");
    EXPECT_EQ(p.pixelsCopied, copied) << "a present of lent pixels copies nothing";
    EXPECT_GT(p.pixelsPresented, presented);
    EXPECT_EQ(d.BackSurface().Pixel(110, 160), p.lastFrame[160 * 800 + 110]) << "read while lent";

    p.lendsPixels = false; // as a window that scales the frame
    Show(b, "no longer lent");
    EXPECT_GT(p.pixelsCopied, copied);
    p.lendsPixels = true;
    Show(a, "lent again");
    const uint64_t copiedBefore = p.pixelsCopied;
    p.ReplaceWindowPixels(); // a size change between two frames: the old pixels are freed
    Show(b, "in the window's new pixels");
    p.ReplaceWindowPixels();
    d.Paint(); // and an expose at once after another: the same frame, whole, in new pixels
    EXPECT_EQ(Wrong(b), 0);
    EXPECT_EQ(p.pixelsCopied, copiedBefore);
    p.SetFullscreen(true); // the headless full screen is a scaled one
    Show(a, "full screen");
    p.SetFullscreen(false);
    Show(a, "windowed again");
}

TEST_F(FrameComposition, AFrameDrawnFromAPictureThatChangesOrGoesBeforeTheFlip) {
    // As when the end of a game loads the menu's pictures between drawing and flipping.
    auto gone = std::make_unique<TDirectDrawSurface>();
    gone->SetSize(40, 30);
    gone->Fill(0x112233);
    d.BackSurface().Fill(0);
    d.BackSurface().Draw(10, 10, {0, 0, 40, 30}, gone.get(), false);
    d.BackSurface().Draw(100, 10, {0, 0, 40, 30}, &sprite, false);
    gone.reset();
    sprite.Fill(0x445566);
    d.Flip();
    EXPECT_EQ(p.lastFrame[20 * 800 + 20], 0x112233u);
    EXPECT_EQ(p.lastFrame[20 * 800 + 110], 0x010000u * 10 + 10 + 1) << "the sprite as it was drawn";
    EXPECT_EQ(p.lastFrame[20 * 800 + 200], 0u);
}

TEST_F(FrameComposition, ThePixelsCanBeReadAndWrittenBetweenFlips) {
    TDirectDrawSurface& back = d.BackSurface();
    back.Fill(0x000010);
    back.Draw(0, 0, {0, 0, 40, 30}, &sprite, true);
    EXPECT_EQ(back.Pixel(5, 0), 0x000000u + 5 + 1) << "read before the flip";
    back.Pixels()[799] = 0xABCDEF; // written by hand
    d.Flip();
    EXPECT_EQ(p.lastFrame[799], 0xABCDEFu);
    EXPECT_EQ(p.lastFrame[0], 0x000010u);
    back.Fill(0x000010); // the same calls again: the hand-written pixel goes
    back.Draw(0, 0, {0, 0, 40, 30}, &sprite, true);
    d.Flip();
    EXPECT_EQ(p.lastFrame[799], 0x000010u);
}

} // namespace

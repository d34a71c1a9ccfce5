// pictures_test.cpp -- the generated picture entries against the asset catalogue, and the
// properties the game relies on: keying without fringes, seamless layers, light text areas,
// highlights that match the picture under them, determinism.
#include "pictures/Pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using PictureEntry = TPictureItemData;

struct Catalogued {
    const char* name;
    int width, height;
    int patternWidth, patternHeight; // as stored; 0 x 0 means one frame of the whole picture
    int frames;
    bool keyed;
};

// data/menu.dxg in file order. Indices 0..6 and 24..33 are read by position.
const Catalogued kMenu[] = {
    {"menuback", 800, 600, 0, 0, 1, false},
    {"mainstart", 160, 46, 0, 0, 1, false},
    {"mainoptions", 160, 46, 0, 0, 1, false},
    {"mainscores", 160, 46, 0, 0, 1, false},
    {"mainhelp", 160, 46, 0, 0, 1, false},
    {"mainhome", 160, 46, 0, 0, 1, false},
    {"mainexit", 160, 46, 0, 0, 1, false},
    {"console", 360, 220, 0, 0, 1, false},
    {"optionsback", 470, 390, 0, 0, 1, false},
    {"scoreback", 470, 390, 0, 0, 1, false},
    {"helpback", 470, 390, 0, 0, 1, false},
    {"window", 110, 40, 0, 0, 1, false},
    {"full", 160, 36, 0, 0, 1, false},
    {"muson", 56, 32, 0, 0, 1, false},
    {"musoff", 50, 32, 0, 0, 1, false},
    {"soundon", 56, 32, 0, 0, 1, false},
    {"soundoff", 48, 32, 0, 0, 1, false},
    {"backactive", 90, 30, 0, 0, 1, false},
    {"clearscore", 130, 30, 0, 0, 1, false},
    {"viewscore", 230, 30, 0, 0, 1, false},
    {"prev", 90, 28, 0, 0, 1, false},
    {"next", 70, 28, 0, 0, 1, false},
    {"ok", 30, 18, 0, 0, 1, false},
    {"cancel", 67, 18, 0, 0, 1, false},
    {"help1", 470, 300, 0, 0, 1, false},
    {"help2", 470, 300, 0, 0, 1, false},
    {"help3", 470, 300, 0, 0, 1, false},
    {"help4", 470, 300, 0, 0, 1, false},
    {"help5", 470, 300, 0, 0, 1, false},
    {"help6", 470, 300, 0, 0, 1, false},
    {"help7", 470, 300, 0, 0, 1, false},
    {"help8", 470, 300, 0, 0, 1, false},
    {"help9", 470, 300, 0, 0, 1, false},
    {"help10", 470, 300, 0, 0, 1, false},
};

// data/gamegraphic.dxg in file order. Indices 1 and 25..27 are read by position.
const Catalogued kGame[] = {
    {"dayback", 800, 532, 0, 0, 1, false},
    {"console", 360, 220, 0, 0, 1, false},
    {"nightback", 800, 532, 0, 0, 1, false},
    {"statusbar", 800, 68, 0, 0, 1, false},
    {"3-1", 800, 99, 0, 0, 1, true},
    {"2-1", 800, 152, 0, 0, 1, true},
    {"fon2", 943, 152, 0, 0, 1, true},
    {"1-1", 800, 32, 0, 0, 1, true},
    {"hero", 400, 90, 100, 90, 4, true},
    {"tail", 49, 40, 0, 0, 1, true},
    {"shield", 596, 118, 149, 118, 4, true},
    {"enemy1", 216, 56, 72, 56, 3, true},
    {"enemy2", 192, 120, 64, 120, 3, true},
    {"enemy3", 384, 80, 96, 80, 4, true},
    {"enemy4", 144, 75, 48, 75, 3, true},
    {"enemy5", 144, 75, 48, 75, 3, true},
    {"enemy6", 144, 75, 48, 75, 3, true},
    {"enemy7", 144, 73, 48, 73, 3, true},
    {"enemy8", 288, 72, 96, 72, 3, true},
    {"arrow", 32, 8, 0, 0, 1, true},
    {"arrow2", 40, 26, 0, 0, 1, true},
    {"burnstone", 80, 20, 20, 20, 4, true},
    {"burnstone2", 80, 20, 20, 20, 4, true},
    {"life", 36, 24, 0, 0, 1, true},
    {"bonusindicator", 32, 32, 0, 0, 1, true},
    {"pistolicon2", 32, 32, 0, 0, 1, true},
    {"pistolicon3", 32, 32, 0, 0, 1, true},
    {"pistolicon4", 32, 32, 0, 0, 1, true},
    {"bonus", 128, 32, 32, 32, 4, true},
    {"scale", 195, 20, 1, 20, 195, false},
    {"firepistol", 64, 16, 32, 16, 2, true},
    {"fireballbonus", 40, 24, 0, 0, 1, true},
    {"icepistol", 64, 16, 32, 16, 2, true},
    {"flashpistol", 96, 16, 48, 16, 2, true},
    {"dragondamage", 512, 64, 64, 64, 8, true},
    {"herokill", 1024, 64, 64, 64, 16, true},
    {"enemykill", 768, 64, 64, 64, 12, true},
    {"fireballexplosion", 640, 64, 64, 64, 10, true},
    {"iceexplosion", 640, 64, 64, 64, 10, true},
    {"electroexplosion", 640, 64, 64, 64, 10, true},
    {"volcano", 471, 140, 157, 140, 3, true},
    {"lava", 60, 64, 20, 64, 3, true},
    {"tree1", 80, 131, 0, 0, 1, true},
    {"tree2", 56, 56, 0, 0, 1, true},
    {"reshetka", 64, 75, 0, 0, 1, true},
    {"ok", 30, 18, 0, 0, 1, false},
    {"cancel", 67, 18, 0, 0, 1, false},
};

constexpr uint32_t kKeyRgb = 0xFF00FF;

const std::vector<uint32_t>& Pixels(const PictureEntry& e) {
    static const std::vector<uint32_t> none;
    return e.Picture.SharedPixels() ? *e.Picture.SharedPixels() : none;
}

uint32_t Px(const PictureEntry& e, int x, int y) {
    return e.Picture.Pixel(x, y) & 0xFFFFFF;
}
int R(uint32_t p) {
    return int(p >> 16) & 255;
}
int G(uint32_t p) {
    return int(p >> 8) & 255;
}
int B(uint32_t p) {
    return int(p) & 255;
}
double Luma(uint32_t p) {
    return 0.299 * R(p) + 0.587 * G(p) + 0.114 * B(p);
}
int Diff(uint32_t a, uint32_t b) {
    return std::abs(R(a) - R(b)) + std::abs(G(a) - G(b)) + std::abs(B(a) - B(b));
}

// A pixel tinted towards the key: red and blue both well above green and close to each other.
// Anti-aliasing against magenta produces exactly this; none of the art's own colours do.
bool MagentaTinted(uint32_t p) {
    return std::min(R(p), B(p)) - G(p) > 60 && std::abs(R(p) - B(p)) < 48;
}

class PicturesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        menu_ = new std::vector<PictureEntry>(assetgen::MakeMenuPictures());
        game_ = new std::vector<PictureEntry>(assetgen::MakeGamePictures());
    }
    static void TearDownTestSuite() {
        delete menu_;
        delete game_;
    }
    static const PictureEntry& Menu(const std::string& name) { return Find(*menu_, name); }
    static const PictureEntry& Game(const std::string& name) { return Find(*game_, name); }
    static const PictureEntry& Find(const std::vector<PictureEntry>& v, const std::string& name) {
        for (const auto& e : v)
            if (e.Name == name) return e;
        ADD_FAILURE() << "no entry " << name;
        return v.front();
    }
    static void CheckCatalogue(const std::vector<PictureEntry>& got, const Catalogued* want,
                               size_t count) {
        ASSERT_EQ(got.size(), count);
        std::set<std::string> names;
        for (size_t i = 0; i < count; ++i) {
            const PictureEntry& e = got[i];
            const Catalogued& c = want[i];
            SCOPED_TRACE("index " + std::to_string(i) + " " + c.name);
            EXPECT_EQ(e.Name, c.name);
            EXPECT_TRUE(names.insert(e.Name).second) << "duplicate name";
            EXPECT_EQ(e.Picture.Width(), c.width);
            EXPECT_EQ(e.Picture.Height(), c.height);
            EXPECT_EQ(e.PatternWidth, c.patternWidth);
            EXPECT_EQ(e.PatternHeight, c.patternHeight);
            EXPECT_EQ(e.SkipWidth, 0);
            EXPECT_EQ(e.SkipHeight, 0);
            EXPECT_EQ(Pixels(e).size(), size_t(e.Picture.Width()) * e.Picture.Height());
            int fw = e.PatternWidth ? e.PatternWidth : e.Picture.Width();
            int fh = e.PatternHeight ? e.PatternHeight : e.Picture.Height();
            EXPECT_EQ(e.Picture.Width() % fw, 0) << "strip is not a whole number of frames";
            EXPECT_EQ(e.Picture.Height() % fh, 0);
            EXPECT_EQ((e.Picture.Width() / fw) * (e.Picture.Height() / fh), c.frames);
            EXPECT_EQ(e.Transparent, c.keyed);
            EXPECT_EQ(e.TransparentColor, assetgen::kKeyColor);
            EXPECT_EQ(e.BitCount, 24);
            bool anyKey = false, allKey = true;
            for (uint32_t p : Pixels(e)) {
                EXPECT_EQ(p >> 24, 0u) << "pixels are 0x00RRGGBB";
                bool key = (p & 0xFFFFFF) == kKeyRgb;
                anyKey |= key;
                allKey &= key;
            }
            EXPECT_FALSE(allKey) << "nothing drawn";
            if (!c.keyed) {
                EXPECT_FALSE(anyKey) << "the key colour appears in an opaque picture";
            }
        }
    }
    static std::vector<PictureEntry>* menu_;
    static std::vector<PictureEntry>* game_;
};
std::vector<PictureEntry>* PicturesTest::menu_ = nullptr;
std::vector<PictureEntry>* PicturesTest::game_ = nullptr;

TEST_F(PicturesTest, MenuFileMatchesTheCatalogue) {
    CheckCatalogue(*menu_, kMenu, std::size(kMenu));
}

TEST_F(PicturesTest, GameFileMatchesTheCatalogue) {
    CheckCatalogue(*game_, kGame, std::size(kGame));
}

TEST_F(PicturesTest, EveryRunGivesTheSameBytes) {
    auto sameAs = [](const std::vector<PictureEntry>& a, const std::vector<PictureEntry>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].Name != b[i].Name || Pixels(a[i]) != Pixels(b[i])) return false;
        return true;
    };
    EXPECT_TRUE(sameAs(*menu_, assetgen::MakeMenuPictures()));
    EXPECT_TRUE(sameAs(*game_, assetgen::MakeGamePictures()));
    EXPECT_EQ(assetgen::MakeDragonIcon(48), assetgen::MakeDragonIcon(48));
    EXPECT_EQ(assetgen::MakeDragonSvg(), assetgen::MakeDragonSvg());
}

TEST_F(PicturesTest, KeyedEdgesCarryNoTintOfTheKey) {
    for (const auto& e : *game_) {
        if (!e.Transparent) continue;
        int tinted = 0;
        for (int y = 0; y < e.Picture.Height(); ++y)
            for (int x = 0; x < e.Picture.Width(); ++x) {
                uint32_t p = Px(e, x, y);
                if (p == kKeyRgb) continue;
                bool edge = (x > 0 && Px(e, x - 1, y) == kKeyRgb) ||
                            (x + 1 < e.Picture.Width() && Px(e, x + 1, y) == kKeyRgb) ||
                            (y > 0 && Px(e, x, y - 1) == kKeyRgb) ||
                            (y + 1 < e.Picture.Height() && Px(e, x, y + 1) == kKeyRgb);
                if (edge && MagentaTinted(p)) ++tinted;
            }
        EXPECT_EQ(tinted, 0) << e.Name;
    }
}

TEST_F(PicturesTest, MountainLayersTileSeamlessly) {
    // The step from the last column back to the first must look like any step between
    // neighbouring columns inside the picture.
    for (const char* name : {"3-1", "2-1", "fon2", "1-1"}) {
        const PictureEntry& e = Game(name);
        auto columnStep = [&](int a, int b) {
            int keyMismatch = 0, colour = 0;
            for (int y = 0; y < e.Picture.Height(); ++y) {
                uint32_t p = Px(e, a, y), q = Px(e, b, y);
                if ((p == kKeyRgb) != (q == kKeyRgb))
                    ++keyMismatch;
                else if (p != kKeyRgb)
                    colour += Diff(p, q);
            }
            return keyMismatch * 255 + colour / e.Picture.Height();
        };
        std::vector<int> steps;
        for (int x = 0; x + 1 < e.Picture.Width(); ++x)
            steps.push_back(columnStep(x, x + 1));
        std::sort(steps.begin(), steps.end());
        int typical = steps[steps.size() * 98 / 100];
        int seam = columnStep(e.Picture.Width() - 1, 0);
        EXPECT_LE(seam, std::max(typical, 40))
            << name << ": the right edge does not continue into the left";
    }
}

TEST_F(PicturesTest, GrilleTilesFromTopToBottom) {
    const PictureEntry& e = Game("reshetka");
    int step = 0, keyedColumns = 0;
    for (int x = 0; x < e.Picture.Width(); ++x) {
        step += Diff(Px(e, x, e.Picture.Height() - 1), Px(e, x, 0));
        bool anyBar = false;
        for (int y = 0; y < e.Picture.Height(); ++y)
            anyBar |= Px(e, x, y) != kKeyRgb;
        keyedColumns += !anyBar;
    }
    EXPECT_LE(step / e.Picture.Width(), 40);
    EXPECT_EQ(keyedColumns, 0) << "the whole 64-pixel box kills, so every column must show iron";
}

TEST_F(PicturesTest, AnimationsChangeFromFrameToFrame) {
    for (const auto& e : *game_) {
        if (e.PatternWidth <= 1) continue;
        int frames = e.Picture.Width() / e.PatternWidth;
        for (int f = 0; f + 1 < frames; ++f) {
            bool differs = false;
            for (int y = 0; y < e.Picture.Height() && !differs; ++y)
                for (int x = 0; x < e.PatternWidth && !differs; ++x)
                    differs =
                        Px(e, f * e.PatternWidth + x, y) != Px(e, (f + 1) * e.PatternWidth + x, y);
            EXPECT_TRUE(differs) << e.Name << " frames " << f << " and " << f + 1
                                 << " are identical";
        }
    }
}

TEST_F(PicturesTest, DayAndNightDifferButShareTheHorizon) {
    const PictureEntry& day = Game("dayback");
    const PictureEntry& night = Game("nightback");
    double dayLuma = 0, nightLuma = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 800; ++x)
            dayLuma += Luma(Px(day, x, y)), nightLuma += Luma(Px(night, x, y));
    EXPECT_GT((dayLuma - nightLuma) / (800 * 300), 60.0);
    // The same land below the horizon, only darker at night.
    for (int x = 0; x < 800; x += 40)
        EXPECT_LT(Luma(Px(night, x, 500)), Luma(Px(day, x, 500)));
}

// Black and red program text lands on these areas, so they must stay light.
struct TextArea {
    bool menuFile;
    const char* picture;
    int x, y, w, h;
    double minLuma;
};

TEST_F(PicturesTest, AreasUnderProgramTextStayLight) {
    const TextArea areas[] = {
        {false, "statusbar", 62, 36, 66, 25, 180},  // level
        {false, "statusbar", 178, 36, 86, 25, 180}, // score
        {false, "statusbar", 712, 27, 84, 35, 180}, // bonus seconds
        {false, "scale", 0, 1, 195, 18, 150},       // level clock over the bar
        {false, "console", 10, 35, 340, 150, 190},  // dialog texts
        {true, "console", 10, 35, 340, 150, 190},
        {true, "optionsback", 220, 182, 206, 26, 200}, // country field
        {true, "optionsback", 155, 237, 126, 26, 200}, // boss-key field
        {true, "scoreback", 20, 43, 370, 230, 200},    // high-score rows
    };
    for (const TextArea& a : areas) {
        const PictureEntry& e = a.menuFile ? Menu(a.picture) : Game(a.picture);
        double darkest = 255;
        for (int y = a.y; y < a.y + a.h; ++y)
            for (int x = a.x; x < a.x + a.w; ++x)
                darkest = std::min(darkest, Luma(Px(e, x, y)));
        EXPECT_GE(darkest, a.minLuma) << a.picture << " at " << a.x << "," << a.y;
    }
    // The red banners ("LEVEL n", "GAME OVER") cross the sky at y 280..331: no red, no black.
    for (const char* sky : {"dayback", "nightback"}) {
        const PictureEntry& e = Game(sky);
        for (int y = 280 - 68; y < 331 - 68; ++y)
            for (int x = 250; x < 600; ++x) {
                uint32_t p = Px(e, x, y);
                ASSERT_GT(Luma(p), 25) << sky;
                ASSERT_FALSE(R(p) > 180 && G(p) < 80 && B(p) < 80) << sky;
            }
    }
}

// A lit picture must match the picture it is laid over everywhere but its label.
int DifferingPixels(const PictureEntry& lit, const PictureEntry& under, int ox, int oy,
                    bool borderOnly) {
    int differing = 0;
    for (int y = 0; y < lit.Picture.Height(); ++y)
        for (int x = 0; x < lit.Picture.Width(); ++x) {
            bool border =
                y == 0 || x == 0 || y == lit.Picture.Height() - 1 || x == lit.Picture.Width() - 1;
            if (borderOnly && !border) continue;
            differing += Px(lit, x, y) != Px(under, ox + x, oy + y);
        }
    return differing;
}

TEST_F(PicturesTest, HighlightsAreLitCopiesOfWhatLiesUnderThem) {
    struct Over {
        bool menuFile;
        const char* lit;
        const char* under;
        int x, y; // the lit picture's place in the picture under it
    };
    const Over overs[] = {
        {true, "mainstart", "menuback", 50, 190},    {true, "mainoptions", "menuback", 50, 241},
        {true, "mainscores", "menuback", 50, 295},   {true, "mainhelp", "menuback", 50, 348},
        {true, "mainhome", "menuback", 50, 399},     {true, "mainexit", "menuback", 50, 451},
        {true, "window", "optionsback", 143, 13},    {true, "full", "optionsback", 267, 17},
        {true, "muson", "optionsback", 148, 74},     {true, "musoff", "optionsback", 212, 75},
        {true, "soundon", "optionsback", 151, 129},  {true, "soundoff", "optionsback", 214, 130},
        {true, "backactive", "optionsback", 1, 334}, {true, "backactive", "scoreback", 1, 334},
        {true, "backactive", "helpback", 1, 334},    {true, "clearscore", "scoreback", 0, 300},
        {true, "viewscore", "scoreback", 230, 301},  {true, "prev", "helpback", 3, 303},
        {true, "next", "helpback", 394, 304},        {true, "ok", "console", 81, 196},
        {true, "cancel", "console", 200, 196},       {false, "ok", "console", 81, 196},
        {false, "cancel", "console", 200, 196},
    };
    for (const Over& o : overs) {
        const PictureEntry& lit = o.menuFile ? Menu(o.lit) : Game(o.lit);
        const PictureEntry& under = o.menuFile ? Menu(o.under) : Game(o.under);
        SCOPED_TRACE(std::string(o.lit) + " over " + o.under);
        EXPECT_EQ(DifferingPixels(lit, under, o.x, o.y, true), 0)
            << "the surroundings do not match";
        EXPECT_GT(DifferingPixels(lit, under, o.x, o.y, false), 20) << "the label is not lit";
    }
    // The dialog frame and its buttons are the same pictures in both files.
    for (const char* name : {"console", "ok", "cancel"})
        EXPECT_EQ(Pixels(Menu(name)), Pixels(Game(name))) << name;
}

TEST(DragonIcon, IsARoundMedallion) {
    const int size = 64;
    auto px = assetgen::MakeDragonIcon(size);
    ASSERT_EQ(px.size(), size_t(size * size));
    EXPECT_EQ(px[0] >> 24, 0u) << "corners are transparent";
    EXPECT_EQ(px[size / 2 * size + size / 2] >> 24, 255u) << "the middle is opaque";
    std::string svg = assetgen::MakeDragonSvg();
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("viewBox=\"0 0 64 64\""), std::string::npos);
    // Qt's SVG renderer ignores these and would draw another picture.
    for (const char* unsupported : {"clip", "<mask", "filter", "<image", "<pattern"})
        EXPECT_EQ(svg.find(unsupported), std::string::npos) << unsupported;
}

} // namespace

// GameLoop_test.cpp -- the game loop's order and timed transitions, played on the headless
// backend with the generated data: banners, spawning, the level clock, the hero's drift and
// inertia, dying, game over and the high-score decision, bonus clocks and mouse steering.
#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

#include "app/GameFlow.h"
#include "audio/SoundEvents.h"
#include "frontend/MenuSprites.h"
#include "timer/Application.h"
#include "world/Bonuses.h"
#include "world/GameRun.h"

namespace {

bool Played(const std::vector<std::string>& sounds, const std::string& name) {
    for (const std::string& s : sounds)
        if (s == name) return true;
    return false;
}

// A shield that outlasts the test: nothing on the field can hurt the dragon.
void EverlastingShield() {
    ShieldTime = 1000000000;
    HeroShield->Shown = true;
    BonusIndicator->Shown = true;
}

TEST(GameLoop, FirstFrameOfPlayAfterTheBannerSpawnsEnemyBonusAndTree) {
    GameRun g;
    EXPECT_EQ(g.State(), "gsLevelBanner");
    EXPECT_EQ(g.h.Field("Hero.Shown"), "false");
    g.h.Frames(93);
    EXPECT_EQ(g.State(), "gsLevelBanner");
    EXPECT_EQ(g.h.Field("BannerTime"), "12");
    g.h.Frames(1);
    EXPECT_EQ(g.State(), "gsPlaying") << "the 94th banner frame ends it";
    EXPECT_EQ(g.h.Field("Hero.Shown"), "true");
    EXPECT_EQ(g.h.Field("CursorVisible"), "false");
    EXPECT_EQ(g.Count("TFlyingEnemySprite"), 0) << "nothing spawns during the banner";
    EXPECT_EQ(g.Count("TBonusSprite"), 0);
    EXPECT_EQ(g.Count("TGreenTree"), 0);
    EXPECT_EQ(g.h.Field("LevelTimeMs"), "0");
    g.h.Frames(1);
    EXPECT_EQ(g.Count("TFlyingEnemySprite"), 1);
    EXPECT_EQ(g.Count("TBonusSprite"), 1);
    EXPECT_EQ(g.Count("TGreenTree"), 1);
    EXPECT_EQ(g.h.Field("LevelTimeMs"), "16");
}

TEST(GameLoop, WithoutInputTheHeroDriftsToTheLeftEdge) {
    GameRun g;
    g.RemoveGrille();
    GameRun::HoldSpawns();
    g.PassBanner();
    g.h.Frames(144);
    EXPECT_EQ(g.h.Field("Hero.X"), "6");
    g.h.Frames(1);
    EXPECT_EQ(g.h.Field("Hero.X"), "5");
    g.h.Frames(300);
    EXPECT_EQ(g.h.Field("Hero.X"), "5") << "the clamp holds it";
    EXPECT_EQ(g.h.Field("Hero.Y"), "200");
    EXPECT_EQ(g.State(), "gsPlaying");
    EXPECT_EQ(g.h.Field("Lives"), "3");
}

TEST(GameLoop, InARealGameTheHeroDriftsIntoTheGrilleAndDies) {
    GameRun g;
    g.PassBanner();
    int frames = 0;
    while (g.State() == "gsPlaying" && frames < 200) {
        g.h.Frames(1);
        ++frames;
    }
    EXPECT_EQ(g.State(), "gsDying");
    EXPECT_EQ(g.h.Field("Lives"), "2");
    EXPECT_EQ(g.h.Field("Hero.Shown"), "false");
    // The grille (x -30..0, 64 wide) reaches the tail 49 px behind the dragon.
    int x = std::stoi(g.h.Field("Hero.X"));
    EXPECT_GE(x, 83);
    EXPECT_LE(x, 113);
    EXPECT_EQ(g.h.Field("Hero.Health"), "50") << "the grille kills without damage";
}

TEST(GameLoop, HoldingRightBuildsTheInertia) {
    GameRun g;
    g.RemoveGrille();
    GameRun::HoldSpawns();
    g.PassBanner();
    g.h.RunLine("key down 39"); // the right arrow
    // Keep the dragon in mid-air so only the inertia grows; report what each frame moved it.
    auto frame = [&] {
        Hero->X = 150;
        g.h.Frames(1);
        return Hero->X - 150;
    };
    // -1 drift, +8 key step, + round(inertia): 0.2 and 0.4 round to 0, 0.6 to 1.
    EXPECT_EQ(frame(), 7);
    EXPECT_NEAR(HeroSpeedX, 0.2, 1e-9);
    EXPECT_EQ(frame(), 7);
    EXPECT_EQ(frame(), 8);
    EXPECT_NEAR(HeroSpeedX, 0.6, 1e-9);
    for (int i = 4; i <= 151; ++i)
        frame();
    EXPECT_NEAR(HeroSpeedX, 30.2, 1e-9) << "the last rise carries it just past 30";
    EXPECT_EQ(frame(), 37);
    for (int i = 0; i < 50; ++i)
        frame();
    EXPECT_NEAR(HeroSpeedX, 30.2, 1e-9) << "it settles";
    EXPECT_EQ(g.h.Field("Hero.Y"), "200");

    // Released, it falls back by 0.2 per frame.
    g.h.RunLine("key up 39");
    g.h.Frames(1);
    EXPECT_NEAR(HeroSpeedX, 30.0, 1e-9);
}

// Frames that began in play with the level unchanged, until the level changes.
int PlayFramesOfLevel(GameRun& g, int pauseAfter, int pauseFrames) {
    const uint8_t level = Level;
    int played = 0;
    while (Level == level && played <= 100000) {
        if (played == pauseAfter && pauseFrames > 0) {
            const double clock = LevelTime;
            PauseGame(TPauseReason::Key);
            g.h.Frames(pauseFrames);
            EXPECT_EQ(LevelTime, clock) << "the clock stands while paused";
            ResumeGame();
            pauseFrames = 0;
        }
        const bool playing = GameState == gsPlaying;
        g.h.Frames(1);
        if (playing && Level == level) ++played;
    }
    return played;
}

TEST(GameLoop, ALevelLastsItsLengthOfPlayPausesAndBannersExcluded) {
    GameRun g;
    BonusDelay = 65535; // a time bonus would move the clock
    g.PassBanner();
    EverlastingShield();
    EXPECT_EQ(PlayFramesOfLevel(g, 1000, 200), 3750) << "60 s of 16 ms frames";
    EXPECT_EQ(g.h.Field("Level"), "2");
    EXPECT_EQ(g.State(), "gsLevelBanner");
    EXPECT_EQ(g.h.Field("LevelTimeMs"), "0");
    EXPECT_EQ(g.h.Field("LevelLengthMs"), "70000");
    EXPECT_TRUE(Played(TakeSoundsPlayed(), "nextlevel"));
    EXPECT_EQ(g.h.Field("Hero.X"), "150");
    EXPECT_EQ(g.h.Field("BannerTime"), "1484") << "the banner counted in the level's last frame";
    g.h.Frames(92);
    EXPECT_EQ(g.Count("TFlyingEnemySprite"), 0) << "the level change cleared the field";
    EXPECT_EQ(g.State(), "gsLevelBanner");
    g.h.Frames(1);
    EXPECT_EQ(g.State(), "gsPlaying");
    EverlastingShield();
    EXPECT_EQ(PlayFramesOfLevel(g, 0, 0), 4375) << "70 s";
    EXPECT_EQ(g.h.Field("Level"), "3");
}

TEST(GameLoop, DyingLastsUntilTheLoopHasCountedTheDelayDown) {
    GameRun g;
    g.RemoveGrille();
    GameRun::HoldSpawns();
    g.PassBanner();
    TakeSoundsPlayed();
    Hero->Health = 0; // dies in its next step
    g.h.Frames(1);
    EXPECT_EQ(g.State(), "gsDying");
    EXPECT_EQ(g.h.Field("DeathDelay"), "189") << "the dying step already ran in this frame";
    EXPECT_EQ(g.h.Field("Lives"), "2");
    EXPECT_EQ(g.Count("TExplosionSprite"), 1);
    EXPECT_TRUE(Played(TakeSoundsPlayed(), "herodie"));
    const std::string clock = g.h.Field("LevelTimeMs");

    g.h.Frames(189);
    EXPECT_EQ(g.State(), "gsDying");
    EXPECT_EQ(g.h.Field("DeathDelay"), "0");
    EXPECT_EQ(g.h.Field("LevelTimeMs"), clock) << "the level clock stands while dying";
    g.h.Frames(1);
    EXPECT_EQ(g.State(), "gsPlaying") << "play resumes 190 frames after the death";
    EXPECT_EQ(g.h.Field("Hero.Shown"), "true");
    EXPECT_EQ(g.h.Field("Hero.Health"), "50");
    EXPECT_EQ(g.h.Field("Hero.X"), "150");
    EXPECT_EQ(g.h.Field("Hero.Y"), "200");
    EXPECT_EQ(g.h.Field("Lives"), "2");
}

// The last life is lost with the given score; runs to the end of the game-over banner.
struct GameOverCase {
    int score;
    const char* after;
};

TEST(GameLoop, TheGameOverBannerEndsInTheMenuOrInNameEntry) {
    const GameOverCase cases[] = {
        {0, "gsMenu"},          // rank 11 against the default table
        {100, "gsMenu"},        // equal to the tenth entry: ranks below it
        {101, "gsNameEntry"},   // beats the tenth entry
        {65535, "gsNameEntry"}, // first place
    };
    for (const GameOverCase& c : cases) {
        SCOPED_TRACE(c.score);
        GameRun g;
        g.RemoveGrille();
        GameRun::HoldSpawns();
        g.PassBanner();
        Lives = 1;
        Hero->Health = 0;
        g.h.Frames(190);
        EXPECT_EQ(g.State(), "gsDying");
        TakeSoundsPlayed();
        Score = uint16_t(c.score);
        g.h.Frames(1);
        EXPECT_EQ(g.State(), "gsGameOver");
        EXPECT_EQ(g.h.Field("BannerTime"), "1484") << "the first interval counts at once";
        EXPECT_TRUE(Played(TakeSoundsPlayed(), "looser"));
        g.h.Frames(92);
        EXPECT_EQ(g.State(), "gsGameOver");
        const uint8_t blinks = BlinkCounter;
        g.h.Frames(1);
        EXPECT_EQ(g.State(), c.after);
        EXPECT_EQ(g.h.Field("CursorVisible"), "true");
        if (std::string(c.after) == "gsMenu") {
            EXPECT_FALSE(g.Form().DXTimer2.Enabled());
            EXPECT_TRUE(g.Form().DXTimer1.Enabled());
            EXPECT_EQ(g.h.Field("Hero"), "null") << "the field is freed";
            EXPECT_EQ(g.h.Field("Sprites.TMountain"), "null");
        } else {
            EXPECT_TRUE(g.Form().DXTimer2.Enabled());
            EXPECT_EQ(g.h.Field("MenuScreen"), "8");
            EXPECT_EQ(g.h.Field("SelectedItem"), "3");
            EXPECT_EQ(g.h.Field("TextEditing"), "true");
            EXPECT_TRUE(DialogWindow->Shown);
            EXPECT_EQ(uint8_t(BlinkCounter - blinks), 1) << "name entry drew in the same frame";
            g.h.Frames(5);
            EXPECT_EQ(g.State(), "gsNameEntry") << "name entry has no clock";
        }
    }
}

// Reddish text pixels of the last presented frame inside a box.
int RedPixels(THarness& h, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const uint32_t p = h.Platform().lastFrame[size_t(y) * 800 + size_t(x)];
            const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            n += r > 150 && r - g > 80 && r - b > 80;
        }
    return n;
}

TEST(GameLoop, TheNameEntryCaretBlinksSixteenFramesOnAndSixteenOff) {
    GameRun g;
    g.RemoveGrille();
    GameRun::HoldSpawns();
    g.PassBanner();
    Lives = 1;
    Hero->Health = 0;
    Score = 500;
    g.h.Frames(190 + 94);
    ASSERT_EQ(g.State(), "gsNameEntry");
    PlayerName.Assign("ABCDEFGHIJ"); // ten characters: the caret still shows
    Country.Assign("fr");

    TDirectDrawSurfaceCanvas& canvas = g.Form().DXDraw.BackSurface().Canvas();
    canvas.Font.Size = 16;
    const int nameEnd = 400 - canvas.TextWidth("ABCDEFGHIJ") / 2 + canvas.TextWidth("ABCDEFGHIJ");
    const int countryEnd = 400 - canvas.TextWidth("FR") / 2 + canvas.TextWidth("FR");
    g.Form().DXDraw.BackSurface().ReleaseCanvas();
    struct Field {
        uint8_t item;
        int caretX, caretY;
    } fields[] = {{3, nameEnd, 260}, {4, countryEnd, 320}};
    for (const Field& f : fields) {
        SCOPED_TRACE(int(f.item));
        SelectedItem = f.item;
        int on = 0, off = 0;
        for (int frame = 0; frame < 64; ++frame) {
            g.h.Frames(1);
            const bool caret = BlinkCounter % 32 < 16;
            const int red = RedPixels(g.h, f.caretX, f.caretY, f.caretX + 10, f.caretY + 26);
            if (caret) {
                EXPECT_GT(red, 0) << "frame " << frame;
                ++on;
            } else {
                EXPECT_EQ(red, 0) << "frame " << frame;
                ++off;
            }
        }
        EXPECT_EQ(on, 32);
        EXPECT_EQ(off, 32);
    }
    TextEditing = false;
    SelectedItem = 3;
    g.h.Frames(40);
    EXPECT_EQ(RedPixels(g.h, nameEnd, 260, nameEnd + 10, 286), 0) << "no caret while not editing";
    EXPECT_GT(RedPixels(g.h, 400 - 20, 260, 400 + 20, 286), 0) << "the focused field is red";
}

TEST(GameLoop, BonusClocksRunOnlyInPlayAndGiveTheFirstWeaponBack) {
    GameRun g;
    g.RemoveGrille();
    GameRun::HoldSpawns();
    g.PassBanner();
    WeaponTime = 15000;
    Hero->Weapon = 3;
    Hero->FireRate = 12;
    BonusIndicator->Shown = true;
    g.h.Frames(1);
    EXPECT_EQ(g.h.Field("WeaponTime"), "14984");
    PauseGame(TPauseReason::Key);
    g.h.Frames(50);
    EXPECT_EQ(g.h.Field("WeaponTime"), "14984") << "not while paused";
    ResumeGame();
    g.h.Frames(936);
    EXPECT_EQ(g.h.Field("WeaponTime"), "8");
    EXPECT_EQ(g.h.Field("Hero.Weapon"), "3");
    g.h.Frames(1);
    EXPECT_EQ(g.h.Field("WeaponTime"), "-8");
    g.h.Frames(1);
    EXPECT_EQ(g.h.Field("Hero.Weapon"), "1");
    EXPECT_EQ(g.h.Field("Hero.FireRate"), "24");
    EXPECT_FALSE(BonusIndicator->Shown) << "hidden once every bonus clock ran out";
}

TEST(GameLoop, MouseMotionDuringPlayBecomesHeroSteps) {
    GameRun g;
    g.RemoveGrille();
    GameRun::HoldSpawns();
    g.h.RunLine("mouse rel 40 0");
    g.h.Frames(1);
    EXPECT_EQ(MouseRight, 0) << "only while playing";
    g.PassBanner();

    struct Case {
        const char* line;
        int left, right, up, down;
    } cases[] = {
        {"mouse rel 40 0", 0, 20, 0, 0}, {"mouse rel -41 0", 20, 0, 0, 0},
        {"mouse rel 0 30", 0, 0, 0, 15}, {"mouse rel 7 -9", 0, 3, 4, 0},
        {"mouse rel 1 0", 0, 0, 0, 0},   {"mouse rel 2000 -900", 0, 255, 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        MouseLeft = MouseRight = MouseUp = MouseDown = 0;
        int dx = 0, dy = 0;
        ASSERT_EQ(std::sscanf(c.line, "mouse rel %d %d", &dx, &dy), 2);
        g.h.Form().PlayMouseMotion(dx, dy);
        EXPECT_EQ(MouseLeft, c.left);
        EXPECT_EQ(MouseRight, c.right);
        EXPECT_EQ(MouseUp, c.up);
        EXPECT_EQ(MouseDown, c.down);
    }

    // The dragon takes the step instead of the key step and uses it up. The motion between two
    // frames counts as one move, however many events carried it.
    MouseLeft = MouseRight = MouseUp = MouseDown = 0;
    Hero->X = 300;
    Hero->Y = 300;
    g.h.RunLine("mouse rel 30 -5");
    g.h.RunLine("mouse rel 10 -15");
    g.h.Frames(1);
    EXPECT_EQ(g.h.Field("Hero.X"), "319"); // -1 drift + 20
    EXPECT_EQ(g.h.Field("Hero.Y"), "290");
    EXPECT_EQ(MouseRight, 0);
    EXPECT_EQ(MouseUp, 0);

    // Toward a direction the keyboard holds, the motion leaves the steps alone.
    g.h.RunLine("key down 39");
    g.h.Frames(1);
    MouseRight = 5;
    g.h.RunLine("mouse rel 40 0");
    Application().ProcessMessages();
    EXPECT_EQ(MouseRight, 5);
}

} // namespace

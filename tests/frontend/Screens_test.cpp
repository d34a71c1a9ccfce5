// Screens_test.cpp -- what the options, high-score, help and exit screens do and keep: the
// settings file they write, the pages, the links they open; screenshots of every screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "frontend/FrontEnd.h"
#include "frontend/FrontEndScenario.h"
#include "frontend/HelpImage.h"
#include "frontend/Settings.h"
#include "online/ScoreServer.h"

namespace {

using Screens = FrontEndScenario;

TEST_F(Screens, FirstStartWritesTheDefaultSettingsFile) {
    std::vector<uint8_t> bytes = ConfigBytes();
    ASSERT_EQ(bytes.size(), 158u);
    EXPECT_EQ(bytes[0], 0) << "windowed, stored inverted";
    EXPECT_EQ(bytes[1], 0) << "music on";
    EXPECT_EQ(bytes[2], 0) << "sound on";
    EXPECT_EQ(bytes[4], 0x7B) << "F12";
    EXPECT_EQ(bytes[5], 0x00);
    OpenScreen(3);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(F("HighScores." + std::to_string(i)),
                  "[\"Anonymous\"," + std::to_string(1000 - 100 * i) + "]");
}

TEST_F(Screens, OptionTogglesTakeEffectSwapTheirMarksAndAreSaved) {
    OpenScreen(2);
    ASSERT_TRUE(OptionMarks[1]->Shown);
    ASSERT_FALSE(OptionMarks[2]->Shown);
    Press(kEnter); // display
    EXPECT_EQ(F("Fullscreen"), "true");
    EXPECT_FALSE(OptionMarks[1]->Shown);
    EXPECT_TRUE(OptionMarks[2]->Shown);
    EXPECT_EQ(ConfigBytes()[0], 1);
    Press(kDown);
    Press(kEnter); // music off
    EXPECT_EQ(F("Song"), "null");
    EXPECT_FALSE(OptionMarks[3]->Shown);
    EXPECT_TRUE(OptionMarks[4]->Shown);
    EXPECT_EQ(ConfigBytes()[1], 1);
    Press(kEnter); // and on again: the song starts over
    EXPECT_EQ(F("Song"), "Sound\\1.xm");
    EXPECT_TRUE(OptionMarks[3]->Shown);
    Press(kDown);
    Press(kLeft); // sound off
    EXPECT_EQ(N("SoundOn"), 0);
    EXPECT_TRUE(OptionMarks[6]->Shown);
    EXPECT_EQ(ConfigBytes()[2], 1);
    Sounds();
    Press(kDown);
    EXPECT_EQ(Sounds(), "[]") << "no clicks with sound off";
}

TEST_F(Screens, CountryFieldTakesTenCharactersAndDownEndsTyping) {
    OpenScreen(2);
    PressTimes(kDown, 3);
    Press(kEnter); // item 4 starts typing
    EXPECT_EQ(F("TextEditing"), "true");
    Run({"type abcdefghijk", "frames 40"});
    EXPECT_EQ(F("Country"), "abcdefghij");
    Shot("options-country");
    Press(kBack);
    EXPECT_EQ(F("Country"), "abcdefghi");
    Press(kDown);
    EXPECT_EQ(F("TextEditing"), "false");
    EXPECT_EQ(N("SelectedItem"), 5);
    Run({"type z", "frames 1"});
    EXPECT_EQ(F("Country"), "abcdefghi");
    Press(kEsc);
    std::vector<uint8_t> bytes = ConfigBytes();
    EXPECT_EQ(bytes[6], 9) << "the country is saved on leaving";
    EXPECT_EQ(bytes[7], uint8_t(~'a')) << "its characters stored inverted";
}

TEST_F(Screens, LeavingTheOptionsSavesEvenWithoutChanges) {
    std::filesystem::remove(dir / "config.dat");
    OpenScreen(2);
    EXPECT_FALSE(std::filesystem::exists(dir / "config.dat"));
    Press(kEsc);
    EXPECT_EQ(ConfigBytes().size(), 158u);
}

TEST_F(Screens, BossKeysOutsideTheTableGetReadableNames) {
    struct {
        int key;
        const char* name;
    } cases[] = {{kTab, "Tab"},     {45, "Insert"},     {'Q', "Q"},  {'7', "7"},
                 {32, "Space"},     {91, "Window Key"}, {kF1, "F1"}, {kF12, "F12"},
                 {34, "Page Down"}, {97, "Num 1"}};
    OpenScreen(2);
    PressTimes(kDown, 4);
    for (const auto& c : cases) {
        Press(kEnter);
        ASSERT_EQ(N("MenuScreen"), 7);
        Press(c.key);
        EXPECT_EQ(F("BossKeyName"), c.name) << c.key;
    }
}

TEST_F(Screens, ClearScoresAsksAndOnlyYesResetsAndSaves) {
    HighScores[9].Name.Assign("Kim");
    HighScores[9].Score = 150;
    SaveSettingsAndTell();
    const std::vector<uint8_t> before = ConfigBytes();
    OpenScreen(6);
    Press(kRight);
    Press(kEnter); // no
    EXPECT_EQ(N("MenuScreen"), 3);
    EXPECT_EQ(F("HighScores.9"), "[\"Kim\",150]");
    EXPECT_EQ(ConfigBytes(), before);
    EXPECT_EQ(N("SelectedItem"), 2) << "the answer keeps the selection";
    Press(kLeft);
    Press(kEnter); // clear again
    Press(kEnter); // yes
    EXPECT_EQ(N("MenuScreen"), 3);
    EXPECT_EQ(F("HighScores.9"), "[\"Anonymous\",100]");
    EXPECT_NE(ConfigBytes(), before);
    EXPECT_EQ(F("Sprites.TMenuItem"), "9") << "the dialog's buttons are gone";
}

TEST_F(Screens, HelpLeafsFromOneToTenAndBack) {
    OpenScreen(4);
    EXPECT_EQ(N("HelpPage"), 1);
    Press(kEnter); // previous on page 1
    EXPECT_EQ(N("HelpPage"), 1);
    Press(kDown); // next
    for (int page = 2; page <= 10; ++page) {
        Press(kEnter);
        EXPECT_EQ(N("HelpPage"), page);
        EXPECT_EQ(HelpImage->PictureItem, &Pictures().Items(page + 23));
    }
    Press(kEnter);
    EXPECT_EQ(N("HelpPage"), 10) << "next on the last page repeats it";
    Shot("help-page10");
    Press(kUp); // previous
    for (int page = 9; page >= 1; --page) {
        Press(kEnter);
        EXPECT_EQ(N("HelpPage"), page);
    }
}

TEST_F(Screens, HelpOpensOnPageOneAgain) {
    OpenScreen(4);
    Press(kDown);
    PressTimes(kEnter, 6);
    ASSERT_EQ(N("HelpPage"), 7);
    Press(kEsc);
    EXPECT_EQ(F("Sprites.THelpImageSprite"), "null");
    OpenScreen(4);
    EXPECT_EQ(N("HelpPage"), 1);
    EXPECT_EQ(HelpImage->PictureItem, &Pictures().Items(24));
}

TEST_F(Screens, WebPagesOpenAndTheScreenStays) {
    PressTimes(kDown, 4);
    Press(kEnter); // home page
    EXPECT_EQ(F("LinksOpened"), "[\"" + ScoreServerBase() + "\"]");
    EXPECT_EQ(N("MenuScreen"), 1);
    h->StateJson(true);
    OpenScreen(3);
    Press(kDown);
    Press(kEnter);
    Press(kEnter); // twice: two pages
    const std::string world = ScoreServerBase() + "cgi/version.pl?prg=Skyvern&show&type=0";
    EXPECT_EQ(F("LinksOpened"), "[\"" + world + "\",\"" + world + "\"]");
    EXPECT_EQ(N("MenuScreen"), 3);
    EXPECT_EQ(N("SelectedItem"), 2);
}

TEST_F(Screens, TheExitLinkOpensAfterTheWindowCloses) {
    std::ofstream(dir / "play.url") << "[InternetShortcut]\r\nURL=http://example.org/play\r\n";
    Press(kEsc);
    EXPECT_EQ(F("LinksOpened"), "[]");
    Press(kEnter);
    ASSERT_TRUE(h->Ended());
    EXPECT_EQ(F("LinksOpened"), "[\"http://example.org/play\"]");
}

TEST_F(Screens, WithoutPlayUrlNothingOpensAtTheEnd) {
    Press(kEsc);
    Press(kEnter);
    ASSERT_TRUE(h->Ended());
    EXPECT_EQ(F("LinksOpened"), "[]");
}

// Pixels that are not black: a screen whose pictures and texts failed to draw has almost none.
size_t LitPixels(const std::vector<uint32_t>& frame) {
    return size_t(
        std::count_if(frame.begin(), frame.end(), [](uint32_t p) { return (p & 0xFFFFFF) != 0; }));
}

TEST_F(Screens, EveryScreenDrawn) {
    Run({"frames 1"});
    Shot("menu-main");
    struct Drawn {
        const char* name;
        std::vector<uint32_t> frame;
    };
    std::vector<Drawn> drawn{{"menu-main", h->Platform().lastFrame}};
    struct {
        int screen;
        const char* name;
    } shots[] = {{2, "menu-options"}, {3, "menu-scores"}, {4, "menu-help"},
                 {5, "menu-exit"},    {6, "menu-clear"},  {7, "menu-bosskey"}};
    for (const auto& s : shots) {
        OpenScreen(s.screen);
        Run({"frames 1"});
        Shot(s.name);
        const std::vector<uint32_t>& frame = h->Platform().lastFrame;
        ASSERT_EQ(frame.size(), 800u * 600u);
        EXPECT_GT(LitPixels(frame), frame.size() / 2) << s.name << " is mostly black";
        // Each screen or dialog adds pictures or texts of its own to what lay beneath it.
        for (const Drawn& other : drawn)
            EXPECT_NE(frame, other.frame) << s.name << " looks the same as " << other.name;
        drawn.push_back({s.name, frame});
        if (s.screen == 7) Press(kF12); // the dialog waits for a key
        PressUntil(kEsc, "MenuScreen", "1", 3);
    }
}

} // namespace

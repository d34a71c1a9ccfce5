// Menu_test.cpp -- the menus by keyboard and mouse: moving the selection on every screen,
// Escape everywhere, hover rectangles, and the main menu staying live beside the sub-screens.
#include <gtest/gtest.h>

#include "frontend/FrontEnd.h"
#include "frontend/FrontEndScenario.h"

namespace {

using MenuTest = FrontEndScenario;

// ------------------------------------------------------------ every screen, one table

struct ScreenCase {
    int screen;
    int items;
    bool leftRightMove; // Left and Right move like Up and Down
    friend void PrintTo(const ScreenCase& c, std::ostream* os) { *os << "screen " << c.screen; }
};

class EveryScreen : public FrontEndScenario, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(EveryScreen, UpAndDownWrapAround) {
    const ScreenCase c = GetParam();
    OpenScreen(c.screen);
    PressUntil(kDown, "SelectedItem", std::to_string(c.items), c.items);
    Press(kDown);
    EXPECT_EQ(N("SelectedItem"), 1) << "Down from the last item wraps to the first";
    Press(kUp);
    EXPECT_EQ(N("SelectedItem"), c.items) << "Up from the first item wraps to the last";
    EXPECT_EQ(N("MenuScreen"), c.screen);
}

TEST_P(EveryScreen, LeftAndRightMoveOnlyWhereTheyShould) {
    const ScreenCase c = GetParam();
    OpenScreen(c.screen);
    if (c.screen == 2) PressTimes(kDown, 3); // past the three toggles
    const int before = N("SelectedItem");
    Press(kRight);
    const int afterRight = N("SelectedItem");
    Press(kLeft);
    if (c.leftRightMove) {
        EXPECT_EQ(afterRight, before == c.items ? 1 : before + 1);
        EXPECT_EQ(N("SelectedItem"), before);
    } else {
        EXPECT_EQ(afterRight, before);
        EXPECT_EQ(N("SelectedItem"), before);
    }
    EXPECT_EQ(N("MenuScreen"), c.screen);
}

INSTANTIATE_TEST_SUITE_P(Screens, EveryScreen,
                         ::testing::Values(ScreenCase{1, 6, false}, ScreenCase{2, 6, false},
                                           ScreenCase{3, 3, true}, ScreenCase{4, 3, true},
                                           ScreenCase{5, 2, true}, ScreenCase{6, 2, true},
                                           ScreenCase{8, 4, true}, ScreenCase{9, 2, true}),
                         [](const auto& info) {
                             return "Screen" + std::to_string(info.param.screen);
                         });

// ------------------------------------------------------------ Escape on each screen

struct EscapeCase {
    int screen;
    int screenAfter;
    const char* gameStateAfter;
    friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << "screen " << c.screen; }
};

class EscapeOnEveryScreen : public FrontEndScenario,
                            public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(EscapeOnEveryScreen, LeavesOrAnswersNoOrDoesNothing) {
    const EscapeCase c = GetParam();
    OpenScreen(c.screen);
    Press(kEsc);
    EXPECT_EQ(N("MenuScreen"), c.screenAfter);
    EXPECT_EQ(F("GameState"), c.gameStateAfter);
    EXPECT_EQ(F("TextEditing"), c.screen == 8 ? "true" : "false");
    if (c.screen == 7) {
        EXPECT_EQ(N("BossKey"), 123) << "Escape never becomes the boss key";
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, EscapeOnEveryScreen,
                         ::testing::Values(EscapeCase{1, 5, "gsMenu"}, // opens the exit dialog
                                           EscapeCase{2, 1, "gsMenu"}, // back
                                           EscapeCase{3, 1, "gsMenu"}, // back
                                           EscapeCase{4, 1, "gsMenu"}, // back
                                           EscapeCase{5, 1, "gsMenu"}, // no
                                           EscapeCase{6, 3, "gsMenu"}, // no
                                           EscapeCase{7, 7, "gsMenu"}, // waits for a key
                                           EscapeCase{8, 8, "gsNameEntry"},
                                           EscapeCase{9, 9, "gsSendPrompt"}),
                         [](const auto& info) {
                             return "Screen" + std::to_string(info.param.screen);
                         });

// ------------------------------------------------------------ keyboard

TEST_F(MenuTest, AHeldKeyMovesOnceUntilAKeyIsReleased) {
    Run({"key down 40", "key down 40", "key down 40", "frames 1"}); // auto-repeat
    EXPECT_EQ(N("SelectedItem"), 2);
    Run({"key down 38", "frames 1"}); // a second key while the first is held
    EXPECT_EQ(N("SelectedItem"), 2);
    Run({"key up 38", "key up 40", "key down 40", "frames 1"});
    EXPECT_EQ(N("SelectedItem"), 3);
    EXPECT_EQ(Sounds(), "[\"menu\",\"menu\"]") << "one click per move";
}

TEST_F(MenuTest, EnterOpensTheSelectedScreenAndTheMainMenuStaysBehindIt) {
    OpenScreen(3);
    EXPECT_EQ(F("Sprites.TSubBackground"), "1");
    EXPECT_EQ(F("Sprites.TMenuItem"), "9") << "six main-menu entries and three items";
    Press(kEsc);
    EXPECT_EQ(N("SelectedItem"), 3) << "back on the entry that opened the screen";
    EXPECT_EQ(F("Sprites.TSubBackground"), "null");
    EXPECT_EQ(F("Sprites.TMenuItem"), "6");
}

// ------------------------------------------------------------ mouse

TEST_F(MenuTest, HoverMovesTheHighlightOnceForEachNewEntry) {
    Run({"mouse move 60 200", "mouse move 60 250", "mouse move 61 252", "mouse move 60 300",
         "frames 1"});
    EXPECT_EQ(N("SelectedItem"), 3);
    EXPECT_EQ(Sounds(), "[\"menu\",\"menu\"]");
}

TEST_F(MenuTest, TheRightAndBottomEdgesOfAnItemStillCount) {
    const TMenuRect r = MenuLayout[1][2];
    ASSERT_GT(r.W, 0) << "written from the picture";
    const int right = r.X + r.W, bottom = r.Y + r.H;
    Run({"mouse move " + std::to_string(right) + " " + std::to_string(bottom), "frames 1"});
    EXPECT_EQ(N("SelectedItem"), 2);
    Run({"mouse move " + std::to_string(right + 1) + " " + std::to_string(bottom), "frames 1"});
    Click(right + 1, bottom); // just outside: background
    EXPECT_EQ(N("MenuScreen"), 1) << "a click on the background does nothing";
}

TEST_F(MenuTest, AClickActsOnTheItemTheKeyboardSelectedLast) {
    OpenScreen(2);
    Run({"mouse move 500 260", "frames 1"}); // resting on music
    EXPECT_EQ(N("SelectedItem"), 2);
    Press(kDown);
    Run({"mouse down left", "mouse up left", "frames 1"});
    EXPECT_EQ(N("SoundOn"), 0) << "item 3 (sound) toggled";
    EXPECT_EQ(N("MusicOn"), 1);
}

TEST_F(MenuTest, AMainMenuClickBesideASubScreenOpensThatEntryDirectly) {
    OpenScreen(3);
    Sounds();
    Run({"mouse move 60 370", "frames 1"}); // help, beside the high-score panel
    EXPECT_EQ(N("MenuScreen"), 3);
    Sounds();
    Click(60, 370);
    EXPECT_EQ(N("MenuScreen"), 4);
    EXPECT_EQ(F("Sprites.THelpImageSprite"), "1");
    EXPECT_EQ(Sounds(), "[\"menu\",\"menu\"]") << "one click to leave, one to open";
    EXPECT_EQ(F("Sprites.TMenuItem"), "9") << "the score items are gone";
}

TEST_F(MenuTest, LeftAndRightToggleTheOptionEvenWithThePointerOnTheMainMenu) {
    OpenScreen(2);
    Run({"mouse move 60 370", "frames 1"}); // resting on help
    Press(kRight);
    EXPECT_EQ(N("MenuScreen"), 2);
    EXPECT_EQ(F("Fullscreen"), "true");
}

TEST_F(MenuTest, MainMenuClicksBesideTheClearAndBossKeyDialogsAreIgnored) {
    for (int screen : {6, 7}) {
        OpenScreen(screen);
        Click(60, 210); // start game
        EXPECT_EQ(N("MenuScreen"), screen);
        EXPECT_EQ(F("GameState"), "gsMenu");
        EXPECT_EQ(F("HighScores.9.1"), "100") << "the clear dialog was not answered";
        Press(screen == 6 ? kEsc : kF5);
        Press(kEsc);
        ASSERT_EQ(N("MenuScreen"), 1);
    }
}

TEST_F(MenuTest, AMainMenuClickBehindAnExitDialogOverASubScreenClosesBoth) {
    OpenScreen(2);
    Run({"close", "frames 1"});
    ASSERT_EQ(N("MenuScreen"), 5);
    Click(60, 320); // high scores, behind the dialog
    EXPECT_EQ(N("MenuScreen"), 3) << "the entry opens; options item 3 is not touched";
    EXPECT_EQ(N("SoundOn"), 1);
    Run({"frames 1"});
    EXPECT_EQ(F("Sprites.TSubBackground"), "1");
    EXPECT_EQ(F("Sprites.TMenuItem"), "9") << "no option marks or buttons are left behind";
    EXPECT_EQ(F("Sprites.TClosingWindow"), "1");
}

TEST_F(MenuTest, AnsweringNoReturnsToTheItemSelectedBefore) {
    PressTimes(kDown, 2);
    Press(kEsc);
    EXPECT_EQ(N("MenuScreen"), 5);
    EXPECT_EQ(N("SelectedItem"), 1) << "the dialog opens on yes";
    Click(440, 390); // no
    EXPECT_EQ(N("MenuScreen"), 1);
    EXPECT_EQ(N("SelectedItem"), 3);
    EXPECT_FALSE(h->Ended());
}

TEST_F(MenuTest, TheMainMenuExitEntryOpensTheDialogAndYesEnds) {
    PressTimes(kUp, 1); // wraps to exit
    Press(kEnter);
    EXPECT_EQ(N("MenuScreen"), 5);
    Press(kEnter); // yes
    EXPECT_TRUE(h->Ended());
}

} // namespace

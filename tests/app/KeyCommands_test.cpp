// KeyCommands_test.cpp -- keys and window commands in play and in the dialogs: pause, the
// exit dialog and its answers, the boss key and its capture, Alt+Enter, typing in name entry.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "frontend/FrontEndScenario.h"
#include "world/Hero.h"

namespace {

class KeyCommands : public FrontEndScenario {
  protected:
    // Main menu -> a running game (past the level banner, when there is one).
    void StartPlaying() {
        OpenScreen(1);
        Press(kEnter);
        for (int i = 0; i < 200 && F("GameState") != "gsPlaying"; ++i)
            Run({"frames 1"});
        ASSERT_EQ(F("GameState"), "gsPlaying");
    }
    void Type(const std::string& text) { Run({"type " + text, "frames 1"}); }
};

// ------------------------------------------------------------ the exit dialog

TEST_F(KeyCommands, ExitDialogDuringPlayYesEndsTheGameNotTheProgram) {
    StartPlaying();
    Press(kEsc);
    EXPECT_EQ(F("GameState"), "gsExitDialog");
    EXPECT_EQ(N("MenuScreen"), 5);
    EXPECT_EQ(F("CursorVisible"), "true");
    Sounds();
    Shot("play-exit-dialog");
    Press(kEnter); // yes
    EXPECT_EQ(F("GameState"), "gsGameOver");
    EXPECT_EQ(N("BannerTime"), 1500 - 16) << "the banner counts from the next frame on";
    Shot("play-exit-yes-game-over");
    EXPECT_EQ(Sounds(), "[\"menu\",\"looser\"]");
    EXPECT_FALSE(h->Ended());
}

TEST_F(KeyCommands, ExitDialogDuringPlayNoResumesAndHidesTheCursor) {
    StartPlaying();
    Run({"close", "frames 1"}); // the window's close box
    EXPECT_EQ(F("GameState"), "gsExitDialog");
    PressTimes(kRight, 1);
    Press(kEnter); // no
    EXPECT_EQ(F("GameState"), "gsPlaying");
    EXPECT_EQ(F("CursorVisible"), "false");
    EXPECT_EQ(F("Sprites.TClosingWindow"), "1");
}

TEST_F(KeyCommands, PausedStaysPausedThroughTheExitDialog) {
    StartPlaying();
    Press('P');
    EXPECT_EQ(F("GameState"), "gsPaused");
    EXPECT_EQ(F("CursorVisible"), "true");
    Press(kEsc);
    EXPECT_EQ(F("GameState"), "gsExitDialog");
    Press(kEsc); // no
    EXPECT_EQ(F("GameState"), "gsPaused");
    EXPECT_EQ(F("CursorVisible"), "true");
    Press('P');
    EXPECT_EQ(F("GameState"), "gsPlaying");
    EXPECT_EQ(F("CursorVisible"), "false");
}

TEST_F(KeyCommands, ASecondCloseRequestKeepsTheFirstDialog) {
    StartPlaying();
    Press('P');
    Press(kEsc);
    const std::string items = F("Sprites.TMenuItem");
    Run({"close", "frames 1", "close", "frames 1"});
    EXPECT_EQ(F("GameState"), "gsExitDialog");
    EXPECT_EQ(F("Sprites.TMenuItem"), items) << "no second pair of buttons";
    Press(kEsc);
    EXPECT_EQ(F("GameState"), "gsPaused") << "no still leads back to the pause";
    Press('P');
    EXPECT_EQ(F("GameState"), "gsPlaying");
}

TEST_F(KeyCommands, CloseRequestsDuringTheGameOverBannerAreIgnored) {
    StartPlaying();
    Press(kEsc);
    Press(kEnter);
    ASSERT_EQ(F("GameState"), "gsGameOver");
    Run({"close", "frames 1"});
    Press(kEsc);
    EXPECT_EQ(F("GameState"), "gsGameOver");
    EXPECT_NE(N("MenuScreen"), 5);
    EXPECT_FALSE(h->Ended());
}

TEST_F(KeyCommands, ExitDialogFromTheMenuYesClosesTheWindow) {
    Run({"close", "frames 1"});
    EXPECT_EQ(N("MenuScreen"), 5);
    EXPECT_EQ(F("GameState"), "gsMenu");
    Press(kEnter);
    EXPECT_TRUE(h->Ended());
}

// ------------------------------------------------------------ pause and the boss key

TEST_F(KeyCommands, TheBossKeyDuringPlayPausesSilencesAndMinimises) {
    StartPlaying();
    ASSERT_EQ(F("Song"), "sound\\2.xm");
    Press(kF12);
    EXPECT_EQ(F("GameState"), "gsPaused");
    EXPECT_EQ(F("Minimized"), "true");
    EXPECT_EQ(F("Song"), "null");
    EXPECT_EQ(F("CursorVisible"), "true");
    Run({"focus gained", "frames 1"});
    EXPECT_EQ(F("GameState"), "gsPaused") << "restoring does not unpause";
    Press('P');
    EXPECT_EQ(F("GameState"), "gsPlaying");
}

TEST_F(KeyCommands, TheBossKeyWhilePausedKeepsWhereThePauseReturns) {
    StartPlaying();
    Press('P');
    Press(kF12);
    EXPECT_EQ(F("Minimized"), "true");
    Run({"focus gained", "frames 1"});
    Press('P');
    EXPECT_EQ(F("GameState"), "gsPlaying");
}

TEST_F(KeyCommands, TheBossKeyInTheMenuOnlyMinimises) {
    Press(kF12);
    EXPECT_EQ(F("Minimized"), "true");
    EXPECT_EQ(F("GameState"), "gsMenu");
    EXPECT_EQ(F("Song"), "null") << "losing the focus stops the menu song";
}

TEST_F(KeyCommands, CapturingTheBossKeyIgnoresShiftCtrlAndAlt) {
    OpenScreen(7);
    for (int modifier : {kShift, kCtrl, kAlt}) {
        Press(modifier);
        EXPECT_EQ(N("MenuScreen"), 7) << "still waiting after " << modifier;
        EXPECT_EQ(N("BossKey"), 123);
    }
    Press(kF5);
    EXPECT_EQ(N("MenuScreen"), 2);
    EXPECT_EQ(N("BossKey"), kF5);
    EXPECT_EQ(F("BossKeyName"), "F5");
    EXPECT_EQ(ConfigBytes()[4], 123) << "not saved before the options are left";
    Press(kEsc);
    EXPECT_EQ(ConfigBytes()[4], kF5);
    Press(kF5);
    EXPECT_EQ(F("Minimized"), "true") << "the new key works at once";
}

TEST_F(KeyCommands, PAsTheBossKeyStillPausesDuringAGame) {
    OpenScreen(7);
    Press('P');
    EXPECT_EQ(F("BossKeyName"), "P");
    Press(kEsc);
    StartPlaying();
    Press('P');
    EXPECT_EQ(F("GameState"), "gsPaused");
    EXPECT_EQ(F("Minimized"), "false");
    Press('P');
    EXPECT_EQ(F("GameState"), "gsPlaying");
}

// ------------------------------------------------------------ game keys while steering

// The play states, each reached with Right and Ctrl (steer and fire) held down.
const char* const kHeldStates[] = {"gsPlaying", "gsLevelBanner", "gsDying", "gsPaused"};

struct GameKeyCase {
    const char* name;
    int key;
    bool bossKey;
};
const GameKeyCase kGameKeys[] = {{"P", 'P', false}, {"Esc", kEsc, false}, {"F12", kF12, true}};

class GameKeyWhileSteering : public KeyCommands,
                             public ::testing::WithParamInterface<std::tuple<int, int>> {
  protected:
    void Reach(const std::string& state) {
        if (state == "gsLevelBanner") {
            Press(kEnter);
            ASSERT_EQ(F("GameState"), "gsLevelBanner");
        } else {
            StartPlaying();
        }
        if (state == "gsDying") {
            Hero->Health = 0; // dies in its step of the next frame
            Run({"frames 1"});
        }
        if (state == "gsPaused") Press('P');
        Run({"key down 39", "key down 17", "frames 1"});
        ASSERT_EQ(F("GameState"), state);
    }
};

TEST_P(GameKeyWhileSteering, ActsOnItsFirstPressAndStaysLatchedWhileRepeating) {
    const std::string state = kHeldStates[std::get<0>(GetParam())];
    const GameKeyCase& k = kGameKeys[std::get<1>(GetParam())];
    Reach(state);
    const std::string key = std::to_string(k.key);
    Run({"key down " + key, "frames 1"});
    const char* expected = k.key == kEsc                         ? "gsExitDialog"
                           : k.key == 'P' && state == "gsPaused" ? "gsPlaying"
                                                                 : "gsPaused";
    EXPECT_EQ(F("GameState"), expected) << "the first press acts";
    EXPECT_EQ(F("Minimized"), k.bossKey ? "true" : "false");
    Run({"key down " + key, "key down " + key, "frames 1"}); // auto-repeat
    EXPECT_EQ(F("GameState"), expected) << "auto-repeat stays latched";
    if (k.key == kEsc) {
        EXPECT_EQ(N("MenuScreen"), 5) << "repeated Esc does not answer the dialog";
    }
}

INSTANTIATE_TEST_SUITE_P(StatesAndKeys, GameKeyWhileSteering,
                         ::testing::Combine(::testing::Range(0, 4), ::testing::Range(0, 3)),
                         [](const auto& info) {
                             return std::string(kHeldStates[std::get<0>(info.param)]) + "_" +
                                    kGameKeys[std::get<1>(info.param)].name;
                         });

TEST_F(KeyCommands, MenusKeepTheLatchWhileAKeyIsHeld) {
    Run({"key down 40", "frames 1"}); // Down, held
    EXPECT_EQ(N("SelectedItem"), 2);
    Run({"key down 40", "key down 27", "frames 1"}); // its repeat, and Esc while it is held
    EXPECT_EQ(N("SelectedItem"), 2);
    EXPECT_EQ(N("MenuScreen"), 1) << "Esc waits for a release in the menus";
    Run({"key up 40", "key press 27", "frames 1"});
    EXPECT_EQ(N("MenuScreen"), 5);
}

TEST_F(KeyCommands, AltEnterWhileSteeringActsOnTheReleaseOfEnter) {
    StartPlaying();
    Run({"key down 39", "key down 18", "key down 13 alt", "frames 1"});
    EXPECT_EQ(F("Fullscreen"), "false");
    Run({"key up 13 alt", "frames 1"});
    EXPECT_EQ(F("Fullscreen"), "true");
    EXPECT_EQ(F("GameState"), "gsPlaying");
}

// ------------------------------------------------------------ display mode

TEST_F(KeyCommands, AltEnterActsOnReleaseAndTwiceReturnsToTheFirstMode) {
    Run({"key down 18", "key down 13 alt", "frames 1"});
    EXPECT_EQ(F("Fullscreen"), "false") << "nothing yet: Enter went down latched by Alt";
    EXPECT_EQ(N("MenuScreen"), 1) << "and did not act as Enter";
    Run({"key up 13 alt", "key up 18", "frames 1"});
    EXPECT_EQ(F("Fullscreen"), "true");
    EXPECT_EQ(ConfigBytes()[0], 1) << "Windowed 0, stored inverted";
    Run({"key down 18", "key down 13 alt", "key up 13 alt", "key up 18", "frames 1"});
    EXPECT_EQ(F("Fullscreen"), "false");
    EXPECT_EQ(N("Windowed"), 1);
    EXPECT_EQ(ConfigBytes()[0], 0);
}

// ------------------------------------------------------------ name entry and what follows

TEST_F(KeyCommands, NameEntryKeepsTenCharactersAndOnlyLettersDigitsAndSpaces) {
    EnterNameEntry(1000);
    Press(kBack); // on an empty name: nothing
    EXPECT_EQ(F("PlayerName"), "");
    Type("Bob,.!-ä");
    EXPECT_EQ(F("PlayerName"), "Bob");
    Type(" abcdefghij");
    EXPECT_EQ(F("PlayerName"), "Bob abcdef") << "the eleventh character is dropped";
    Run({"key down 8", "key down 8", "key down 8", "frames 1", "key up 8"}); // held Backspace
    EXPECT_EQ(F("PlayerName"), "Bob abc");
    Press(kDown); // the country field
    EXPECT_EQ(F("TextEditing"), "true");
    Type("fr");
    EXPECT_EQ(F("Country"), "fr");
    EXPECT_EQ(F("PlayerName"), "Bob abc");
    Press(kDown); // store: typing ends
    EXPECT_EQ(F("TextEditing"), "false");
    Type("x");
    EXPECT_EQ(F("Country"), "fr");
}

TEST_F(KeyCommands, EnterInTheNameFieldStoresAndAsksToSend) {
    EnterNameEntry(101);
    Type("Ann");
    Press(kEnter);
    EXPECT_EQ(F("GameState"), "gsSendPrompt");
    EXPECT_EQ(N("MenuScreen"), 9);
    EXPECT_EQ(N("SelectedItem"), 1);
    EXPECT_EQ(F("HighScores.9"), "[\"Ann\",101]") << "101 takes place 10";
    EXPECT_EQ(ConfigBytes().size(), 158u);
    EXPECT_EQ(F("TextEditing"), "false");
}

TEST_F(KeyCommands, TheStoreItemPlacesAnEqualScoreBelow) {
    EnterNameEntry(800); // the score of entry 3
    Type("Eve");
    PressTimes(kDown, 2); // 3 -> 4 -> 1 (store)
    ASSERT_EQ(N("SelectedItem"), 1);
    Press(kEnter);
    EXPECT_EQ(F("HighScores.2"), "[\"Anonymous\",800]");
    EXPECT_EQ(F("HighScores.3"), "[\"Eve\",800]") << "place 4";
    EXPECT_EQ(F("HighScores.9"), "[\"Anonymous\",200]") << "100 dropped off";
}

TEST_F(KeyCommands, SkipReturnsToTheMainMenu) {
    EnterNameEntry(500);
    PressTimes(kUp, 1); // 3 -> 2 (skip)
    Press(kEnter);
    EXPECT_EQ(F("GameState"), "gsMenu");
    EXPECT_EQ(N("MenuScreen"), 1);
    EXPECT_EQ(F("HighScores.5"), "[\"Anonymous\",500]") << "nothing stored";
    EXPECT_EQ(F("Song"), "sound\\1.xm");
}

TEST_F(KeyCommands, DecliningToSendEndsOnTheHighScoreScreen) {
    EnterNameEntry(650);
    Type("Zed");
    Press(kEnter);
    Press(kRight); // do not send
    Press(kEnter);
    EXPECT_EQ(F("GameState"), "gsMenu");
    EXPECT_EQ(N("MenuScreen"), 3);
    EXPECT_EQ(F("HighScores.4"), "[\"Zed\",650]");
    Run({"frames 1"});
    EXPECT_EQ(F("Sprites.TSubBackground"), "1");
    Press(kEsc);
    EXPECT_EQ(N("MenuScreen"), 1);
    EXPECT_EQ(N("SelectedItem"), 3) << "the main menu's high-score entry";
}

TEST_F(KeyCommands, SendingWithoutAServerShowsTheNoticeOverThePrompt) {
    Run({"server http://127.0.0.1:1/"}); // nothing listens there
    EnterNameEntry(650);
    Press(kEnter);
    Press(kEnter); // send
    EXPECT_EQ(F("GameState"), "gsSendFailed");
    EXPECT_EQ(N("MenuScreen"), 9) << "the prompt and its buttons stay for another try";
}

TEST_F(KeyCommands, TheExitDialogOverNameEntryAnswersNoBackIntoIt) {
    EnterNameEntry(950);
    Type("Al");
    Run({"close", "frames 1"});
    EXPECT_EQ(N("MenuScreen"), 5);
    EXPECT_EQ(F("GameState"), "gsNameEntry");
    Type("x");
    EXPECT_EQ(F("PlayerName"), "Al") << "the dialog takes no typing";
    Press(kEsc); // no
    EXPECT_EQ(N("MenuScreen"), 8);
    EXPECT_EQ(N("SelectedItem"), 3);
    EXPECT_EQ(F("TextEditing"), "true");
    Type("ex");
    Press(kEnter);
    EXPECT_EQ(F("GameState"), "gsSendPrompt");
    EXPECT_EQ(F("HighScores.1"), "[\"Alex\",950]");
}

TEST_F(KeyCommands, YesInTheExitDialogOverNameEntryStoresWhatWasTyped) {
    EnterNameEntry(950);
    Type("Al");
    Press(kDown); // the country field
    Type("de");
    Run({"close", "frames 1"});
    ASSERT_EQ(N("MenuScreen"), 5);
    Press(kEnter); // yes
    ASSERT_TRUE(h->Ended()) << "the program ends as before";
    // The next start reads the entry from config.dat.
    h.reset();
    h = std::make_unique<THarness>(THarness::Options{.seed = 1, .workdir = dir.Path()});
    Run({"frames 1"});
    EXPECT_EQ(F("HighScores.1"), "[\"Al\",950]");
    EXPECT_EQ(F("Country"), "de");
}

// ------------------------------------------------------------ keys over the pointer and text

TEST_F(KeyCommands, EnterActsOnTheSelectedItemNotTheMainMenuEntryUnderThePointer) {
    struct {
        int screen, after;
    } cases[] = {{2, 2}, {3, 6}, {4, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen);
        OpenScreen(c.screen);
        ASSERT_EQ(N("SelectedItem"), 1);
        Run({"mouse move 60 455", "frames 1"}); // rests on the main menu's exit entry
        Press(kEnter);
        EXPECT_EQ(N("MenuScreen"), c.after);
        if (c.screen == 2) {
            EXPECT_EQ(F("Fullscreen"), "true") << "the display item acted";
        }
        for (int i = 0; i < 3 && N("MenuScreen") != 1; ++i)
            Press(kEsc);
        ASSERT_EQ(N("MenuScreen"), 1);
    }
}

class TextBossKey : public KeyCommands, public ::testing::WithParamInterface<int> {};

TEST_P(TextBossKey, TypesIntoAFieldAndHidesTheGameElsewhere) {
    const int key = GetParam();
    OpenScreen(7);
    Press(key);
    ASSERT_EQ(N("BossKey"), key);
    Press(kEsc); // leave the options
    OpenScreen(2);
    PressTimes(kDown, 3);
    Press(kEnter); // the country takes typing
    Press(key);
    EXPECT_EQ(F("Minimized"), "false") << "the country field takes it";
    Press(kEnter); // typing ends
    Press(key);
    EXPECT_EQ(F("Minimized"), "true") << "not typing: the boss key";
    Run({"focus gained", "frames 1"});
    Press(kEsc);
    OpenScreen(8);
    ASSERT_EQ(F("TextEditing"), "true");
    Press(key);
    EXPECT_EQ(F("Minimized"), "false") << "the name field takes it";
}

INSTANTIATE_TEST_SUITE_P(Keys, TextBossKey, ::testing::Values('A', ' ', '5', 101, kBack),
                         [](const auto& info) { return "Key" + std::to_string(info.param); });

TEST_F(KeyCommands, ABackspaceBossKeyOnlyDeletesWhileAFieldTakesTyping) {
    OpenScreen(7);
    Press(kBack);
    ASSERT_EQ(N("BossKey"), kBack);
    Press(kEsc); // leave the options
    OpenScreen(8);
    Type("Abc");
    Press(kBack);
    EXPECT_EQ(F("PlayerName"), "Ab");
    EXPECT_EQ(F("Minimized"), "false");
    EXPECT_EQ(F("GameState"), "gsNameEntry");
}

} // namespace

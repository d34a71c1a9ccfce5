// PlayFlow_test.cpp -- leaving play and coming back: a level that runs out while the game has
// left play, the captured pointer on every way back into play, and clicks that only act on
// an item under the pointer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/FrontEndScenario.h"
#include "timer/Application.h"
#include "world/Hero.h"

namespace {

class PlayFlow : public FrontEndScenario {
  protected:
    // Main menu -> play, past the level banner, with nothing spawning to disturb the scene.
    void StartPlaying() {
        Press(kEnter);
        EnemyDelay = BonusDelay = TreeDelay = 65535;
        FramesUntil("gsPlaying", 200);
    }
    // The level clock runs out in the next frame of play.
    void LastFrameOfLevelNext() { LevelTime = LevelLength - 16 * kOneMs; }
    bool Captured() { return h->Platform().relativeMouse; }
    void RunAll(const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            ASSERT_TRUE(h->RunLine(line)) << h->Error();
    }
};

// How play is left in the frame right after the level clock ran out, and the way back.
struct LeaveCase {
    const char* name;
    const char* away; // GameState while away from play
    std::vector<std::string> leave, back;
};

const LeaveCase kLeaveCases[] = {
    {"Pause", "gsPaused", {"key press 80", "frames 1"}, {"key press 80", "frames 1"}},
    {"FocusLost",
     "gsPaused",
     {"focus lost", "frames 1"},
     {"focus gained", "frames 1", "key press 80", "frames 1"}},
    {"BossKey",
     "gsPaused",
     {"key press 123", "frames 1"},
     {"focus gained", "frames 1", "key press 80", "frames 1"}},
    {"Escape", "gsExitDialog", {"key press 27", "frames 1"}, {"key press 27", "frames 1"}},
    {"CloseBox",
     "gsExitDialog",
     {"close", "frames 1"},
     {"key press 39", "frames 1", "key press 13", "frames 1"}}, // Right, Enter: no
};

class LevelEndWhileAway : public PlayFlow, public ::testing::WithParamInterface<int> {};

TEST_P(LevelEndWhileAway, KeepsTheStateAndItsWayBackThenTheLevelChanges) {
    const LeaveCase& c = kLeaveCases[GetParam()];
    StartPlaying();
    LastFrameOfLevelNext();
    Run({"frames 1"});
    ASSERT_EQ(F("GameState"), "gsPlaying");
    ASSERT_EQ(N("LevelTimeMs"), N("LevelLengthMs")) << "the clock has run out";

    RunAll(c.leave);
    EXPECT_EQ(F("GameState"), c.away);
    Run({"frames 30"});
    EXPECT_EQ(F("GameState"), c.away) << "the level end does not override it";
    EXPECT_EQ(N("Level"), 1);
    if (std::string(c.away) == "gsExitDialog") {
        EXPECT_EQ(N("MenuScreen"), 5);
    }

    RunAll(c.back);
    EXPECT_EQ(F("GameState"), "gsLevelBanner") << "the level changes once play resumes";
    EXPECT_EQ(N("Level"), 2);
    EXPECT_EQ(N("Lives"), 3);
    if (std::string(c.away) == "gsExitDialog") {
        EXPECT_NE(N("MenuScreen"), 5);
        Press(kEsc);
        EXPECT_EQ(F("GameState"), "gsExitDialog") << "Esc still opens the dialog";
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, LevelEndWhileAway, ::testing::Range(0, 5),
                         [](const auto& info) { return kLeaveCases[info.param].name; });

TEST_F(PlayFlow, ADeathInTheLevelsLastFrameRevivesBeforeTheLevelChanges) {
    StartPlaying();
    LastFrameOfLevelNext();
    Hero->Health = 0; // dies in its step of this frame
    Run({"frames 1"});
    ASSERT_EQ(F("GameState"), "gsDying");
    ASSERT_EQ(N("Lives"), 2);
    FramesUntil("gsPlaying", 200);
    EXPECT_EQ(N("Hero.Health"), 50) << "the revival ran";
    EXPECT_EQ(F("Hero.Shown"), "true");
    EXPECT_EQ(N("Level"), 1);
    Run({"frames 1"});
    EXPECT_EQ(F("GameState"), "gsLevelBanner");
    EXPECT_EQ(N("Level"), 2);
    FramesUntil("gsPlaying", 100);
    EXPECT_EQ(N("Hero.Health"), 50);
    EXPECT_EQ(N("Lives"), 2) << "no second life lost";
}

// ------------------------------------------------------------ the captured pointer

TEST_F(PlayFlow, ThePointerIsCapturedExactlyWhilePlaying) {
    EXPECT_FALSE(Captured()) << "in the menu";
    Press(kEnter);
    EXPECT_EQ(F("GameState"), "gsLevelBanner");
    EXPECT_FALSE(Captured()) << "during the first banner";
    FramesUntil("gsPlaying", 200);
    EXPECT_TRUE(Captured());
    Press('P');
    EXPECT_FALSE(Captured()) << "paused";
    Press('P');
    EXPECT_TRUE(Captured());
    Press(kEsc);
    EXPECT_FALSE(Captured()) << "in the exit dialog";
    Press(kEsc);
    EXPECT_TRUE(Captured());
}

// What interrupts the dying step; each has its own way back to dying.
struct DyingCase {
    const char* name;
    std::vector<std::string> away, back;
};

class MouseAfterDying : public PlayFlow, public ::testing::WithParamInterface<int> {};

const DyingCase kDyingCases[] = {
    {"Pause", {"key press 80", "frames 1"}, {"key press 80", "frames 1"}},
    {"FocusLost",
     {"focus lost", "frames 1"},
     {"focus gained", "frames 1", "key press 80", "frames 1"}},
    {"ExitDialogNo", {"key press 27", "frames 1"}, {"key press 27", "frames 1"}},
};

TEST_P(MouseAfterDying, SteersTheNextLife) {
    const DyingCase& c = kDyingCases[GetParam()];
    StartPlaying();
    Hero->Health = 0;
    Run({"frames 1"});
    ASSERT_EQ(F("GameState"), "gsDying");
    RunAll(c.away);
    EXPECT_NE(F("GameState"), "gsDying");
    EXPECT_FALSE(Captured());
    RunAll(c.back);
    ASSERT_EQ(F("GameState"), "gsDying");
    FramesUntil("gsPlaying", 200);
    EXPECT_TRUE(Captured()) << "the next life steers by mouse";
    Run({"frames 1"});
    const int x = N("Hero.X");
    Run({"mouse rel 60 0", "frames 1"});
    EXPECT_GT(N("Hero.X"), x + 20);
}

INSTANTIATE_TEST_SUITE_P(Ways, MouseAfterDying, ::testing::Range(0, 3),
                         [](const auto& info) { return kDyingCases[info.param].name; });

// ------------------------------------------------------------ clicks act only where they point

TEST_F(PlayFlow, ReleasingTheFireButtonInTheExitDialogAnswersNothing) {
    Click(60, 200); // the start item
    ASSERT_EQ(F("GameState"), "gsLevelBanner");
    EnemyDelay = BonusDelay = TreeDelay = 65535;
    FramesUntil("gsPlaying", 200);
    Run({"mouse down left", "frames 5"}); // fire
    Press(kEsc);
    ASSERT_EQ(F("GameState"), "gsExitDialog");
    Run({"mouse up left", "frames 1"});
    EXPECT_EQ(F("GameState"), "gsExitDialog") << "the release is no click on \"yes\"";
    EXPECT_EQ(N("MenuScreen"), 5);
    Click(60, 200); // nothing there either
    EXPECT_EQ(F("GameState"), "gsExitDialog");
}

TEST_F(PlayFlow, AClickBesideTheSendPromptsButtonsDoesNotSend) {
    // Were it to send, it would fail.
    Run({"server http://127.0.0.1:1/"});
    Click(60, 200); // start
    FramesUntil("gsPlaying", 200);
    Score = 1000;
    Press(kEsc);
    Press(kEnter); // yes: game over
    FramesUntil("gsNameEntry", 200);
    Press(kEnter); // store
    ASSERT_EQ(F("GameState"), "gsSendPrompt");
    Run({"mouse down left", "mouse up left", "frames 1"}); // where the pointer rests
    EXPECT_EQ(F("GameState"), "gsSendPrompt");
}

TEST_F(PlayFlow, ASecondClickWhereClearWasDoesNotAnswerTheDialogThatOpenedThere) {
    HighScores[0].Score = 5000;
    Click(60, 300); // the main menu's high-score entry
    ASSERT_EQ(N("MenuScreen"), 3);
    Click(320, 475); // clear
    ASSERT_EQ(N("MenuScreen"), 6);
    ASSERT_EQ(N("SelectedItem"), 1) << "\"yes\" is selected, but elsewhere";
    Run({"mouse down left", "mouse up left", "frames 1"}); // the pointer has not moved
    EXPECT_EQ(N("MenuScreen"), 6);
    EXPECT_EQ(F("HighScores.0"), "[\"Anonymous\",5000]") << "not cleared";
}

// With the pointer resting on a main-menu entry, the keyboard opens a dialog or screen beside
// it; a click that has not pointed anew acts on nothing there.
struct RestingCase {
    const char* name;
    std::vector<std::string> open;
    int screen; // MenuScreen opened, and still shown after the click
};
const RestingCase kRestingCases[] = {
    {"EscOnTheMainMenu", {"mouse move 60 245", "frames 1", "key press 27", "frames 1"}, 5},
    {"CloseOverOptions",
     {"mouse move 60 245", "frames 1", "key press 13", "frames 1", "close", "frames 1"},
     5},
    {"KeysOpenHighScores",
     {"mouse move 60 360", "frames 1", "key press 38", "frames 1", "key press 13", "frames 1"},
     3},
};

class RestingPointer : public PlayFlow, public ::testing::WithParamInterface<int> {};

TEST_P(RestingPointer, AClickActsOnlyOnTheItemsOfTheScreenShown) {
    const RestingCase& c = kRestingCases[GetParam()];
    RunAll(c.open);
    ASSERT_EQ(N("MenuScreen"), c.screen);
    const std::string selected = F("SelectedItem");
    Run({"mouse down left", "mouse up left", "frames 1"}); // the pointer has not moved
    EXPECT_FALSE(h->Ended());
    EXPECT_EQ(N("MenuScreen"), c.screen) << "the selected item did not act";
    EXPECT_EQ(F("SelectedItem"), selected);
    EXPECT_EQ(F("Fullscreen"), "false");
    Click(60, 370); // pointing anew at the help entry still leaves the screen for it
    EXPECT_EQ(N("MenuScreen"), 4);
    EXPECT_FALSE(h->Ended());
}

INSTANTIATE_TEST_SUITE_P(Ways, RestingPointer, ::testing::Range(0, 3),
                         [](const auto& info) { return kRestingCases[info.param].name; });

// ------------------------------------------------------------ the exit dialog over a banner

TEST_F(PlayFlow, NoOverTheSendFailureReturnsToTheStateOfThatMoment) {
    Run({"server http://127.0.0.1:1/"}); // nothing listens there
    EnterNameEntry(650);
    Press(kEnter); // store
    Press(kEnter); // send
    ASSERT_EQ(F("GameState"), "gsSendFailed");
    Run({"close", "frames 100"}); // the failure banner ends under the dialog
    ASSERT_EQ(N("MenuScreen"), 5);
    ASSERT_EQ(F("GameState"), "gsSendPrompt");
    Run({"key press 27"}); // no
    Application().ProcessMessages();
    EXPECT_EQ(F("GameState"), "gsSendPrompt") << "the failure banner does not come back";
    EXPECT_EQ(N("MenuScreen"), 9);
}

// ------------------------------------------------------------ every game starts alike

// How the first game ends, with the dragon in full flight and the bonus clocks running.
struct EndCase {
    const char* name;
    bool dying; // the hero has just died when the game is ended
    std::vector<std::string> end;
};
const EndCase kEndCases[] = {
    {"ExitYesInPlay", false, {"key press 27", "frames 1", "key press 13", "frames 1"}},
    {"ExitYesPaused",
     false,
     {"key press 80", "frames 1", "key press 27", "frames 1", "key press 13", "frames 1"}},
    {"ExitYesDying", true, {"key press 27", "frames 1", "key press 13", "frames 1"}},
};

class NextGame : public PlayFlow, public ::testing::WithParamInterface<int> {};

TEST_P(NextGame, StartsFromTheSameHeroAndClocks) {
    const EndCase& c = kEndCases[GetParam()];
    StartPlaying();
    Run({"frames 5"});
    const std::string x = F("Hero.X"), y = F("Hero.Y");

    Run({"key down 39", "key down 40", "frames 40", "key up 39", "key up 40", "frames 1"});
    ASSERT_GT(HeroSpeedX, 1.0);
    WeaponTime = 9000; // as if a pistol and a shield had been picked up
    ShieldTime = 8000;
    BonusNoticeTime = 1500;
    MouseRight = 40; // and a mouse step not yet taken
    if (c.dying) {
        Hero->Health = 0;
        Run({"frames 1"});
        ASSERT_EQ(F("GameState"), "gsDying");
    }
    RunAll(c.end);
    ASSERT_EQ(F("GameState"), "gsGameOver");
    FramesUntil("gsMenu", 200); // no place in the table

    StartPlaying();
    EXPECT_EQ(N("WeaponTime"), 0);
    EXPECT_EQ(N("ShieldTime"), 0);
    EXPECT_EQ(N("BonusNoticeTime"), 0);
    EXPECT_EQ(HeroSpeedX, 0.0);
    EXPECT_EQ(HeroSpeedY, 0.0);
    EXPECT_EQ(F("Hero.Weapon"), "1");
    Run({"frames 5"});
    EXPECT_EQ(F("Hero.X"), x) << "the dragon flies as at the first game's start";
    EXPECT_EQ(F("Hero.Y"), y);
}

INSTANTIATE_TEST_SUITE_P(Ways, NextGame, ::testing::Range(0, 3),
                         [](const auto& info) { return kEndCases[info.param].name; });

} // namespace

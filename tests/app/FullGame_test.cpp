// FullGame_test.cpp -- one whole game driven by the harness the way a player drives it: from
// the main menu into play, points earned with fire and the arrow keys, every life lost, a name
// typed and stored, sending declined, ending on the high-score screen. Each screen is kept as
// a screenshot under the build's artefacts folder.
#include <gtest/gtest.h>

#include "frontend/FrontEndScenario.h"

namespace {

class FullGame : public FrontEndScenario {
  protected:
    // Seed 3 gives a game whose sweeps score past the table's last entry early on.
    void SetUp() override {
        h = std::make_unique<THarness>(THarness::Options{.seed = 3, .workdir = dir.Path()});
        Run({"frames 1"});
        h->StateJson(true);
    }
    // One sweep of play: up or down while firing, then a push to the right against the drift.
    void Sweep(int i) {
        const int vertical = (i / 3) % 2 == 0 ? kUp : kDown;
        Run({"key down " + std::to_string(vertical), "frames 20",
             "key up " + std::to_string(vertical), "key down 39", "frames 8", "key up 39",
             "frames 20"});
    }
};

TEST_F(FullGame, FromTheMenuToTheHighScoreScreen) {
    Shot("game-1-menu");
    Press(kEnter); // start game
    EXPECT_EQ(F("GameState"), "gsLevelBanner");
    EXPECT_EQ(F("Song"), "sound\\2.xm");
    Run({"frames 10"});
    Shot("game-2-level-banner");
    FramesUntil("gsPlaying", 100);
    EXPECT_EQ(F("CursorVisible"), "false");

    // Play: fire held (Ctrl), sweeping the sky until the score would rank.
    Run({"key down 17"});
    for (int i = 0; i < 100 && N("Score") <= 100 && F("GameState") != "gsGameOver"; ++i)
        Sweep(i);
    ASSERT_GT(N("Score"), 100) << "a score that takes a place in the default table";
    Shot("game-3-play");
    Run({"key up 17"});

    // Hands off: the dragon drifts into the grille, life after life.
    int lives = N("Lives");
    for (int i = 0; i < 5000 && F("GameState") != "gsGameOver"; ++i)
        Run({"frames 1"});
    ASSERT_EQ(F("GameState"), "gsGameOver");
    EXPECT_LE(N("Lives"), 0);
    EXPECT_LT(N("Lives"), lives);
    Run({"frames 10"});
    Shot("game-4-game-over");
    const int score = N("Score");

    FramesUntil("gsNameEntry", 100);
    EXPECT_EQ(N("MenuScreen"), 8);
    EXPECT_EQ(F("TextEditing"), "true");
    EXPECT_EQ(F("CursorVisible"), "true");
    Run({"type Seraphina", "frames 1"});
    Press(kDown); // the country field
    Run({"type Wales", "frames 20"});
    Shot("game-5-name-entry");
    PressTimes(kDown, 1); // store
    Press(kEnter);
    EXPECT_EQ(F("GameState"), "gsSendPrompt");
    EXPECT_EQ(N("MenuScreen"), 9);
    Run({"frames 2"});
    Shot("game-6-send-prompt");

    Press(kRight); // do not send
    Press(kEnter);
    EXPECT_EQ(F("GameState"), "gsMenu");
    EXPECT_EQ(N("MenuScreen"), 3);
    EXPECT_EQ(F("Song"), "sound\\1.xm");
    Run({"frames 2"});
    Shot("game-7-high-scores");

    // The entry is in the table, in memory and in config.dat, below any equal score.
    int place = -1;
    for (int i = 0; i < 10; ++i)
        if (F("HighScores." + std::to_string(i)) == "[\"Seraphina\"," + std::to_string(score) + "]")
            place = i;
    ASSERT_GE(place, 0) << F("HighScores");
    EXPECT_EQ(F("Country"), "Wales");
    const std::vector<uint8_t> file = ConfigBytes();
    ASSERT_EQ(file.size(), 158u);
    const size_t row = 18 + 14 * size_t(place);
    EXPECT_EQ(file[row], 9) << "the name's length byte";
    EXPECT_EQ(file[row + 1], uint8_t(~'S'));
    EXPECT_EQ(file[row + 12] | (file[row + 13] << 8), uint16_t(~score));
}

} // namespace

// Soak_test.cpp -- 100 000 frames of seeded random input (keys, mouse, focus, full screen)
// through the harness: nothing may crash, leak (the sanitizer suite checks at exit) or pile up
// sprites.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "app/GameFlow.h"
#include "app/Harness.h"
#include "app/MainForm.h"
#include "frontend/MenuSprites.h"
#include "state/GameState.h"
#include "support/GameDir.h"
#include "world/Hero.h"

namespace {

// Its own generator: the game's one must see only the game's draws.
struct Dice {
    uint64_t state;
    int operator()(int n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return int((state >> 33) % uint64_t(n));
    }
};

// Keys a player can reach: steering, fire, pause, exit, boss key, Enter, letters, digits.
constexpr int kKeys[] = {37,  38, 39, 40, 87, 65, 83, 68, 17, 32,  16,  13,  80, 27,
                         123, 8,  90, 88, 72, 75, 49, 50, 48, 100, 102, 104, 98};

class Player {
  public:
    explicit Player(THarness& h) : h_(h), form_(h.Form()) {}

    // One frame: some input, then the frame.
    void Frame(int frame) {
        if (GameState == gsMenu && h_.Platform().Active()) StartGame();
        Input();
        Unstick();
        // Now and then the level clock runs out, and once the level jumps far ahead, so level
        // changes, the fifth-level scenery and the byte-sized level all come up.
        if (frame % (Level >= 250 ? 250 : 2500) == 0) levelEnd_ = true; // the top comes fast
        // Until the top level has been seen: a game lost on the way up tries again in the next.
        if (frame >= 60000 && Level < 250 && !topSeen_) farLevel_ = true;
        if (Level == 255) topSeen_ = true;
        if (GameState == gsPlaying && levelEnd_) {
            LevelTime = LevelLength;
            levelEnd_ = false;
        }
        if (GameState == gsPlaying && farLevel_) {
            Level = 250;
            farLevel_ = false;
        }
        const bool wasDying = GameState == gsDying;
        h_.Frames(1);
        deaths += !wasDying && GameState == gsDying;
        ++states[GameStateName(GameState)];
    }

    int games = 0, deaths = 0;
    std::map<std::string, int> states; // frames ended in each state

  private:
    // The main menu's start item, from whatever screen the front end shows.
    void StartGame() {
        MenuScreen = 1;
        MainMenuHover = false;
        SelectedItem = 1;
        DoMenuAction();
        ++games;
    }

    void Line(const std::string& line) { EXPECT_TRUE(h_.RunLine(line)) << h_.Error(); }

    void Input() {
        const int roll = dice_(1000);
        if (roll < 60) { // press or release a key
            const int key = kKeys[dice_(int(std::size(kKeys)))];
            const bool down = !held_.count(key);
            Line((down ? "key down " : "key up ") + std::to_string(key));
            if (down)
                held_.insert(key);
            else
                held_.erase(key);
        } else if (roll < 260) {
            Line("mouse rel " + std::to_string(dice_(121) - 60) + " " +
                 std::to_string(dice_(121) - 60));
        } else if (roll < 275) {
            Line(dice_(2) ? "mouse down left" : "mouse up left");
        } else if (roll < 285) {
            Line("mouse move " + std::to_string(dice_(800)) + " " + std::to_string(dice_(600)));
        } else if (roll < 288) {
            Line("click " + std::to_string(dice_(800)) + " " + std::to_string(dice_(600)));
        } else if (roll < 291) {
            Line(std::string("type ") + char('A' + dice_(26)) + char('0' + dice_(10)));
        } else if (roll < 292 && dice_(5) == 0) {
            Line("focus lost");
        } else if (roll == 292 && dice_(5) == 0) {
            Line("maximize"); // full screen: the display and its pictures are rebuilt
        }
        // A player's reflex: away from the grille at the left edge.
        if (Hero && Hero->Shown && Hero->X < 250) {
            for (int left : {37, 65, 100})
                if (held_.erase(left)) Line("key up " + std::to_string(left));
            if (held_.insert(39).second) Line("key down 39");
        }
        // The player comes back to the window after a while (also after the boss key).
        unfocused_ = h_.Platform().Active() ? 0 : unfocused_ + 1;
        if (unfocused_ > 30 + dice_(120)) Line("focus gained");
    }

    // States that only keys and clicks leave: give them some time, then leave them as the
    // front end's own answers would.
    void Unstick() {
        stuck_ = GameState == lastState_ ? stuck_ + 1 : 0;
        lastState_ = GameState;
        if (stuck_ < (GameState == gsPaused ? 200 : 900)) return;
        stuck_ = 0;
        switch (GameState) {
        case gsPaused:
            ResumeGame(); // the P key
            break;
        case gsExitDialog:
        case gsNameEntry:
        case gsSendPrompt:
            SelectedItem = 2; // no, skip, no
            DoMenuAction();
            if (GameState == gsExitDialog) {
                AnswerExitNo();
            } else if (GameState != gsMenu && form_.DXTimer2.Enabled()) {
                form_.ReturnToFrontEnd(); // as name entry's skip item does
            }
            break;
        default:
            break;
        }
    }

    THarness& h_;
    TmainForm& form_;
    Dice dice_{7};
    std::set<int> held_;
    int unfocused_ = 0, stuck_ = 0;
    bool levelEnd_ = false, farLevel_ = false, topSeen_ = false;
    uint8_t lastState_ = 0;
};

TEST(Soak, HundredThousandFramesOfRandomInput) {
    TempGameDir dir;
    THarness h({.seed = 20240611, .workdir = dir.Path()});
    ASSERT_TRUE(h.RunLine("server http://127.0.0.1:9/")); // a send attempt fails at once
    Player player(h);
    TSpriteEngine& engine = *h.Form().DXSpriteEngine1.Engine();
    int maxSprites = 0, maxLevel = 0;
    for (int frame = 0; frame < 100000 && !h.Ended(); ++frame) {
        player.Frame(frame);
        const int sprites = engine.SpriteCount();
        maxSprites = std::max(maxSprites, sprites);
        ASSERT_LT(sprites, 1000) << "frame " << frame;
        ASSERT_GE(Level, 1) << "frame " << frame;
        maxLevel = std::max(maxLevel, int(Level));
        if (Hero && Hero->Shown && GameState == gsPlaying) {
            ASSERT_TRUE(Hero->X >= 5 && Hero->X <= 695) << Hero->X << " frame " << frame;
            ASSERT_TRUE(Hero->Y >= 70 && Hero->Y <= 470) << Hero->Y << " frame " << frame;
        }
    }
    EXPECT_FALSE(h.Ended());
    EXPECT_GT(player.games, 1) << "games end and new ones start";
    EXPECT_GT(player.deaths, 3);
    EXPECT_EQ(maxLevel, 255) << "the level stops at 255";
    EXPECT_TRUE(player.states.count("gsPaused")) << "losing the focus pauses the game";
    EXPECT_TRUE(player.states.count("gsGameOver"));
    for (auto& [state, frames] : player.states)
        RecordProperty(state, frames);
    RecordProperty("MaxSprites", maxSprites);
    RecordProperty("Games", player.games);
}

} // namespace

// FrontEndScenario.h -- a scenario that can open any menu screen or dialog by the keyboard,
// the way a player reaches it.
#pragma once

#include "app/MainForm.h"
#include "frontend/MenuSprites.h"
#include "state/GameState.h"
#include "support/Scenario.h"

class FrontEndScenario : public Scenario {
  protected:
    // Opens screen 1..9 from the main menu.
    void OpenScreen(int screen) {
        ASSERT_EQ(N("MenuScreen"), 1);
        PressUntil(kDown, "SelectedItem", "1", 6);
        switch (screen) {
        case 2:
        case 3:
        case 4:
            PressTimes(kDown, screen - 1);
            Press(kEnter);
            break;
        case 5:
            Press(kEsc);
            break;
        case 6:
            OpenScreen(3);
            Press(kEnter); // clear
            break;
        case 7:
            OpenScreen(2);
            PressTimes(kDown, 4);
            Press(kEnter); // boss key
            break;
        case 8:
            EnterNameEntry(1000);
            break;
        case 9:
            EnterNameEntry(1000);
            Press(kEnter); // store
            break;
        default:
            break;
        }
        ASSERT_EQ(N("MenuScreen"), screen);
    }

    // Presses the key until the field shows the value (at most `limit` presses).
    void PressUntil(int vk, const std::string& field, const std::string& value, int limit) {
        for (int i = 0; i < limit && F(field) != value; ++i)
            Press(vk);
        ASSERT_EQ(F(field), value) << "after " << limit << " presses of key " << vk;
    }

    // Runs frames until the state is reached (at most `limit`).
    void FramesUntil(const std::string& state, int limit) {
        for (int i = 0; i < limit && F("GameState") != state; ++i)
            Run({"frames 1"});
        ASSERT_EQ(F("GameState"), state);
    }

    // Starts a game, lets it stand at `score` points (as if earned) and ends it through the
    // exit dialog; the game-over banner then hands over to name entry.
    void EnterNameEntry(uint16_t score) {
        Press(kEnter); // start game
        FramesUntil("gsPlaying", 200);
        Score = score;
        Press(kEsc);
        Press(kEnter); // yes: game over
        FramesUntil("gsNameEntry", 200);
    }
};

// Gamepad_test.cpp -- a pad plugged in while a game runs, and one that drops out and comes
// back: the headless backend's pad, read by the game's input component frame by frame.
#include <gtest/gtest.h>

#include <string>

#include "app/MainForm.h"
#include "frontend/FrontEndScenario.h"

namespace {

class Gamepad : public FrontEndScenario {
  protected:
    // Main menu -> play, past the level banner, with nothing spawning to get in the way.
    void StartPlaying() {
        Press(kEnter);
        EnemyDelay = BonusDelay = TreeDelay = 65535;
        FramesUntil("gsPlaying", 200);
    }
    platform::HeadlessPlatform& P() { return h->Platform(); }
    const TInputStates& States() { return h->Form().DXInput1.States; }
    void Hold(int x, int y, uint32_t buttons) { P().joystick = {x, y, 0, buttons, 10}; }
};

TEST_F(Gamepad, APadPluggedInDuringPlaySteersAndFiresFromTheNextFrame) {
    StartPlaying();
    Hold(0, -32768, 0b1); // stick up, A held
    P().PlugJoystick(true);
    Run({"frames 1"});
    EXPECT_TRUE(States().Contains(stUp)) << "read in the first frame after it arrived";
    EXPECT_TRUE(States().Contains(stButton1));
    const int y = N("Hero.Y");
    Sounds();
    Run({"frames 20"});
    EXPECT_LT(N("Hero.Y"), y - 20) << "the dragon climbs";
    EXPECT_NE(Sounds().find("heroshot"), std::string::npos) << "and fires";
}

TEST_F(Gamepad, APadThatDropsOutForAFrameIsReadAgainWhenItIsBack) {
    StartPlaying();
    Hold(32767, 0, 0);
    P().PlugJoystick(true);
    Run({"frames 1"});
    ASSERT_TRUE(States().Contains(stRight));

    P().PlugJoystick(false);
    Run({"frames 1"});
    EXPECT_TRUE(States().Empty()) << "a lost pad gives no states for that frame";
    Run({"frames 5"});
    EXPECT_TRUE(States().Empty());

    Hold(0, 32767, 0); // back, now pushed down
    P().PlugJoystick(true);
    Run({"frames 1"});
    EXPECT_TRUE(States().Contains(stDown)) << "without the window losing and regaining focus";
    const int y = N("Hero.Y");
    Run({"frames 20"});
    EXPECT_GT(N("Hero.Y"), y + 20);
}

} // namespace

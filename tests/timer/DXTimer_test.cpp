// DXTimer_test.cpp -- the frame timer's firing rule, start/stop and focus behaviour.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "timer/Application.h"
#include "timer/DXTimer.h"

namespace {

// Installed before any timer exists: timers hook the application when they are made.
struct FreshApplication {
    platform::HeadlessPlatform p;
    FreshApplication() {
        platform::SetCurrent(&p);
        Application().Reset();
    }
};

struct TimerTest : ::testing::Test, FreshApplication {
    std::vector<int> fired; // lag counts
    TDXTimer timer;

    TimerTest() {
        timer.OnTimer = [this](TCustomDXTimer&, int lag) { fired.push_back(lag); };
        timer.SetInterval(16);
    }
    ~TimerTest() override {
        Application().Reset();
        platform::SetCurrent(nullptr);
    }
    void At(uint32_t tick) {
        p.now = tick;
        Application().Idle();
    }
};

TEST_F(TimerTest, FiresOncePerIntervalWithLagCount) {
    p.now = 1000;
    timer.SetEnabled(false);
    timer.SetEnabled(true); // installs with LastTick 1000
    At(1015);
    EXPECT_TRUE(fired.empty()) << "15 ms after the last frame must not fire";
    At(1016);
    At(1016 + 47);
    At(1016 + 47 + 100);
    EXPECT_EQ(fired, (std::vector<int>{1, 2, 6}));
}

TEST_F(TimerTest, TickWrapAroundCountsForward) {
    p.now = 0xFFFFFFFFu - 15; // 16 ms before the counter wraps
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    At(16);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], 2) << "32 ms elapsed across the wrap";
}

TEST_F(TimerTest, IntervalZeroFiresEveryIdleWithElapsedMilliseconds) {
    timer.SetInterval(0);
    EXPECT_EQ(timer.Interval(), 0);
    p.now = 50;
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    At(50); // no time passed: still fires, lag at least 1
    At(57);
    EXPECT_EQ(fired, (std::vector<int>{1, 7}));
    timer.SetInterval(-5);
    EXPECT_EQ(timer.Interval(), 0) << "negative intervals are stored as 0";
}

TEST_F(TimerTest, ActiveOnlyWaitsForTheForeground) {
    timer.SetEnabled(false);
    Application().SetActive(false);
    timer.ActiveOnly = true;
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Running());
    EXPECT_FALSE(Application().HasIdleHandler());
    At(500);
    EXPECT_TRUE(fired.empty());
    Application().SetActive(true); // reinstalls with LastTick = now
    At(516);
    EXPECT_EQ(fired.size(), 1u);
    Application().SetActive(false);
    EXPECT_FALSE(Application().HasIdleHandler());
}

TEST_F(TimerTest, GameTimerKeepsRunningInTheBackground) {
    timer.ActiveOnly = false;
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    Application().SetActive(false);
    At(100);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(TimerTest, StoppingAnyTimerClearsTheOneIdleHandler) {
    TDXTimer other;
    other.SetEnabled(false);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    ASSERT_TRUE(timer.Hooked());
    other.SetEnabled(true);
    other.SetEnabled(false); // never installed by the first, but clears it all the same
    EXPECT_FALSE(Application().HasIdleHandler());
    EXPECT_TRUE(timer.Running()) << "the first timer is suspended, not stopped";
}

TEST_F(TimerTest, FocusEventsReachBothHandlersEnabledOrNot) {
    TDXTimer other;
    other.SetEnabled(false);
    int activations = 0, deactivations = 0;
    for (TDXTimer* t : {&timer, &other}) {
        t->OnActivate = [&](TCustomDXTimer&) { ++activations; };
        t->OnDeactivate = [&](TCustomDXTimer&) { ++deactivations; };
    }
    Application().SetActive(false);
    Application().SetActive(true);
    EXPECT_EQ(activations, 2);
    EXPECT_EQ(deactivations, 2);
}

TEST_F(TimerTest, LoadingKeepsOnlyTheFlagUntilLoaded) {
    TDXTimer t;
    t.SetEnabled(false);
    t.BeginLoading();
    t.SetEnabled(true);
    EXPECT_FALSE(t.Running());
    t.Loaded();
    EXPECT_TRUE(t.Running());
    t.SetEnabled(false);
}

TEST_F(TimerTest, IdleHintTellsTheLoopHowLongToWait) {
    p.now = 0;
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    p.now = 10;
    EXPECT_EQ(Application().Idle(), 6) << "the loop may sleep until the next frame is due";
    p.now = 16;
    EXPECT_EQ(Application().Idle(), 16);
}

} // namespace

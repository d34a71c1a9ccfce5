// DXInput_test.cpp -- input states from a scripted keyboard and joystick: bindings, edges,
// focus, joystick dead zone and range.
#include "input/DXInput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace {

// Only the polled input and the focus matter here.
class FakePlatform : public platform::Platform {
  public:
    uint8_t keys[256] = {};
    bool active = true;
    std::vector<platform::JoystickState> pads; // by platform index; buttonCount -1: empty slot
    int joystickReads = 0;
    uint32_t generation = 0; // bumped by tests that let the platform see a pad come or go

    uint32_t Ticks() override { return 0; }
    bool OpenWindow(const std::string&, int, int) override { return true; }
    void SetFullscreen(bool) override {}
    bool Fullscreen() const override { return false; }
    void CenterWindow() override {}
    void MinimizeWindow() override {}
    bool Minimized() const override { return false; }
    bool Active() const override { return active; }
    bool GetPlacement(platform::WindowPlacement&) override { return false; }
    void SetPlacement(const platform::WindowPlacement&) override {}
    void SetWindowIcon(const uint32_t*, int, int) override {}
    void Present(const uint32_t*, int, int, int) override {}
    bool PollEvent(platform::Event&) override { return false; }
    void WaitEvent(int) override {}
    int ShowCursor(bool) override { return 0; }
    void WarpCursor(int, int) override {}
    void SetRelativeMouse(bool) override {}
    void GetKeyboardState(uint8_t out[256]) override { std::memcpy(out, keys, 256); }
    bool GetJoystick(int index, platform::JoystickState& out) override {
        ++joystickReads;
        if (index < 0 || index >= int(pads.size()) || pads[index].buttonCount < 0) return false;
        out = pads[index];
        return true;
    }
    uint32_t JoystickGeneration() const override { return generation; }
    bool OpenAudio(int, platform::AudioCallback) override { return false; }
    void CloseAudio() override {}
    void LockAudio() override {}
    void UnlockAudio() override {}
    int AudioFrequency() const override { return 0; }
    void ShowMessage(const std::string&, const std::string&) override {}
    void OpenUrl(const std::string&) override {}

    void Key(int vk, bool down) { keys[vk] = down ? 0x80 : 0; }
};

constexpr int vkCtrl = 17, vkSpace = 32, vkShift = 16, vkReturn = 13;

// DXInput1 as the main form sets it up: stored table, then start-up binds Ctrl.
class DXInputTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::SetCurrent(&fake); }
    void TearDown() override { platform::SetCurrent(nullptr); }

    // Built after the test has set up its devices, as the form's load would find them.
    TDXInput& Input() {
        if (!input) {
            input = std::make_unique<TDXInput>(&form);
            input->Keyboard.LoadAssigns(FormKeyboardAssigns());
            input->Loaded();
            input->Keyboard.BindFireToCtrl();
        }
        return *input;
    }
    TInputStates Step() {
        Input().Update();
        return Input().States;
    }

    FakePlatform fake;
    int form = 0;
    std::unique_ptr<TDXInput> input;
};

TEST(TInputStatesTest, BitLayoutAndHelpers) {
    TInputStates s;
    EXPECT_TRUE(s.Empty());
    s.Insert(stUp);
    s.Insert(stButton1);  // state 4
    s.Insert(stButton5);  // state 8: byte 1, bit 0
    s.Insert(stButton32); // state 35: byte 4, bit 3
    const uint8_t expected[5] = {0x11, 0x01, 0x00, 0x00, 0x08};
    EXPECT_EQ(0, std::memcmp(s.Bits, expected, 5));
    EXPECT_TRUE(s.Contains(stButton32));
    EXPECT_FALSE(s.Contains(stButton31));
    s.Erase(stButton32);
    s.Erase(stButton31); // absent: no effect
    EXPECT_EQ(0x00, s.Bits[4]);
    EXPECT_EQ(0x11, s.Bits[0]);
}

TEST(DXInputCreation, NeedsAnOwningForm) {
    try {
        TDXInput orphan(nullptr);
        FAIL() << "no exception";
    } catch (const EDXInputError& e) {
        EXPECT_STREQ("Form not found", e.what());
    }
}

TEST_F(DXInputTest, DevicesAndTheirDefaults) {
    TDXInput& in = Input();
    ASSERT_EQ(in.Devices()[0], &in.Joystick);
    EXPECT_EQ(in.Devices()[1], &in.Keyboard);
    EXPECT_EQ(in.Devices()[2], &in.Mouse);
    EXPECT_TRUE(in.ActiveOnly());
    EXPECT_TRUE(in.UseDirectInput());
    EXPECT_TRUE(in.Keyboard.Ready());
    EXPECT_FALSE(in.Mouse.Enabled());
    EXPECT_FALSE(in.Mouse.Ready());
    EXPECT_EQ(50, in.Joystick.DeadZoneX());
    EXPECT_EQ(1000, in.Joystick.RangeY());
}

TEST_F(DXInputTest, EnablingTheMouseNeedsDirectInput) {
    try {
        Input().Mouse.SetEnabled(true);
        FAIL() << "no exception";
    } catch (const EDXInputError& e) {
        EXPECT_STREQ("DirectInput is necessary to use the mouse", e.what());
    }
    EXPECT_FALSE(Input().Mouse.Ready());
}

TEST_F(DXInputTest, BindingTableInForce) {
    // The stored table plus Ctrl: every bound key, and keys that must not fire.
    struct Case {
        int vk;
        int state; // -1: nothing
    } cases[] = {
        {87, stUp},
        {38, stUp},
        {104, stUp},
        {83, stDown},
        {40, stDown},
        {98, stDown},
        {65, stLeft},
        {37, stLeft},
        {100, stLeft},
        {68, stRight},
        {39, stRight},
        {102, stRight},
        {vkCtrl, stButton1},
        {vkSpace, stButton1},
        {vkShift, stButton2},
        {vkReturn, stButton2},
        {113, stButton9},
        {'Z', -1},
        {'X', -1},
        {'K', -1},
        {'J', -1},
        {'H', -1},
        {'L', -1},
        {'Q', -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vk);
        fake.Key(c.vk, true);
        TInputStates want;
        if (c.state >= 0) want.Insert(TInputState(c.state));
        EXPECT_EQ(want, Step());
        fake.Key(c.vk, false);
        EXPECT_TRUE(Step().Empty());
    }
}

TEST_F(DXInputTest, FormTableIsDefaultsWithWasdAndShift) {
    TKeyboard& k = Input().Keyboard;
    k.SetDefaultAssigns();
    EXPECT_EQ(90, k.Assigns[stButton1][0]); // Z before start-up binds Ctrl
    EXPECT_EQ(75, k.Assigns[stUp][0]);
    k.LoadAssigns(FormKeyboardAssigns());
    EXPECT_EQ(90, k.Assigns[stButton1][0]);
    EXPECT_EQ(87, k.Assigns[stUp][0]);
    EXPECT_EQ(16, k.Assigns[stButton2][0]);
    EXPECT_EQ(FormKeyboardAssigns(), k.SaveAssigns());
    // Little-endian int32 per slot: stButton2 (row 5) slot 1 is Shift.
    EXPECT_EQ(16, FormKeyboardAssigns()[5 * 12]);
    EXPECT_EQ(0, FormKeyboardAssigns()[5 * 12 + 1]);
}

TEST_F(DXInputTest, SpaceAndCtrlKeepFireOnUntilBothReleased) {
    fake.Key(vkSpace, true);
    fake.Key(vkCtrl, true);
    EXPECT_TRUE(Step().Contains(stButton1));
    fake.Key(vkSpace, false);
    EXPECT_TRUE(Step().Contains(stButton1));
    fake.Key(vkSpace, true);
    fake.Key(vkCtrl, false);
    EXPECT_TRUE(Step().Contains(stButton1));
    fake.Key(vkSpace, false);
    EXPECT_FALSE(Step().Contains(stButton1));
}

TEST_F(DXInputTest, BackgroundGivesNoStatesWithKeysHeld) {
    fake.pads.push_back({-32768, 0, 0, 1, 4});
    fake.Key(vkSpace, true);
    fake.Key(38, true);
    EXPECT_FALSE(Step().Empty());
    fake.active = false;
    EXPECT_TRUE(Step().Empty());
    EXPECT_EQ(0, Input().Keyboard.KeyStates[vkSpace]);
    EXPECT_EQ(0, Input().Joystick.X);
    fake.active = true;
    EXPECT_TRUE(Step().Contains(stButton1));
    // Without ActiveOnly the background does not matter.
    Input().SetActiveOnly(false);
    fake.active = false;
    EXPECT_TRUE(Step().Contains(stUp));
}

TEST_F(DXInputTest, SlotsOutsideOneTo255NeverMatch) {
    TKeyboard& k = Input().Keyboard;
    std::memset(k.Assigns, 0, sizeof k.Assigns);
    k.Assigns[stButton3][0] = 0;
    k.Assigns[stButton3][1] = 256;
    k.Assigns[stButton3][2] = -1;
    std::memset(fake.keys, 0x80, sizeof fake.keys); // every key down
    EXPECT_TRUE(Step().Empty());
    k.Assigns[stButton3][2] = 255;
    EXPECT_TRUE(Step().Contains(stButton3));
    k.Assigns[stButton3][2] = 1;
    fake.keys[255] = 0;
    EXPECT_TRUE(Step().Contains(stButton3));
}

TEST_F(DXInputTest, StateRemovedByCallerStaysOffUntilRepressed) {
    fake.Key(vkCtrl, true);
    EXPECT_TRUE(Step().Contains(stButton1));
    Input().States.Erase(stButton1);
    EXPECT_FALSE(Step().Contains(stButton1));
    EXPECT_FALSE(Step().Contains(stButton1));
    // Another fire key held meanwhile does not bring it back either: the union never fell.
    fake.Key(vkSpace, true);
    EXPECT_FALSE(Step().Contains(stButton1));
    fake.Key(vkCtrl, false);
    fake.Key(vkSpace, false);
    EXPECT_FALSE(Step().Contains(stButton1));
    fake.Key(vkCtrl, true);
    EXPECT_TRUE(Step().Contains(stButton1));
}

TEST(JoystickAxisTest, ConversionTable) {
    // Positions 0..65535, dead zone 50 %, range 1000 unless stated.
    struct Case {
        int64_t position;
        int dz, range;
        int32_t want;
    } cases[] = {
        {0, 50, 1000, -1000},
        {65535, 50, 1000, 1000},
        {32768, 50, 1000, 0},
        {16384, 50, 1000, 0},
        {16383, 50, 1000, 0},
        {16000, 50, 1000, -23},
        {49152, 50, 1000, 0},
        {49200, 50, 1000, 3},
        {24576, 50, 1000, 0},
        {0, 0, 1000, -1000},
        {32768, 0, 1000, 0},
        {40000, 0, 1000, 221},
        {0, 100, 1000, 0},
        {65535, 100, 1000, 0},
        {0, 50, 0, 0},
        {65535, 0, 2000000000, 2000061037},
        {0, 0, 2000000000, -2000000000},
        {0, 50, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(c.want, ConvertJoystickAxis(c.position, 0, 65535, c.dz, c.range));
    }
}

TEST_F(DXInputTest, JoystickDirectionsAndButtons) {
    struct Case {
        int x, y;
        uint32_t buttons;
        int count;
        std::vector<TInputState> want;
        int32_t wantX;
    } cases[] = {
        {0, 0, 0, 4, {}, 0},
        {-16384, 16384, 0, 4, {}, 0}, // half travel: still in the dead zone
        {16384, -16384, 0, 4, {}, 0},
        {-32768, 0, 0, 4, {stLeft}, -1000},
        {32767, 0, 0, 4, {stRight}, 1000},
        {0, -32768, 0, 4, {stUp}, 0},
        {0, 32767, 0, 4, {stDown}, 0},
        {-32768, 32767, 0b101, 4, {stLeft, stDown, stButton1, stButton3}, -1000},
        {0, 0, 0b11000, 3, {}, 0}, // bits beyond the button count are no buttons
        {0, 0, 0x80000000u, 32, {stButton32}, 0},
    };
    fake.pads.push_back({});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " buttons " << c.buttons);
        fake.pads[0] = {c.x, c.y, 0, c.buttons, c.count};
        TInputStates want;
        for (TInputState s : c.want)
            want.Insert(s);
        EXPECT_EQ(want, Step());
        EXPECT_EQ(c.wantX, Input().Joystick.X);
    }
}

TEST_F(DXInputTest, JoystickIdCountsAttachedPads) {
    fake.pads.resize(2);
    fake.pads[1] = {0, 0, 0, 0b10, 4};
    Input().Joystick.SetID(1);
    EXPECT_EQ(1, Input().Joystick.DeviceIndex());
    EXPECT_TRUE(Step().Contains(stButton2));
    Input().Joystick.SetID(2);
    EXPECT_FALSE(Input().Joystick.Ready());
    EXPECT_TRUE(Step().Empty());
}

TEST_F(DXInputTest, NoJoystickKeyboardStillWorks) {
    EXPECT_FALSE(Input().Joystick.Ready());
    fake.Key(37, true);
    fake.Key(vkCtrl, true);
    TInputStates want;
    want.Insert(stLeft);
    want.Insert(stButton1);
    EXPECT_EQ(want, Step());
    // An absent pad is not probed every frame.
    const int reads = fake.joystickReads;
    Step();
    EXPECT_EQ(reads, fake.joystickReads);
}

TEST_F(DXInputTest, UnpluggedPadGoesQuietAndReturnsOnActivation) {
    fake.pads.push_back({-32768, 0, 0, 0, 4});
    EXPECT_TRUE(Step().Contains(stLeft));
    fake.pads.clear();
    EXPECT_TRUE(Step().Empty());
    EXPECT_FALSE(Input().Joystick.Ready());
    fake.pads.push_back({32767, 0, 0, 0, 4});
    EXPECT_TRUE(Step().Empty());
    Input().Activate();
    EXPECT_TRUE(Step().Contains(stRight));
}

TEST_F(DXInputTest, APadThatArrivesIsReadFromTheNextUpdate) {
    EXPECT_TRUE(Step().Empty());
    fake.pads.push_back({0, 32767, 0, 0b1, 4});
    ++fake.generation;
    TInputStates want;
    want.Insert(stDown);
    want.Insert(stButton1);
    EXPECT_EQ(want, Step());
    EXPECT_TRUE(Input().Joystick.Ready());
}

TEST_F(DXInputTest, AGonePadIsLookedForAgainOnlyWhenAPadComesOrGoes) {
    fake.pads.push_back({-32768, 0, 0, 0, 4});
    EXPECT_TRUE(Step().Contains(stLeft));
    fake.pads.clear();
    ++fake.generation;
    EXPECT_TRUE(Step().Empty()) << "the read is retried once, then that frame has no states";
    EXPECT_FALSE(Input().Joystick.Ready());
    const int reads = fake.joystickReads;
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(Step().Empty());
    EXPECT_EQ(reads, fake.joystickReads) << "an empty port is not probed every frame";

    fake.pads.push_back({32767, 0, 0, 0, 4});
    ++fake.generation;
    EXPECT_TRUE(Step().Contains(stRight)) << "back: read from the next frame, no focus change";
}

TEST_F(DXInputTest, APadThatMovedToAnotherSlotIsFoundByTheRetryInTheSameFrame) {
    const platform::JoystickState empty{0, 0, 0, 0, -1};
    fake.pads = {{0, -32768, 0, 0, 4}, empty};
    ASSERT_TRUE(Step().Contains(stUp));
    EXPECT_EQ(0, Input().Joystick.DeviceIndex());
    fake.pads = {empty, {0, 32767, 0, 0, 4}};
    EXPECT_TRUE(Step().Contains(stDown));
    EXPECT_EQ(1, Input().Joystick.DeviceIndex());
}

} // namespace

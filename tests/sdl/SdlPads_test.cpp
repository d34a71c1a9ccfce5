// SdlPads_test.cpp -- the SDL backend's gamepad code under the game's input component, with
// SDL's virtual pads: a game controller steering with its stick and d-pad and firing with A,
// a plain joystick that no mapping knows, a pad plugged in during play, and one pulled out and
// plugged back.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "input/DXInput.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/sdl/VirtualPad.h"

namespace {

using platform::VirtualPad;

class SdlPads : public ::testing::Test {
  protected:
    void SetUp() override {
        // No display and no sound needed: SDL's dummy drivers. They give no window the focus,
        // and SDL drops pad reports while no window of the program has it, unless told not to.
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        std::string error;
        sdl = platform::CreateSdlPlatform(error);
        ASSERT_TRUE(sdl) << error;
        platform::SetCurrent(sdl.get());
        ASSERT_TRUE(sdl->OpenWindow("Skyvern", 800, 600)) << sdl->Error();
    }
    void TearDown() override {
        input.reset();
        pads.clear();
        platform::SetCurrent(nullptr);
        sdl.reset();
    }

    // The input component as the game sets it up, but reading in the background, since no
    // window has the focus here.
    TDXInput& Input() {
        if (!input) {
            input = std::make_unique<TDXInput>(&form);
            input->SetActiveOnly(false);
            input->Keyboard.LoadAssigns(FormKeyboardAssigns());
            input->Loaded();
            input->Keyboard.BindFireToCtrl();
        }
        return *input;
    }
    // One frame of the game: the events drained, then the input read.
    TInputStates Frame() {
        platform::Event e;
        while (sdl->PollEvent(e)) {
        }
        Input().Update();
        return Input().States;
    }
    VirtualPad& Plug(VirtualPad::Kind kind) {
        pads.push_back(std::make_unique<VirtualPad>(kind));
        EXPECT_TRUE(pads.back()->Plug()) << pads.back()->Error();
        return *pads.back();
    }
    static TInputStates Of(std::initializer_list<TInputState> list) {
        TInputStates s;
        for (TInputState st : list)
            s.Insert(st);
        return s;
    }

    std::unique_ptr<platform::Platform> sdl;
    std::vector<std::unique_ptr<VirtualPad>> pads;
    std::unique_ptr<TDXInput> input;
    int form = 0;
};

TEST_F(SdlPads, AGameControllerSteersWithStickAndDpadAndFiresWithA) {
    VirtualPad& pad = Plug(VirtualPad::Kind::GameController);
    EXPECT_TRUE(pad.HasMapping()) << "SDL maps it as a game controller";
    Frame();
    struct Step {
        const char* what;
        int axis; // -1: none
        int16_t value;
        TInputStates want;
    } steps[] = {
        {"nothing held", -1, 0, {}},
        {"stick left", 0, -32768, Of({stLeft})},
        {"stick half left: dead zone", 0, -16000, {}},
        {"stick right", 0, 32767, Of({stRight})},
        {"stick up", 1, -32768, Of({stRight, stUp})},
        {"stick down", 1, 32767, Of({stRight, stDown})},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.axis >= 0) pad.SetAxis(s.axis, s.value);
        EXPECT_EQ(s.want, Frame());
    }
    pad.SetAxis(0, 0);
    pad.SetAxis(1, 0);
    EXPECT_TRUE(Frame().Empty());

    struct Press {
        const char* what;
        int button;
        TInputStates want;
    } presses[] = {
        {"A fires", VirtualPad::A, Of({stButton1})},
        {"B is the second button", VirtualPad::B, Of({stButton2})},
        {"d-pad left", VirtualPad::DpadLeft, Of({stLeft})},
        {"d-pad right", VirtualPad::DpadRight, Of({stRight})},
        {"d-pad up", VirtualPad::DpadUp, Of({stUp})},
        {"d-pad down", VirtualPad::DpadDown, Of({stDown})},
    };
    for (const Press& p : presses) {
        SCOPED_TRACE(p.what);
        pad.SetButton(p.button, true);
        EXPECT_EQ(p.want, Frame());
        pad.SetButton(p.button, false);
        EXPECT_TRUE(Frame().Empty());
    }
    pad.SetButton(VirtualPad::A, true);
    pad.SetButton(VirtualPad::DpadUp, true);
    EXPECT_EQ(Of({stUp, stButton1}), Frame()) << "steering while firing";
}

TEST_F(SdlPads, APlainJoystickWithoutAMappingSteersAndFiresByNumber) {
    VirtualPad& pad = Plug(VirtualPad::Kind::PlainJoystick);
    EXPECT_FALSE(pad.HasMapping()) << "no mapping knows it";
    EXPECT_TRUE(Frame().Empty());
    EXPECT_TRUE(Input().Joystick.Ready());
    pad.SetAxis(0, -32768);
    pad.SetAxis(1, 32767);
    pad.SetButton(0, true);
    pad.SetButton(3, true);
    EXPECT_EQ(Of({stLeft, stDown, stButton1, stButton4}), Frame());
    pad.SetAxis(0, 32767);
    pad.SetAxis(1, 0);
    pad.SetButton(0, false);
    pad.SetButton(3, false);
    EXPECT_EQ(Of({stRight}), Frame());
}

TEST_F(SdlPads, APadPluggedInDuringPlayWorksFromTheNextFrame) {
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Frame().Empty());
    EXPECT_FALSE(Input().Joystick.Ready());
    VirtualPad& pad = Plug(VirtualPad::Kind::GameController);
    pad.SetAxis(0, 32767);
    pad.SetButton(VirtualPad::A, true);
    EXPECT_EQ(Of({stRight, stButton1}), Frame());
}

TEST_F(SdlPads, APadPulledOutAndPluggedBackIsReadAgain) {
    for (VirtualPad::Kind kind :
         {VirtualPad::Kind::GameController, VirtualPad::Kind::PlainJoystick}) {
        SCOPED_TRACE(kind == VirtualPad::Kind::GameController ? "controller" : "joystick");
        VirtualPad& pad = Plug(kind);
        pad.SetAxis(1, -32768);
        EXPECT_EQ(Of({stUp}), Frame());
        pad.Unplug();
        EXPECT_TRUE(Frame().Empty()) << "gone: no states";
        EXPECT_TRUE(Frame().Empty());
        ASSERT_TRUE(pad.Plug()) << pad.Error();
        pad.SetAxis(1, 32767);
        EXPECT_EQ(Of({stDown}), Frame()) << "back: read from the next frame";
        pad.Unplug();
        Frame();
    }
}

} // namespace

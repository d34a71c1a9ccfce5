// VirtualPad.h -- a gamepad that exists only in software (SDL's virtual joysticks), for the
// suite: plugged in, moved and pulled out again, it drives the SDL backend's pad code where no
// real pad (nor /dev/uinput) is at hand. Only the SDL backend must be running.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class VirtualPad {
  public:
    // A game controller (SDL maps it: buttons in SDL's controller order, A first, then B, X,
    // Y, ...; axes left X, left Y, right X, right Y, triggers), or a plain joystick of two
    // axes and four buttons that no mapping knows.
    enum class Kind { GameController, PlainJoystick };
    // Controller buttons by SDL's numbering.
    enum Button { A = 0, B = 1, DpadUp = 11, DpadDown = 12, DpadLeft = 13, DpadRight = 14 };

    explicit VirtualPad(Kind kind);
    ~VirtualPad(); // pulled out
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool Plug(); // false with Error() when SDL refuses it
    void Unplug();
    bool Plugged() const { return joystick_ != nullptr; }
    // SDL knows it as a game controller (has a mapping for it).
    bool HasMapping() const;
    // Take effect at the next event pump, as a real pad's report would.
    void SetAxis(int axis, int16_t value);
    void SetButton(int button, bool down);
    const std::string& Error() const { return error_; }

  private:
    Kind kind_;
    void* joystick_ = nullptr; // SDL_Joystick
    int32_t instance_ = -1;
    std::string error_;
};

} // namespace platform

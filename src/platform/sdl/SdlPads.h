// SdlPads.h -- the SDL backend's gamepads: game controllers (with a mapping: left stick,
// d-pad, A first) and plain joysticks (first two axes, buttons as numbered), in one list of
// platform indices, controllers first. Kept up to date from SDL's device events.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/Platform.h"

namespace platform {

class SdlPads {
  public:
    SdlPads() = default;
    ~SdlPads() { CloseAll(); }
    SdlPads(const SdlPads&) = delete;
    SdlPads& operator=(const SdlPads&) = delete;

    // Start-up: the joystick subsystems and the pads already attached.
    void Init();
    void CloseAll();
    // Device events, as the event loop takes them: true when the event was one of ours.
    bool HandleEvent(const SDL_Event& e);
    bool Read(int index, JoystickState& out) const;
    uint32_t Generation() const { return generation_; }

  private:
    void Open(int deviceIndex);
    void Close(SDL_JoystickID id);
    bool Known(SDL_JoystickID id) const;

    std::vector<SDL_GameController*> controllers_;
    std::vector<SDL_Joystick*> joysticks_;
    uint32_t generation_ = 0;
};

} // namespace platform

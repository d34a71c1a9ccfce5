// SdlPads.cpp -- game controllers and plain joysticks through SDL.
#include "platform/sdl/SdlPads.h"

#include <algorithm>

namespace platform {

void SdlPads::Init() {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK) != 0) return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        Open(i);
}

void SdlPads::CloseAll() {
    for (auto* c : controllers_)
        SDL_GameControllerClose(c);
    for (auto* j : joysticks_)
        SDL_JoystickClose(j);
    controllers_.clear();
    joysticks_.clear();
}

bool SdlPads::HandleEvent(const SDL_Event& e) {
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_JOYDEVICEADDED: {
        // A pad plugged in while the game runs is read from the next frame. SDL reports a
        // controller twice (as a joystick and as a controller): it is opened once.
        SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(e.jdevice.which);
        if (!Known(id)) Open(e.jdevice.which);
        return true;
    }
    case SDL_JOYDEVICEREMOVED:
        Close(e.jdevice.which);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED:
        return true;
    default:
        return false;
    }
}

bool SdlPads::Read(int index, JoystickState& out) const {
    if (index < 0) return false;
    if (size_t(index) < controllers_.size()) {
        SDL_GameController* c = controllers_[index];
        if (!SDL_GameControllerGetAttached(c)) return false;
        out = JoystickState{};
        out.x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
        out.y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
        out.z = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX);
        // The d-pad steers like the stick: players expect it to.
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) out.x = -32768;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) out.x = 32767;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP)) out.y = -32768;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) out.y = 32767;
        int bit = 0;
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            if (b >= SDL_CONTROLLER_BUTTON_DPAD_UP && b <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT)
                continue;
            if (SDL_GameControllerGetButton(c, SDL_GameControllerButton(b)))
                out.buttons |= 1u << bit;
            ++bit;
        }
        out.buttonCount = bit;
        return true;
    }
    size_t j = size_t(index) - controllers_.size();
    if (j >= joysticks_.size()) return false;
    SDL_Joystick* js = joysticks_[j];
    if (!SDL_JoystickGetAttached(js)) return false;
    out = JoystickState{};
    int axes = SDL_JoystickNumAxes(js);
    if (axes > 0) out.x = SDL_JoystickGetAxis(js, 0);
    if (axes > 1) out.y = SDL_JoystickGetAxis(js, 1);
    if (axes > 2) out.z = SDL_JoystickGetAxis(js, 2);
    out.buttonCount = std::min(SDL_JoystickNumButtons(js), 32);
    for (int b = 0; b < out.buttonCount; ++b)
        if (SDL_JoystickGetButton(js, b)) out.buttons |= 1u << b;
    return true;
}

void SdlPads::Open(int deviceIndex) {
    if (SDL_IsGameController(deviceIndex)) {
        if (SDL_GameController* c = SDL_GameControllerOpen(deviceIndex)) {
            controllers_.push_back(c);
            ++generation_;
        }
    } else if (SDL_Joystick* j = SDL_JoystickOpen(deviceIndex)) {
        joysticks_.push_back(j);
        ++generation_;
    }
}

void SdlPads::Close(SDL_JoystickID id) {
    for (auto it = controllers_.begin(); it != controllers_.end(); ++it)
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(*it)) == id) {
            SDL_GameControllerClose(*it);
            controllers_.erase(it);
            ++generation_;
            return;
        }
    for (auto it = joysticks_.begin(); it != joysticks_.end(); ++it)
        if (SDL_JoystickInstanceID(*it) == id) {
            SDL_JoystickClose(*it);
            joysticks_.erase(it);
            ++generation_;
            return;
        }
}

bool SdlPads::Known(SDL_JoystickID id) const {
    for (auto* c : controllers_)
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id) return true;
    for (auto* j : joysticks_)
        if (SDL_JoystickInstanceID(j) == id) return true;
    return false;
}

} // namespace platform

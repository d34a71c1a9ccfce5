// VirtualPad.cpp -- SDL virtual joysticks for the suite.
#include "platform/sdl/VirtualPad.h"

#include <SDL.h>

namespace platform {

VirtualPad::VirtualPad(Kind kind) : kind_(kind) {}

VirtualPad::~VirtualPad() {
    Unplug();
}

bool VirtualPad::Plug() {
    if (joystick_) return true;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    if (kind_ == Kind::GameController) {
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Skyvern test controller";
    } else {
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = 2;
        desc.nbuttons = 4;
        desc.name = "Skyvern test joystick";
    }
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) {
        error_ = SDL_GetError();
        return false;
    }
    // Our own handle, to set its state; the backend opens its own from the device event.
    SDL_Joystick* js = SDL_JoystickOpen(index);
    if (!js) {
        error_ = SDL_GetError();
        SDL_JoystickDetachVirtual(index);
        return false;
    }
    joystick_ = js;
    instance_ = SDL_JoystickInstanceID(js);
    return true;
}

void VirtualPad::Unplug() {
    if (!joystick_) return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance_) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    SDL_JoystickClose(static_cast<SDL_Joystick*>(joystick_));
    joystick_ = nullptr;
    instance_ = -1;
}

bool VirtualPad::HasMapping() const {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance_) return SDL_IsGameController(i);
    return false;
}

void VirtualPad::SetAxis(int axis, int16_t value) {
    if (joystick_) SDL_JoystickSetVirtualAxis(static_cast<SDL_Joystick*>(joystick_), axis, value);
}

void VirtualPad::SetButton(int button, bool down) {
    if (joystick_)
        SDL_JoystickSetVirtualButton(static_cast<SDL_Joystick*>(joystick_), button,
                                     down ? SDL_PRESSED : SDL_RELEASED);
}

} // namespace platform

// SdlPlatform.h -- the players' backend on SDL2: window, events, presentation, cursor,
// keyboard and game controllers, audio device, message box and URL opening.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace platform {

// Creates the SDL backend; nullptr (with the reason in `error`) when SDL cannot start at all.
std::unique_ptr<Platform> CreateSdlPlatform(std::string& error);

// Translates an SDL key symbol and scan code into a Windows virtual-key code (0 = none):
// letters and digits by the key's label in the player's layout.
int VirtualKeyFromSdl(int sdlKeycode, int sdlScancode);
// The virtual key of the polled keyboard state, by the key's position alone: a letter or digit
// key as on a US keyboard (the key where W is there steers up on every layout).
int PositionalVirtualKey(int sdlScancode);

} // namespace platform

// SdlInCore_probe.cpp -- a game file that includes SDL. It must not build: the core library's
// include path has no SDL. Built only by the test that expects it to fail.
#include <SDL.h>

int SdlInCoreProbe() {
    return SDL_GetTicks() > 0;
}

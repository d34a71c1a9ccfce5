// otherwindow.cpp -- a window of another program, opened through the SDL backend, that the
// desktop test gives the focus before the game starts. Runs until killed (a minute at most).
#include <cstdio>
#include <string>

#include "platform/sdl/SdlPlatform.h"

int main() {
    std::string error;
    auto p = platform::CreateSdlPlatform(error);
    if (!p || !p->OpenWindow("otherwindow", 200, 150)) {
        std::fprintf(stderr, "otherwindow: %s\n", p ? p->Error().c_str() : error.c_str());
        return 1;
    }
    const uint32_t start = p->Ticks();
    while (p->Ticks() - start < 60000) {
        platform::Event e;
        while (p->PollEvent(e)) {
        }
        p->WaitEvent(50);
    }
    return 0;
}

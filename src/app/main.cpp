// main.cpp -- the program: open the window, run the game until the window closes, then open
// the exit link.
#include <malloc.h>

#include <cstdio>
#include <exception>

#include "app/FatalError.h"
#include "app/MainForm.h"
#include "online/GoToLink.h"
#include "platform/sdl/SdlPlatform.h"
#include "timer/Application.h"

int main() {
    // Pictures come and go by the megabyte at each switch between the menus and the game. With
    // a fixed threshold every such block is mapped on its own and given back when freed;
    // glibc's moving threshold would keep them in the heap, several megabytes for good.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    std::string error;
    auto platform = platform::CreateSdlPlatform(error);
    if (!platform) {
        std::fprintf(stderr, "skyvern: cannot start the display: %s\n", error.c_str());
        return 1;
    }
    platform::SetCurrent(platform.get());
    try {
        {
            TmainForm form;
            Application().Run();
        }
        OpenExitLink();
    } catch (const std::exception& e) {
        ReportFatalError("skyvern", e.what());
        platform::SetCurrent(nullptr);
        return 1;
    }
    platform::SetCurrent(nullptr);
    return 0;
}

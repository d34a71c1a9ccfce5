// X11Desktop.cpp -- window manager and dots per inch of an X11 desktop, through the Xlib that
// SDL loaded.
#include "platform/sdl/X11Desktop.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// The few Xlib calls used, looked up in the library SDL already loaded.
struct Xlib {
    void* handle = nullptr;
    Display* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    Atom (*internAtom)(Display*, const char*, Bool) = nullptr;
    int (*getProperty)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                       unsigned long*, unsigned char**) = nullptr;
    int (*free)(void*) = nullptr;
    Window (*rootOf)(Display*) = nullptr;
    char* (*resources)(Display*) = nullptr;
    int (*defaultScreen)(Display*) = nullptr;
    int (*width)(Display*, int) = nullptr;
    int (*widthMM)(Display*, int) = nullptr;

    Xlib() {
        handle = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        if (!handle) return;
        Load(openDisplay, "XOpenDisplay");
        Load(closeDisplay, "XCloseDisplay");
        Load(internAtom, "XInternAtom");
        Load(getProperty, "XGetWindowProperty");
        Load(free, "XFree");
        Load(rootOf, "XDefaultRootWindow");
        Load(resources, "XResourceManagerString");
        Load(defaultScreen, "XDefaultScreen");
        Load(width, "XDisplayWidth");
        Load(widthMM, "XDisplayWidthMM");
    }
    ~Xlib() {
        if (handle) dlclose(handle);
    }
    Xlib(const Xlib&) = delete;
    Xlib& operator=(const Xlib&) = delete;

    template <class F> void Load(F& f, const char* name) {
        f = reinterpret_cast<F>(dlsym(handle, name));
    }
};

bool OnX11() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && !std::strcmp(driver, "x11");
}

// "Xft.dpi:\t192" among the resource lines.
float XftDpi(const char* db) {
    for (const char* line = db; line && *line;) {
        if (!std::strncmp(line, "Xft.dpi:", 8)) {
            const float dpi = std::strtof(line + 8, nullptr);
            if (dpi > 0) return dpi;
        }
        line = std::strchr(line, '\n');
        if (line) ++line;
    }
    return 0;
}

} // namespace

bool WindowManagerRuns(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Xlib x;
    if (!x.internAtom || !x.getProperty || !x.free || !x.rootOf) return true;
    // A window manager names its check window on the root window.
    Display* d = info.info.x11.display;
    const Atom check = x.internAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool runs = x.getProperty(d, x.rootOf(d), check, 0, 1, False, AnyPropertyType, &type,
                                    &format, &count, &after, &data) == Success &&
                      data && count == 1;
    if (data) x.free(data);
    return runs;
}

float X11DesktopDpi() {
    if (!OnX11()) return 0;
    Xlib x;
    if (!x.openDisplay || !x.closeDisplay || !x.resources || !x.defaultScreen || !x.width ||
        !x.widthMM)
        return 0;
    Display* d = x.openDisplay(nullptr);
    if (!d) return 0;
    float dpi = XftDpi(x.resources(d));
    if (dpi <= 0) {
        const int screen = x.defaultScreen(d);
        const int mm = x.widthMM(d, screen);
        if (mm > 0) dpi = float(x.width(d, screen)) * 25.4f / float(mm);
    }
    x.closeDisplay(d);
    return dpi;
}

} // namespace platform

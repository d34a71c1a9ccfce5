// X11Desktop.h -- what SDL does not tell about an X11 desktop: whether a window manager runs,
// and the dots per inch the desktop asks for. Xlib is looked up in the process, where SDL
// loaded it, so the game does not need it where it runs on Wayland.
#pragma once

struct SDL_Window;

namespace platform {

// False only on an X display where no window manager announces itself; true elsewhere
// (Wayland always has its compositor).
bool WindowManagerRuns(SDL_Window* window);

// The desktop's dots per inch on X11: Xft.dpi from the resource database (where desktops put
// their scale), else the screen's own size in pixels and millimetres. 0 when not on X11.
float X11DesktopDpi();

} // namespace platform

// WindowSize.h -- how big the game's window opens and the size the player chose, kept in a
// file of its own (window.cfg) beside config.dat, whose layout stays as it is. Pure rules, no
// window system: the SDL backend asks them.
#pragma once

#include <string>

namespace platform {

constexpr const char* kWindowSizeFileName = "window.cfg";
// A smaller window than this is not a size anybody chose on purpose.
constexpr int kMinWindowWidth = 160, kMinWindowHeight = 120;
constexpr int kMaxWindowSide = 16384;

struct Size {
    int w = 0, h = 0;
    bool operator==(const Size&) const = default;
};

// The size a new window opens at when the player chose none: on a desktop scaled above 1, the
// largest whole multiple of base that fits into the usable area; else base itself.
Size OpeningSize(Size usable, double desktopScale, Size base);

// The player's size as the window may take it on this desktop: at most the usable area,
// aspect of the player's choice not kept (it is a window, the picture inside keeps its own).
Size FitToDesktop(Size chosen, Size usable);

// Reads window.cfg ("WIDTHxHEIGHT" on one line). False when there is none; false with
// `error` set when the file is there but not a size (too long, not numbers, out of range).
bool ReadWindowSize(const std::string& path, Size& out, std::string& error);
// Writes it through a temporary file, so a crash never leaves half a file.
bool WriteWindowSize(const std::string& path, Size size);

// The desktop's scale: a GDK_SCALE-style integer hint when one is set (GDK_SCALE, then
// QT_SCALE_FACTOR), else the display's dots per inch against 96. Below 1 counts as 1.
double DesktopScale(const char* gdkScale, const char* qtScale, float displayDpi);

} // namespace platform

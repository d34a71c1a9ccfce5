// Platform.h -- the one seam between the game and the machine. Game code talks to the window,
// clock, cursor, keyboard/joystick state, audio device and desktop shell only through this
// interface; two backends implement it: SDL (players) and headless (tests and the harness).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace platform {

enum class EventKind {
    KeyDown,         // key, alt/shift/ctrl; repeat set for auto-repeat
    KeyUp,           // key, alt/shift/ctrl
    Char,            // ch: one single-byte character typed
    MouseMove,       // x, y in 800 x 600 back-surface co-ordinates
    MouseDown,       // button (1 = left, 2 = middle, 3 = right), x, y
    MouseUp,         // button, x, y
    MouseRelative,   // dx, dy: relative motion while relative mouse mode is on
    CloseRequest,    // the window's close box, Alt+F4, a quit request
    MaximizeRequest, // the window manager asked to maximise
    // A double click on the title bar. The window manager owns the title bar and turns the
    // double click into a maximise indistinguishable from its button's (X11 and Wayland alike),
    // so the SDL backend never sends this; the headless one does when a test asks.
    CaptionDoubleClick,
    FocusGained,
    FocusLost,
    Minimized,
    Restored,
    Exposed, // the window needs repainting
    Quit,    // the session ends the program (SIGTERM, logout): no dialog
};

struct Event {
    EventKind kind = EventKind::Exposed;
    int key = 0; // Windows virtual-key code
    bool alt = false, shift = false, ctrl = false, repeat = false;
    unsigned char ch = 0;
    int x = 0, y = 0, dx = 0, dy = 0;
    int button = 0;
};

// Axes -32768..32767 as the device reports them; buttons bit i = button i pressed.
struct JoystickState {
    int x = 0, y = 0, z = 0;
    uint32_t buttons = 0;
    int buttonCount = 0;
};

// The window rectangle and state kept across a switch to full screen and back.
struct WindowPlacement {
    int x = 0, y = 0, width = 0, height = 0;
    bool maximized = false;
};

// A rectangle of a frame, in its pixels.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Called on the audio thread: fill `frames` stereo frames of signed 16-bit samples.
using AudioCallback = std::function<void(int16_t* out, int frames)>;

class Platform {
  public:
    virtual ~Platform() = default;

    // Millisecond tick, 32-bit, wraps; read by the frame timer on every idle pass.
    virtual uint32_t Ticks() = 0;

    // Window. OpenWindow returns false (with Error() set) when there is no display at all.
    virtual bool OpenWindow(const std::string& title, int width, int height) = 0;
    virtual void SetFullscreen(bool fullscreen) = 0;
    virtual bool Fullscreen() const = 0;
    virtual void CenterWindow() = 0;
    virtual void MinimizeWindow() = 0;
    virtual bool Minimized() const = 0;
    virtual bool Active() const = 0; // the window has the keyboard focus
    virtual bool GetPlacement(WindowPlacement& out) = 0;
    virtual void SetPlacement(const WindowPlacement& placement) = 0;
    virtual void SetWindowIcon(const uint32_t* argb, int width, int height) = 0;
    // Shows an 800 x 600 frame of 0x00RRGGBB pixels (pitch in bytes). Called by the display flip.
    virtual void Present(const uint32_t* pixels, int width, int height, int pitch) = 0;
    // Shows only these rectangles of the frame; the window keeps showing the rest of the last
    // one. Called by the display flip when it knows what changed since the last present.
    virtual void PresentRects(const uint32_t* pixels, int width, int height, int pitch,
                              const Rect* rects, int count) {
        (void)rects;
        (void)count;
        Present(pixels, width, height, pitch);
    }

    // The window's own pixels, lent so that a frame is drawn where the window shows it from and
    // presenting copies nothing: only where the window shows them 1:1 as rows of `width`
    // 0x00RRGGBB pixels. The caller may read and write them until its next call of LendFrame,
    // Present, PresentRects or SetFullscreen; asking again while LendingHolds() gives the same
    // pixels, as the caller left them.
    virtual uint32_t* LendFrame(int width, int height) {
        (void)width;
        (void)height;
        return nullptr;
    }
    // False once the window is about to replace the lent pixels (its size or mode changed):
    // the caller takes out what it needs before asking again. They can still be read then.
    virtual bool LendingHolds() const { return false; }
    // Shows these rectangles of the lent pixels (none: all of them).
    virtual void PresentLent(const Rect* rects, int count) {
        (void)rects;
        (void)count;
    }

    // Events: PollEvent takes one pending event; WaitEvent sleeps until an event is pending
    // or timeoutMs passed (the message loop's idle wait instead of spinning).
    virtual bool PollEvent(Event& event) = 0;
    virtual void WaitEvent(int timeoutMs) = 0;

    // Cursor show-count: visible while >= 0. ShowCursor returns the new count.
    virtual int ShowCursor(bool show) = 0;
    virtual void WarpCursor(int x, int y) = 0; // back-surface co-ordinates
    virtual void SetRelativeMouse(bool on) = 0;

    // Polled input, read once per frame by the input component.
    virtual void GetKeyboardState(uint8_t keys[256]) = 0; // by virtual-key code, bit 7 = down
    virtual bool GetJoystick(int index, JoystickState& out) = 0; // false: no such device
    // Changes whenever a joystick has arrived or left (as far as the events taken so far tell).
    // Read by the input component at each frame: it looks for a missing pad again only then.
    virtual uint32_t JoystickGeneration() const { return 0; }

    // Audio: one stereo s16 device driven by our callback. False when no device opens; a
    // backend that reopens a missing or lost device by itself (SDL) says true and, while it
    // has none, runs the callback at the device's pace into nothing.
    virtual bool OpenAudio(int frequency, AudioCallback callback) = 0;
    virtual void CloseAudio() = 0;
    virtual void LockAudio() = 0;
    virtual void UnlockAudio() = 0;
    virtual int AudioFrequency() const = 0;

    // The text rasteriser, called by the display's text canvas whenever it draws or measures
    // a string. Both backends give the real one; by default (test fakes) text draws nothing
    // and measures 0 wide, one em high.
    virtual TextRenderer& Text();

    // Desktop shell.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
    virtual void OpenUrl(const std::string& url) = 0;

    const std::string& Error() const { return error_; }

  protected:
    std::string error_;
};

// The backend in use; set once at start-up by the program (SDL) or the harness (headless).
Platform& Current();
void SetCurrent(Platform* platform);

// Resolves a data path as the game writes it ("Sound\1.xm") against the working directory:
// backslashes become slashes and each component is matched without regard to case.
// Returns the path as given (with slashes) when nothing matches.
std::string ResolvePath(std::string_view gamePath);

} // namespace platform

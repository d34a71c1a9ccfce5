// HeadlessPlatform.h -- the in-memory backend: no window, a virtual clock, scripted events,
// a fake audio device and recorded shell calls. Tests and the harness drive the real game
// code frame by frame through it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

class HeadlessPlatform : public Platform {
  public:
    HeadlessPlatform();

    // --- what tests and the harness control ---
    uint32_t now = 0;       // virtual millisecond tick
    bool hasDisplay = true; // false: OpenWindow fails as without any display
    bool hasAudio = true;   // false: OpenAudio fails as without a sound device
    JoystickState joystick; // what the pad reports while it is plugged in
    // Plugs the pad in (as device 0) or pulls it out; either way the platform has seen a change.
    void PlugJoystick(bool attached);
    bool JoystickAttached() const { return joystickAttached_; }
    void Advance(uint32_t ms) { now += ms; }
    void Push(const Event& event);
    void SetKey(int vk, bool down) { keys_[vk & 255] = down ? 0x80 : 0; }
    void SetFocus(bool active); // also queues FocusGained / FocusLost
    // Pulls frames from the audio callback as the device would.
    void RenderAudio(int16_t* out, int frames);
    // The window lends its pixels (lastFrame) while windowed, as a window shown 1:1 does; full
    // screen stands for a scaled one, which cannot. False: it never lends, copies every present.
    bool lendsPixels = true;
    // The window is about to replace its pixels, as after a size change: the next lend gives
    // new memory and frees the old.
    void ReplaceWindowPixels() { replacing_ = true; }

    // --- what the game did ---
    std::vector<std::string> messages; // message boxes shown
    std::vector<std::string> urls;     // addresses opened
    std::vector<uint32_t> lastFrame;   // what the window shows, 800 x 600
    int frameWidth = 0, frameHeight = 0;
    uint64_t presents = 0;
    uint64_t pixelsPresented = 0; // pixels shown again, copied or drawn in lent pixels
    uint64_t pixelsCopied = 0;    // of those, pixels copied in by a present
    int cursorCount = 0;
    int cursorX = 0, cursorY = 0;
    bool relativeMouse = false;
    bool windowOpen = false;
    std::string title;
    bool iconSet = false;

    // --- Platform ---
    uint32_t Ticks() override { return now; }
    bool OpenWindow(const std::string& title, int width, int height) override;
    void SetFullscreen(bool fullscreen) override {
        if (fullscreen != fullscreen_) replacing_ = true;
        fullscreen_ = fullscreen;
    }
    bool Fullscreen() const override { return fullscreen_; }
    void CenterWindow() override {}
    void MinimizeWindow() override;
    bool Minimized() const override { return minimized_; }
    bool Active() const override { return active_; }
    bool GetPlacement(WindowPlacement& out) override;
    void SetPlacement(const WindowPlacement& placement) override { placement_ = placement; }
    void SetWindowIcon(const uint32_t*, int, int) override { iconSet = true; }
    void Present(const uint32_t* pixels, int width, int height, int pitch) override;
    void PresentRects(const uint32_t* pixels, int width, int height, int pitch, const Rect* rects,
                      int count) override;
    uint32_t* LendFrame(int width, int height) override;
    bool LendingHolds() const override { return lendsPixels && !fullscreen_ && !replacing_; }
    void PresentLent(const Rect* rects, int count) override;
    bool PollEvent(Event& event) override;
    void WaitEvent(int) override {}
    int ShowCursor(bool show) override { return show ? ++cursorCount : --cursorCount; }
    void WarpCursor(int x, int y) override {
        cursorX = x;
        cursorY = y;
    }
    void SetRelativeMouse(bool on) override { relativeMouse = on; }
    void GetKeyboardState(uint8_t keys[256]) override;
    bool GetJoystick(int index, JoystickState& out) override;
    uint32_t JoystickGeneration() const override { return joystickGeneration_; }
    bool OpenAudio(int frequency, AudioCallback callback) override;
    void CloseAudio() override { audio_ = nullptr; }
    void LockAudio() override {}
    void UnlockAudio() override {}
    int AudioFrequency() const override { return audio_ ? frequency_ : 0; }
    TextRenderer& Text() override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
    void OpenUrl(const std::string& url) override { urls.push_back(url); }

  private:
    std::deque<Event> events_;
    uint8_t keys_[256] = {};
    bool joystickAttached_ = false;
    uint32_t joystickGeneration_ = 0;
    bool fullscreen_ = false, minimized_ = false, active_ = true, replacing_ = false;
    WindowPlacement placement_{100, 100, 800, 600, false};
    AudioCallback audio_;
    int frequency_ = 44100;
};

} // namespace platform

// SdlPlatform.cpp -- the SDL2 backend.
//
// Presentation: a 1:1 copy into the window surface costs almost nothing, while SDL's OpenGL
// renderer on a software rasteriser costs a quarter of a core. So the window surface (with
// framebuffer acceleration off) is used unless a hardware OpenGL driver is found, which is
// probed the first time full screen needs scaling. Where the window surface shows the frame
// 1:1 in the frame's own format, the game composes straight into it and a present only tells
// the window system which rectangles to show.
//
// The window keeps any size the player gives it, the picture scaled into it with its aspect
// kept; the player's size is kept in window.cfg. Without a window manager nobody honours a
// request for full screen, so there the window itself is made to cover the screen.
#include "platform/sdl/SdlPlatform.h"
#include "platform/text/TtfText.h"

#include <SDL.h>

#include <errno.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/KeyboardState.h"
#include "platform/WindowSize.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlPads.h"
#include "platform/sdl/X11Desktop.h"

namespace platform {

namespace {

constexpr int kWidth = 800, kHeight = 600;

bool HardwareOpenGL() {
    SDL_Window* probe =
        SDL_CreateWindow("probe", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!probe) return false;
    bool hardware = false;
    if (SDL_GLContext ctx = SDL_GL_CreateContext(probe)) {
        using GetString = const unsigned char* (*)(unsigned);
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const char* renderer =
            getString ? reinterpret_cast<const char*>(getString(0x1F01)) : nullptr;
        if (renderer) {
            std::string r(renderer);
            hardware = r.find("llvmpipe") == std::string::npos &&
                       r.find("softpipe") == std::string::npos &&
                       r.find("Software") == std::string::npos &&
                       r.find("SWR") == std::string::npos && r.find("swrast") == std::string::npos;
        }
        SDL_GL_DeleteContext(ctx);
    }
    SDL_DestroyWindow(probe);
    return hardware;
}

class SdlPlatform : public Platform {
  public:
    ~SdlPlatform() override {
        KeepChosenSize(true);
        CloseAudio();
        SDL_DelEventWatch(&SdlPlatform::WatchResize, this);
        pads_.CloseAll();
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    uint32_t Ticks() override { return SDL_GetTicks(); }

    bool OpenWindow(const std::string& title, int width, int height) override {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        windowSize_ = OpeningWindowSize(Size{width, height});
        // Resizable: a resize scales the picture, and window managers offer maximise (button
        // and caption double click) only then, which the game turns into full screen.
        window_ =
            SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             windowSize_.w, windowSize_.h, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
        if (!window_) {
            error_ = SDL_GetError();
            return false;
        }
        // Where the window system lends no pixels of its own (Wayland), a window surface
        // would need a renderer, which the setting above forbids: use ours instead, or the
        // window never shows a frame and a compositor never maps it.
        if (!SDL_GetWindowSurface(window_)) CreateRenderer();
        SDL_StartTextInput();
        SDL_AddEventWatch(&SdlPlatform::WatchResize, this);
        return true;
    }

    void SetFullscreen(bool fullscreen) override {
        if (!window_ || fullscreen == fullscreen_) return;
        lent_ = nullptr; // a new size, and perhaps a new window: the surface is replaced
        if (fullscreen && !probed_ && !renderer_) {
            probed_ = true;
            if (HardwareOpenGL()) CreateRenderer();
        }
        // A size the player dragged to just before does not count when it was the start of
        // a maximise.
        pendingSize_ = Size{};
        fullscreen_ = fullscreen;
        if (fullscreen) {
            coverScreen_ = !WindowManagerRuns(window_);
            if (coverScreen_) {
                // Nobody would act on the full-screen request: cover the screen ourselves.
                SDL_Rect screen{0, 0, kWidth, kHeight};
                SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &screen);
                SDL_SetWindowBordered(window_, SDL_FALSE);
                SDL_SetWindowPosition(window_, screen.x, screen.y);
                SDL_SetWindowSize(window_, screen.w, screen.h);
                SDL_RaiseWindow(window_);
            } else {
                SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
            }
            return;
        }
        if (coverScreen_) {
            coverScreen_ = false;
            SDL_SetWindowBordered(window_, SDL_TRUE);
        } else {
            SDL_SetWindowFullscreen(window_, 0);
        }
        // Full screen reached by maximising returns to a maximised window otherwise.
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) SDL_RestoreWindow(window_);
        SDL_SetWindowSize(window_, windowSize_.w, windowSize_.h);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        view_ = SDL_Rect{0, 0, windowSize_.w, windowSize_.h};
    }
    bool Fullscreen() const override { return fullscreen_; }
    void CenterWindow() override {
        if (window_ && !fullscreen_)
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    void MinimizeWindow() override {
        if (window_) SDL_MinimizeWindow(window_);
    }
    bool Minimized() const override {
        return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED);
    }
    bool Active() const override {
        return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS);
    }
    bool GetPlacement(WindowPlacement& out) override {
        if (!window_) return false;
        SDL_GetWindowPosition(window_, &out.x, &out.y);
        SDL_GetWindowSize(window_, &out.width, &out.height);
        out.maximized = SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED;
        return true;
    }
    void SetPlacement(const WindowPlacement& p) override {
        if (!window_ || fullscreen_) return;
        SDL_SetWindowSize(window_, windowSize_.w, windowSize_.h);
        SDL_SetWindowPosition(window_, p.x, p.y);
    }
    void SetWindowIcon(const uint32_t* argb, int width, int height) override {
        if (!window_) return;
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint32_t*>(argb), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (s) {
            SDL_SetWindowIcon(window_, s);
            SDL_FreeSurface(s);
        }
    }

    void Present(const uint32_t* pixels, int width, int height, int pitch) override {
        if (!window_) return;
        if (renderer_) {
            SDL_UpdateTexture(texture_, nullptr, pixels, pitch);
            SDL_RenderClear(renderer_);
            SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
            SDL_RenderPresent(renderer_);
            return;
        }
        SDL_Surface* ws = SDL_GetWindowSurface(window_);
        shown_ = lent_ = nullptr;
        if (!ws) return;
        if (ws->w == width && ws->h == height) {
            view_ = SDL_Rect{0, 0, width, height};
            Copy(pixels, width, height, pitch, ws, 0, 0);
            shown_ = ws;
        } else {
            ScaleLetterboxed(pixels, width, height, pitch, ws);
        }
        SDL_UpdateWindowSurface(window_);
    }

    void PresentRects(const uint32_t* pixels, int width, int height, int pitch, const Rect* rects,
                      int count) override {
        if (!window_) return;
        // Only a window surface shown 1:1 that still holds the last frame takes a part of one;
        // a new surface (after a size or mode change) gets the whole frame.
        SDL_Surface* ws = renderer_ ? nullptr : SDL_GetWindowSurface(window_);
        if (!ws || ws != shown_ || ws->w != width || ws->h != height ||
            ws->format->format != SDL_PIXELFORMAT_RGB888)
            return Present(pixels, width, height, pitch);
        lent_ = nullptr;
        rects_.clear();
        SDL_LockSurface(ws);
        for (int i = 0; i < count; ++i) {
            const Rect& r = rects[i];
            for (int y = r.y; y < r.y + r.h; ++y)
                std::memcpy(static_cast<uint8_t*>(ws->pixels) + size_t(y) * ws->pitch + 4 * r.x,
                            reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * pitch + 4 * r.x,
                            size_t(r.w) * 4);
            rects_.push_back(SDL_Rect{r.x, r.y, r.w, r.h});
        }
        SDL_UnlockSurface(ws);
        SDL_UpdateWindowSurfaceRects(window_, rects_.data(), int(rects_.size()));
    }

    uint32_t* LendFrame(int width, int height) override {
        if (!window_ || renderer_) return nullptr;
        // SDL frees a surface it has marked stale here; the caller has taken its frame out.
        SDL_Surface* ws = SDL_GetWindowSurface(window_);
        lent_ = nullptr;
        if (!ws || ws->w != width || ws->h != height || ws->pitch != width * 4 ||
            ws->format->format != SDL_PIXELFORMAT_RGB888 || SDL_MUSTLOCK(ws))
            return nullptr;
        lent_ = shown_ = ws;
        resized_ = false;
        return static_cast<uint32_t*>(ws->pixels);
    }
    bool LendingHolds() const override { return lent_ && !resized_; }
    void PresentLent(const Rect* rects, int count) override {
        if (!lent_) return;
        if (count == 0) {
            SDL_UpdateWindowSurface(window_);
            return;
        }
        rects_.clear();
        for (int i = 0; i < count; ++i)
            rects_.push_back(SDL_Rect{rects[i].x, rects[i].y, rects[i].w, rects[i].h});
        SDL_UpdateWindowSurfaceRects(window_, rects_.data(), count);
    }

    bool PollEvent(Event& event) override {
        KeepChosenSize(false);
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (Translate(e, event)) return true;
        return false;
    }
    void WaitEvent(int timeoutMs) override {
        SDL_PumpEvents();
        if (timeoutMs <= 0 || SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
        // A running frame timer asks for short waits. SDL's event wait overshoots them by
        // several milliseconds (50 instead of 62.5 frames per second), so sleep instead: events
        // that come meanwhile are handled before the frame, as they would be anyway. One sleep
        // of whole milliseconds never ends before the tick the timer waits for, and overshoots
        // it by a fraction of a millisecond; each extra wake-up costs the system a switch.
        if (timeoutMs <= 50) {
            timespec ts{timeoutMs / 1000, long(timeoutMs % 1000) * 1000000L};
            while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
            }
        } else {
            SDL_WaitEventTimeout(nullptr, timeoutMs);
        }
    }

    int ShowCursor(bool show) override {
        cursorCount_ += show ? 1 : -1;
        SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
        return cursorCount_;
    }
    void WarpCursor(int x, int y) override {
        if (!window_ || relative_ || !Active()) return;
        SDL_WarpMouseInWindow(window_, view_.x + x * view_.w / kWidth,
                              view_.y + y * view_.h / kHeight);
    }
    void SetRelativeMouse(bool on) override {
        relative_ = on;
        SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
    }

    void GetKeyboardState(uint8_t keys[256]) override { keys_.CopyTo(keys); }

    bool GetJoystick(int index, JoystickState& out) override { return pads_.Read(index, out); }
    uint32_t JoystickGeneration() const override { return pads_.Generation(); }

    bool OpenAudio(int frequency, AudioCallback callback) override {
        // Always true: a device that is missing now is opened in the background once it is
        // there, and meanwhile the mix plays into nothing.
        audio_.Start(frequency, std::move(callback));
        return true;
    }
    void CloseAudio() override { audio_.Stop(); }
    void LockAudio() override { audio_.Lock(); }
    void UnlockAudio() override { audio_.Unlock(); }
    int AudioFrequency() const override { return audio_.Started() ? audio_.Frequency() : 0; }

    TextRenderer& Text() override { return SharedTtfText(); }
    void ShowMessage(const std::string& caption, const std::string& text) override {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(),
                                 window_);
    }
    void OpenUrl(const std::string& url) override { SDL_OpenURL(url.c_str()); }

    void InitControllers() { pads_.Init(); }

  private:
    // The size a window opens at: the player's own from window.cfg, else one that suits the
    // desktop's scale. On Wayland the compositor scales windows itself.
    Size OpeningWindowSize(Size base) {
        SDL_Rect usable{0, 0, base.w, base.h};
        if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = SDL_Rect{0, 0, base.w, base.h};
        const Size area{usable.w, usable.h};
        std::string error;
        Size chosen;
        if (ReadWindowSize(kWindowSizeFileName, chosen, error)) {
            keptSize_ = chosen;
            return FitToDesktop(chosen, area);
        }
        if (!error.empty()) std::fprintf(stderr, "skyvern: %s: not used\n", error.c_str());
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && !std::strcmp(driver, "wayland")) return base;
        float ddpi = X11DesktopDpi();
        if (ddpi <= 0 && SDL_GetDisplayDPI(0, &ddpi, nullptr, nullptr) != 0) ddpi = 0;
        return OpeningSize(
            area, DesktopScale(SDL_getenv("GDK_SCALE"), SDL_getenv("QT_SCALE_FACTOR"), ddpi), base);
    }

    // A size the player dragged the window to becomes the windowed size once no event has
    // changed it for a moment (a drag sends many; a maximise starts as one).
    void KeepChosenSize(bool now) {
        if (pendingSize_.w <= 0) return;
        if (!now && SDL_GetTicks() - pendingSince_ < 400) return;
        const Size size = pendingSize_;
        pendingSize_ = Size{};
        // The size asked for ourselves (back from full screen) is nobody's choice.
        if (fullscreen_ || size == windowSize_ || size.w < kMinWindowWidth ||
            size.h < kMinWindowHeight)
            return;
        windowSize_ = size;
        if (size == keptSize_) return;
        if (WriteWindowSize(kWindowSizeFileName, size))
            keptSize_ = size;
        else
            std::fprintf(stderr, "skyvern: cannot write %s\n", kWindowSizeFileName);
    }

    // Every size change marks the window surface stale, freed at the next SDL_GetWindowSurface.
    // Watched as SDL posts it, so that a frame lent from it is taken out before that call.
    static int WatchResize(void* self, SDL_Event* e) {
        auto* p = static_cast<SdlPlatform*>(self);
        if (e->type == SDL_WINDOWEVENT && e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED &&
            p->window_ && e->window.windowID == SDL_GetWindowID(p->window_))
            p->resized_ = true;
        return 1;
    }

    void CreateRenderer() {
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer_) return;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                     kWidth, kHeight);
        if (!texture_) {
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            return;
        }
        // Letterboxed, aspect kept; SDL maps mouse events back to 800 x 600.
        SDL_RenderSetLogicalSize(renderer_, kWidth, kHeight);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    }

    static void Copy(const uint32_t* pixels, int width, int height, int pitch, SDL_Surface* ws,
                     int dx, int dy) {
        if (ws->format->format == SDL_PIXELFORMAT_RGB888) {
            SDL_LockSurface(ws);
            for (int y = 0; y < height; ++y)
                std::memcpy(static_cast<uint8_t*>(ws->pixels) + size_t(y + dy) * ws->pitch + dx * 4,
                            reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * pitch,
                            width * 4);
            SDL_UnlockSurface(ws);
        } else {
            SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
                const_cast<uint32_t*>(pixels), width, height, 32, pitch, SDL_PIXELFORMAT_RGB888);
            SDL_Rect dst{dx, dy, width, height};
            if (src) SDL_BlitSurface(src, nullptr, ws, &dst);
            SDL_FreeSurface(src);
        }
    }

    void ScaleLetterboxed(const uint32_t* pixels, int width, int height, int pitch,
                          SDL_Surface* ws) {
        int w = ws->w, h = ws->h;
        int sw = w, sh = w * height / width;
        if (sh > h) {
            sh = h;
            sw = h * width / height;
        }
        view_ = SDL_Rect{(w - sw) / 2, (h - sh) / 2, sw, sh};
        SDL_FillRect(ws, nullptr, 0);
        SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint32_t*>(pixels), width, height, 32, pitch, SDL_PIXELFORMAT_RGB888);
        if (src) SDL_BlitScaled(src, nullptr, ws, &view_);
        SDL_FreeSurface(src);
    }

    void MapMouse(int& x, int& y) const {
        if (renderer_ || view_.w <= 0 || view_.h <= 0) return;
        x = (x - view_.x) * kWidth / view_.w;
        y = (y - view_.y) * kHeight / view_.h;
    }

    static void Mods(Event& out, Uint16 mod) {
        out.alt = mod & KMOD_ALT;
        out.shift = mod & KMOD_SHIFT;
        out.ctrl = mod & KMOD_CTRL;
    }

    bool Translate(const SDL_Event& e, Event& out) {
        out = Event{};
        if (pads_.HandleEvent(e)) return false;
        switch (e.type) {
        case SDL_QUIT:
            out.kind = EventKind::Quit;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            // Events (typed keys, the boss key, commands) go by the key's label; the polled
            // state that steers goes by its position, so W A S D keep their shape on any
            // layout.
            const int vk = VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
            const bool down = e.type == SDL_KEYDOWN;
            keys_.Key(e.key.keysym.scancode, PositionalVirtualKey(e.key.keysym.scancode), down);
            if (!vk) return false;
            out.kind = down ? EventKind::KeyDown : EventKind::KeyUp;
            out.key = vk;
            out.repeat = e.key.repeat;
            Mods(out, e.key.keysym.mod);
            return true;
        }
        case SDL_TEXTINPUT: {
            // One character per event, single-byte only (the game's texts are 8-bit).
            auto s = reinterpret_cast<const unsigned char*>(e.text.text);
            unsigned code = s[0];
            if (code >= 0x80) {
                if ((code & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80)
                    code = ((code & 0x1F) << 6) | (s[1] & 0x3F);
                else
                    return false;
            }
            if (code == 0 || code > 0xFF) return false;
            out.kind = EventKind::Char;
            out.ch = static_cast<unsigned char>(code);
            return true;
        }
        case SDL_MOUSEMOTION:
            if (relative_) {
                out.kind = EventKind::MouseRelative;
                out.dx = e.motion.xrel;
                out.dy = e.motion.yrel;
            } else {
                out.kind = EventKind::MouseMove;
                out.x = e.motion.x;
                out.y = e.motion.y;
                MapMouse(out.x, out.y);
            }
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            out.kind = e.type == SDL_MOUSEBUTTONDOWN ? EventKind::MouseDown : EventKind::MouseUp;
            out.button = e.button.button == SDL_BUTTON_LEFT     ? 1
                         : e.button.button == SDL_BUTTON_MIDDLE ? 2
                         : e.button.button == SDL_BUTTON_RIGHT  ? 3
                                                                : e.button.button;
            out.x = e.button.x;
            out.y = e.button.y;
            MapMouse(out.x, out.y);
            return true;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                out.kind = EventKind::CloseRequest;
                return true;
            case SDL_WINDOWEVENT_MAXIMIZED:
                // Some window managers report full screen as maximised: only a windowed
                // maximise is the player's command.
                pendingSize_ = Size{};
                if (fullscreen_) return false;
                out.kind = EventKind::MaximizeRequest;
                return true;
            case SDL_WINDOWEVENT_RESIZED:
                // A border drag: the picture scales to the new size, which is kept once the
                // drag settles. (A maximise also resizes; its own event switches to full
                // screen and forgets this size.)
                if (!fullscreen_ && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED)) {
                    pendingSize_ = Size{e.window.data1, e.window.data2};
                    pendingSince_ = SDL_GetTicks();
                }
                return false;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                out.kind = EventKind::FocusGained;
                return true;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                keys_.Clear();
                out.kind = EventKind::FocusLost;
                return true;
            case SDL_WINDOWEVENT_MINIMIZED:
                out.kind = EventKind::Minimized;
                return true;
            case SDL_WINDOWEVENT_RESTORED:
                out.kind = EventKind::Restored;
                return true;
            case SDL_WINDOWEVENT_EXPOSED:
                out.kind = EventKind::Exposed;
                return true;
            default:
                return false;
            }
        default:
            return false;
        }
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Rect view_{0, 0, kWidth, kHeight};
    SDL_Surface* shown_ = nullptr; // the window surface that holds the last frame presented 1:1
    SDL_Surface* lent_ = nullptr;  // the window surface whose pixels the game draws in
    bool resized_ = false;         // the window's size changed since it lent them
    std::vector<SDL_Rect> rects_;
    bool fullscreen_ = false, probed_ = false, relative_ = false;
    bool coverScreen_ = false;         // full screen by covering the screen (no window manager)
    Size windowSize_{kWidth, kHeight}; // the windowed size, which full screen returns to
    Size keptSize_;                    // what window.cfg holds
    Size pendingSize_;                 // a size the player is dragging to, not yet kept
    uint32_t pendingSince_ = 0;
    int cursorCount_ = 0;
    KeyboardState keys_;
    SdlPads pads_;
    SdlAudioOutput audio_;
};

} // namespace

std::unique_ptr<Platform> CreateSdlPlatform(std::string& error) {
    // Desktops match the window to its menu entry and icon by class (X11) or app id (Wayland);
    // SDL takes both from these variables. A value the player set stays.
    setenv("SDL_VIDEO_X11_WMCLASS", SKYVERN_APP_ID, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", SKYVERN_APP_ID, 0);
    SDL_SetHint(SDL_HINT_APP_NAME, "Skyvern");
    // The window is closed through the game's exit dialog, not by SDL on the last close.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    // Without any display SDL quietly falls back to drawing nowhere; a player would see
    // nothing, so say so instead (unless that driver was asked for on purpose).
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy")) &&
        !(wanted && *wanted)) {
        error = "no display found (is DISPLAY or WAYLAND_DISPLAY set?)";
        SDL_Quit();
        return nullptr;
    }
    auto p = std::make_unique<SdlPlatform>();
    p->InitControllers();
    return p;
}

} // namespace platform

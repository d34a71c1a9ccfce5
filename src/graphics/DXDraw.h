// DXDraw.h -- the display component TDXDraw: window or full screen, the primary and back
// surfaces, flip, and notices to its registered clients. The surfaces themselves and their
// blitter live in DirectDrawSurface.h, the recording of frames in FrameRecorder.h; the platform
// layer only presents frames.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/DirectDrawSurface.h"
#include "platform/Platform.h"

struct EDXDrawError : EDirectXError {
    using EDirectXError::EDirectXError;
};

enum TDXDrawOption {
    doFullScreen,
    doNoWindowChange,
    doAllowReboot,
    doWaitVBlank,
    doAllowPalette256,
    doSystemMemory,
    doStretch,
    doCenter,
    doFlip,
    do3D,
    doDirectX7Mode,
    doRetainedMode,
    doHardware,
    doSelectDriver,
    doZBuffer
};
using TDXDrawOptions = uint32_t;
constexpr TDXDrawOptions Opt(TDXDrawOption o) {
    return 1u << o;
}
inline bool Has(TDXDrawOptions set, TDXDrawOption o) {
    return (set & Opt(o)) != 0;
}

enum TDXDrawNotifyType {
    dxntDestroying,
    dxntInitializing,
    dxntInitialize,
    dxntInitializeSurface,
    dxntFinalize,
    dxntFinalizeSurface,
    dxntRestore,
    dxntSetSurfaceSize
};
using TDXDrawNotifyEvent = std::function<void(TDXDraw& sender, TDXDrawNotifyType type)>;

// The full-screen display mode request.
class TDXDrawDisplay {
  public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    void SetWidth(int w) { width_ = w < 0 ? 0 : w; }
    void SetHeight(int h) { height_ = h < 0 ? 0 : h; }
    void SetBitCount(int bits); // 8, 16, 24 or 32, else EDirectDrawError
    bool FixedBitCount = false, FixedRatio = false, FixedSize = false;

  private:
    int width_ = 640, height_ = 480, bitCount_ = 8;
};

class TDXDraw {
  public:
    TDXDraw();
    ~TDXDraw(); // sends the destroying notice
    TDXDraw(const TDXDraw&) = delete;
    TDXDraw& operator=(const TDXDraw&) = delete;

    TDXDrawDisplay Display;
    bool AutoInitialize = true;
    bool AutoSize = true;
    bool HasForm = true; // the control sits on a form (Initialize needs one)

    TDXDrawOptions Options() const { return options_; }
    void SetOptions(TDXDrawOptions options);
    TDXDrawOptions NowOptions() const { return nowOptions_; }

    // Control (client area) size; with AutoSize it becomes the back-surface size.
    int ControlWidth() const { return controlWidth_; }
    int ControlHeight() const { return controlHeight_; }
    void SetControlSize(int width, int height);
    int SurfaceWidth() const;
    int SurfaceHeight() const;

    void Initialize();
    void Finalize();
    bool CanDraw();
    void Flip();
    bool Initialized() const { return initialized_; }
    bool Updating() const { return updating_; }
    TDirectDrawSurface& BackSurface() { return *backSurface_; }
    TDirectDrawSurface& PrimarySurface() { return *primarySurface_; }

    void RegisterClient(void* client, TDXDrawNotifyEvent callback);
    void UnregisterClient(void* client);

    std::function<void(TDXDraw&)> OnInitialize, OnFinalize, OnInitializeSurface, OnFinalizeSurface,
        OnInitializing, OnRestoreSurface;

    // Window-system events the display follows (called by the form).
    void WindowShown(); // first show: auto-initialise
    void Paint();       // present again without waiting

    // Number of frames presented; read by benchmarks and the harness.
    uint64_t FlipCount() const { return flipCount_; }

  private:
    void Notify(TDXDrawNotifyType type);
    void NotifyOne(size_t index, TDXDrawNotifyType type);
    void UpdateNowOptions();
    bool RestoreSurfaces();
    void Present(bool whole);

    struct Client {
        void* client;
        TDXDrawNotifyEvent callback;
    };
    std::vector<Client> clients_;
    TDXDrawOptions options_ = 0, nowOptions_ = 0;
    int controlWidth_ = 800, controlHeight_ = 600;
    int surfaceWidth_ = 800, surfaceHeight_ = 600;
    bool initialized_ = false, updating_ = false, surfacesInitialized_ = false;
    bool initializeNotified_ = false, calledInitialize_ = false, sendingInitialize_ = false;
    bool flipDriver_ = false; // page-flip strategy (full screen with doFlip) vs. blit
    std::unique_ptr<TDirectDrawSurface> primarySurface_, backSurface_;
    std::unique_ptr<TFrameRecorder> recorder_; // the back surface's drawing, composed at the flip
    uint64_t flipCount_ = 0;
    bool presentWhole_ = true; // the window may show anything: the next present is a whole one
    std::vector<platform::Rect> rects_;
};

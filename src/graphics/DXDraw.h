// DXDraw.h -- the display: TDXDraw (window or full screen, back surface, flip, notices to
// registered clients) and TDirectDrawSurface (a 32-bit surface with colour key, clipped blits,
// locks and a text canvas). Surfaces live in memory; the platform layer only presents frames.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "graphics/Types.h"

class TPicture;
class TDXDraw;
class TDirectDrawSurface;

struct EDirectXError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct EDirectDrawError : EDirectXError {
    using EDirectXError::EDirectXError;
};
struct EDirectDrawSurfaceError : EDirectDrawError {
    using EDirectDrawError::EDirectDrawError;
};
struct EDXDrawError : EDirectXError {
    using EDirectXError::EDirectXError;
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid, psClear };

struct TFont {
    std::string Name = "Carolingia";
    int Size = 8; // points; pixel height = Size * 96 / 72
    TColor Color = clBlack;
    uint8_t Style = 0;
};
struct TPen {
    TPenStyle Style = TPenStyle::psSolid;
    TColor Color = clBlack;
    int Width = 1;
};
struct TBrush {
    TBrushStyle Style = TBrushStyle::bsSolid;
    TColor Color = clWhite;
};

// Text and outline drawing on a surface. Made on first use; keeps its font and brush for the
// life of the surface. Release() must come before a flip or further sprite drawing.
class TDirectDrawSurfaceCanvas {
public:
    explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface) : surface_(surface) {}
    TFont Font;
    TPen Pen;
    TBrush Brush;

    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Release() { active_ = false; }
    bool Active() const { return active_; }

private:
    TDirectDrawSurface& surface_;
    bool active_ = false; // holds the "device context" between the first call and Release
};

// Lock flag: the caller only reads (a surface sharing a picture's pixels keeps sharing them).
inline constexpr uint32_t DDLOCK_READONLY = 0x10;

// What Lock hands out: the pixels of the surface and its source colour key.
struct TDDSurfaceDesc {
    int Width = 0, Height = 0;
    int Pitch = 0; // bytes per row
    int BitCount = 32;
    void* Bits = nullptr;
    uint32_t ColorKey = 0;
};

// Gives out pixel memory without writing it. A new surface is cleared through the deferred
// fill instead, so memory that nothing ever reads (the primary surface, which is never shown)
// is never touched and costs the process nothing.
template <class T> struct TUnwrittenAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = TUnwrittenAllocator<U>; };
    TUnwrittenAllocator() = default;
    template <class U> TUnwrittenAllocator(const TUnwrittenAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... a) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
};

class TDirectDrawSurface {
public:
    explicit TDirectDrawSurface(TDXDraw* dxdraw = nullptr);
    ~TDirectDrawSurface();
    TDirectDrawSurface(const TDirectDrawSurface&) = delete;
    TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Exists() const { return width_ > 0 && height_ > 0; }
    TRect ClientRect() const { return {0, 0, width_, height_}; }

    bool SystemMemory = false;
    // A destination with a clipper takes the clipped copy path (the primary surface has one).
    bool HasClipper = false;
    // Result of the last platform-level operation (0 = ok); failures are recorded, not raised.
    int LastResult = 0;

    void SetSize(int width, int height); // 0 or less in either releases the surface
    void Fill(uint32_t pixel);
    void Draw(int x, int y, const TRect& srcRect, TDirectDrawSurface* source, bool transparent);
    // The whole picture is shared, not copied, until something writes to the surface.
    void LoadFromPicture(const TPicture& picture, const TRect& rect);
    uint32_t MatchColor(TColor color) const;
    void SetColorKey(uint32_t pixel);
    uint32_t ColorKey() const { return colorKey_; }
    bool Lock(TDDSurfaceDesc& desc, uint32_t flags = 0); // flags: 0 or DDLOCK_READONLY
    void Unlock();
    bool Locked() const { return lockCount_ > 0; }

    // Software surfaces are never taken away; the headless backend can simulate a loss to
    // exercise the restore path.
    bool IsLost() const { return lost_; }
    void SimulateLoss() { lost_ = true; }
    bool Restore();

    TDirectDrawSurfaceCanvas& Canvas();
    void ReleaseCanvas();

    // Rows of Width() pixels. The writable form first makes shared pixels the surface's own.
    uint32_t* Pixels() {
        Own();
        Settle(0, height_);
        return pixels_.data();
    }
    const uint32_t* Pixels() const { return Data(); }
    uint32_t Pixel(int x, int y) const { return Data()[size_t(y) * width_ + x]; }

  private:
    // The pixels as they are to be read: pending fills carried out.
    const uint32_t* Data() const {
        Settle(0, height_);
        return shared_ ? shared_->data() : pixels_.data();
    }
    void Own(); // copy on write: shared pixels become the surface's own
    // A fill of the whole surface is put off row by row, and rows that an opaque blit then
    // covers from edge to edge are never filled: a frame starts black, and its background
    // hides that at once. Settle fills the rows still pending in [top, bottom).
    void Settle(int top, int bottom) const;
    // Where a keyed source shows: per row, the runs of pixels other than the key, found at the
    // first keyed blit from the surface and kept until its pixels or key change. A blit then
    // copies the runs and skips the rest unread. Null where runs would be too short to gain.
    struct KeyRuns {
        std::vector<uint32_t> rowStart; // each row's first run in `runs`; Height() + 1 entries
        std::vector<uint32_t> runs;     // begin and end column of each run
    };
    const KeyRuns* Runs() const;
    void Touch() { runsKnown_ = false; } // the pixels or the key changed

    TDXDraw* dxdraw_;
    int width_ = 0, height_ = 0;
    // 0x00RRGGBB, rows of width_ pixels, unless shared_ is set. Mutable: reading carries out
    // a pending fill.
    mutable std::vector<uint32_t, TUnwrittenAllocator<uint32_t>> pixels_;
    std::shared_ptr<const std::vector<uint32_t>> shared_; // a picture's pixels, read only
    mutable std::vector<uint8_t> pendingRows_;            // 1: the row still awaits the fill
    mutable int pendingCount_ = 0;
    uint32_t pendingPixel_ = 0;
    mutable KeyRuns runs_;
    mutable bool runsKnown_ = false, runsUseful_ = false;
    uint32_t colorKey_ = 0;
    int lockCount_ = 0;
    bool lost_ = false;
    std::unique_ptr<TDirectDrawSurfaceCanvas> canvas_;
};

enum TDXDrawOption {
    doFullScreen, doNoWindowChange, doAllowReboot, doWaitVBlank, doAllowPalette256,
    doSystemMemory, doStretch, doCenter, doFlip, do3D, doDirectX7Mode, doRetainedMode,
    doHardware, doSelectDriver, doZBuffer
};
using TDXDrawOptions = uint32_t;
constexpr TDXDrawOptions Opt(TDXDrawOption o) { return 1u << o; }
inline bool Has(TDXDrawOptions set, TDXDrawOption o) { return (set & Opt(o)) != 0; }

enum TDXDrawNotifyType {
    dxntDestroying, dxntInitializing, dxntInitialize, dxntInitializeSurface, dxntFinalize,
    dxntFinalizeSurface, dxntRestore, dxntSetSurfaceSize
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
    void WindowShown();     // first show: auto-initialise
    void WindowDestroyed(); // finalise
    void Paint();           // present again without waiting

    // Number of frames presented; read by benchmarks and the harness.
    uint64_t FlipCount() const { return flipCount_; }

private:
    void Notify(TDXDrawNotifyType type);
    void NotifyOne(size_t index, TDXDrawNotifyType type);
    void UpdateNowOptions();
    bool RestoreSurfaces();
    void Present();

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
    uint64_t flipCount_ = 0;
};

// DirectDrawSurface.h -- the software surface and its blitter: a 32-bit surface with colour
// key, clipped and keyed blits, deferred fills, locks and a text canvas. The pictures of the
// image library and the display's back surface are such surfaces.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "graphics/FrameRecorder.h"
#include "graphics/SurfaceCanvas.h"
#include "graphics/Types.h"

class TPicture;
class TDXDraw;

struct EDirectXError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct EDirectDrawError : EDirectXError {
    using EDirectXError::EDirectXError;
};
struct EDirectDrawSurfaceError : EDirectDrawError {
    using EDirectDrawError::EDirectDrawError;
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
    // Result of the last platform-level operation (0 = ok); failures are recorded, not raised.
    int LastResult = 0;

    void SetSize(int width, int height); // 0 or less in either releases the surface
    void Fill(uint32_t pixel);
    // Copies srcRect of source with its top-left at (x, y), clipped to both surfaces; with the
    // colour key when transparent. A srcRect with Right < Left (Bottom < Top) draws the pixels
    // between the two edges mirrored left-right (top-bottom).
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

    // Fills a rectangle (clipped to the surface) with a raw pixel: the canvas's outlines.
    void FillRect(const TRect& rect, uint32_t pixel);
    // Text in the font's colour with the top-left of its box at (x, y): the canvas's TextOut.
    void DrawText(int x, int y, const TFont& font, const std::string& text);
    int TextWidth(const TFont& font, const std::string& text) const;
    int TextHeight(const TFont& font, const std::string& text) const;

    // The frame recorder this surface's drawing goes to instead of its pixels, if any (see
    // TFrameRecorder, which attaches itself).
    TFrameRecorder* Recorder() const { return recorder_; }

    // The display may lend the back surface the window's own pixels (Width() x Height(), rows of
    // Width()) so that frames are composed where the window shows them from. MoveInto copies the
    // pixels there and keeps them there; MoveOut copies them back into memory of the surface's
    // own, while the lent memory can still be read. SetSize gives the lent memory up unread.
    void MoveInto(uint32_t* memory);
    void MoveOut();
    uint32_t* LentMemory() const { return lent_; }

    // Rows of Width() pixels. The writable form first makes shared pixels the surface's own.
    uint32_t* Pixels();
    const uint32_t* Pixels() const { return Data(); }
    uint32_t Pixel(int x, int y) const { return Data()[size_t(y) * width_ + x]; }

  private:
    // The pixels as they are to be read: recorded drawing and pending fills carried out.
    const uint32_t* Data() const {
        if (recorder_ && recorder_->Pending()) recorder_->Commit();
        Settle(0, height_);
        return shared_ ? shared_->data() : Base();
    }
    uint32_t* Base() const { return lent_ ? lent_ : pixels_.data(); }
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
    void Touch(); // the pixels or the key are about to change: a recorder drawing from it commits
    // Draw's two paths; a blit that is not recordable is done at once even on a recorded
    // surface (its source does not outlive the call).
    void DrawMirrored(int x, int y, const TRect& srcRect, const TDirectDrawSurface& source,
                      bool transparent);
    void Blit(int x, int y, const TRect& srcRect, TDirectDrawSurface* source, bool transparent,
              bool recordable);

    void CopyRect(const TRect& dst, const TRect& src, const TDirectDrawSurface& source,
                  bool transparent);
    // Carries out one drawing call at once, clipped to clip: how the recorder draws.
    void Replay(const TDrawOp& op, const TRect& clip);
    friend class TFrameRecorder;

    TDXDraw* dxdraw_;
    int width_ = 0, height_ = 0;
    // 0x00RRGGBB, rows of width_ pixels, unless shared_ is set. Mutable: reading carries out
    // a pending fill.
    mutable std::vector<uint32_t, TUnwrittenAllocator<uint32_t>> pixels_;
    std::shared_ptr<const std::vector<uint32_t>> shared_; // a picture's pixels, read only
    uint32_t* lent_ = nullptr; // the pixels live here instead of in pixels_ (see MoveInto)
    mutable std::vector<uint8_t> pendingRows_; // 1: the row still awaits the fill
    mutable int pendingCount_ = 0;
    uint32_t pendingPixel_ = 0;
    mutable KeyRuns runs_;
    mutable bool runsKnown_ = false, runsUseful_ = false;
    uint32_t colorKey_ = 0;
    int lockCount_ = 0;
    bool lost_ = false;
    std::unique_ptr<TDirectDrawSurfaceCanvas> canvas_;
    uint64_t stamp_; // new whenever the pixels or the key change; unique across surfaces
    TFrameRecorder* recorder_ = nullptr; // records this surface's drawing
    // The recorder holding a call that draws from this surface, not yet carried out.
    mutable TFrameRecorder* recordedBy_ = nullptr;
};

// Here, where the surface is known, so that the many blits of a frame record without a call.
inline void TFrameRecorder::Record(TDrawOp&& op) {
    if (op.kind == TDrawOp::Blit && op.source->recordedBy_ != this) {
        // A source holds calls of one recorder at a time: another one draws its calls now.
        if (op.source->recordedBy_) op.source->recordedBy_->Commit();
        op.source->recordedBy_ = this;
        marked_.push_back(op.source);
    }
    pending_.push_back(std::move(op));
}

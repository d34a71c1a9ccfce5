// FrameRecorder.h -- the display's frame recorder: the back surface's drawing calls are kept as
// a list instead of being carried out, and at the flip the list is compared with the last
// frame's, so only what changed is drawn again and presented.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/SurfaceCanvas.h"
#include "graphics/Types.h"

class TDirectDrawSurface;

// One drawing call as the recorder keeps it.
struct TDrawOp {
    enum Kind : uint8_t { Fill, Blit, Text } kind = Fill;
    bool transparent = false;
    TRect dst; // every pixel the call may write, inside the surface
    TRect src; // Blit: the source pixels that land on dst
    const TDirectDrawSurface* source = nullptr;
    uint64_t stamp = 0; // Blit: the source's content stamp when it was drawn from
    uint32_t pixel = 0; // Fill: the pixel; Text: the colour
    int x = 0, y = 0;   // Text: the top-left of its box
    TFont font;
    std::string text;
    bool operator==(const TDrawOp&) const = default;
};

// Records the drawing of one surface (its target) from the moment it is made until it goes;
// the target's drawing calls come here while it lasts. Commit, at the flip, compares the
// frame's list with the last committed one and draws only where the two differ, in the order
// recorded, so a frame like the last costs nothing. Reading or writing the target's pixels
// commits first.
//
// A recorded blit reads its source only when the call is carried out. A blit source must
// therefore not change before its recorded call runs: the recorder marks each source it holds
// a call from, and a source that is about to change (pixels, key, size, or its end) commits its
// recorder first. Keep it that way when adding a way to change a surface.
//
// The recorder must go before its target. Drawing recorded since the last commit is dropped
// when it goes.
class TFrameRecorder {
  public:
    explicit TFrameRecorder(TDirectDrawSurface& target);
    ~TFrameRecorder();
    TFrameRecorder(const TFrameRecorder&) = delete;
    TFrameRecorder& operator=(const TFrameRecorder&) = delete;

    void Record(TDrawOp&& op);
    // A fill of the whole target: what was recorded before it can no longer show.
    void RecordClear(uint32_t pixel);
    bool Pending() const { return !pending_.empty(); }
    void Commit();
    // The target's pixels were written around the list (after a Commit): that region no longer
    // matches any list.
    void Overwritten(const TRect& rect);
    // The target took a new size: nothing recorded or shown holds any more.
    void Reset();
    // The rectangles whose pixels may have changed since the last call (tile-aligned, merged).
    std::vector<TRect> TakeDamage();

  private:
    void Discard();                 // drops the pending list, unmarking its sources
    void Unmark();                  // the pending list's sources no longer wait for this recorder
    void Redraw(const TRect& rect); // the pending list, clipped to rect
    void Diff();                    // marks where the pending list and the shown one differ
    void Dirty(const TRect& rect);

    TDirectDrawSurface& target_;
    bool shownValid_ = false;                       // shown_ describes every pixel of the target
    std::vector<TDrawOp> pending_;                  // recorded since the last Commit
    std::vector<const TDirectDrawSurface*> marked_; // the sources of pending_, each once
    std::vector<TDrawOp> shown_;                    // what the pixels show
    std::vector<uint8_t> dirtyTiles_; // kTileWidth x kTileHeight tiles changed, not yet taken
};

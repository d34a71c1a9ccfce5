// FrameRecorder.cpp -- the recorded frame: its list, the diff against the last frame, damage.
#include "graphics/FrameRecorder.h"

#include <algorithm>

#include "graphics/DirectDrawSurface.h"

namespace {
// Damage is kept per tile: fine enough for sprites, coarse enough to merge into few rectangles.
constexpr int kTileWidth = 32, kTileHeight = 16;

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}
bool Empty(const TRect& r) {
    return r.Right <= r.Left || r.Bottom <= r.Top;
}
bool Contains(const TRect& outer, const TRect& inner) {
    return outer.Left <= inner.Left && outer.Top <= inner.Top && outer.Right >= inner.Right &&
           outer.Bottom >= inner.Bottom;
}
} // namespace

TFrameRecorder::TFrameRecorder(TDirectDrawSurface& target) : target_(target) {
    if (target_.recorder_) target_.recorder_->Commit();
    target_.recorder_ = this;
}

TFrameRecorder::~TFrameRecorder() {
    Discard();
    if (target_.recorder_ == this) target_.recorder_ = nullptr;
}

void TFrameRecorder::RecordClear(uint32_t pixel) {
    Discard(); // hidden by the fill
    TDrawOp op;
    op.dst = target_.ClientRect();
    op.pixel = pixel;
    pending_.push_back(std::move(op));
}

void TFrameRecorder::Discard() {
    if (pending_.empty()) return; // as a frame's first fill finds it
    Unmark();
    pending_.clear();
}

void TFrameRecorder::Unmark() {
    // Every one is still marked with this recorder: another that marked it since would have
    // committed this one first, and one that went would have too.
    for (const TDirectDrawSurface* source : marked_)
        source->recordedBy_ = nullptr;
    marked_.clear();
}

void TFrameRecorder::Overwritten(const TRect& rect) {
    shownValid_ = false;
    Dirty(rect);
}

void TFrameRecorder::Reset() {
    Discard();
    shown_.clear();
    shownValid_ = false;
    dirtyTiles_.clear();
}

void TFrameRecorder::Redraw(const TRect& rect) {
    // Start at the last call that covers the whole rectangle with opaque pixels: nothing drawn
    // before it shows there (the black fill under a background, most of all).
    size_t first = 0;
    for (size_t i = pending_.size(); i-- > 0;) {
        const TDrawOp& op = pending_[i];
        if ((op.kind == TDrawOp::Fill || (op.kind == TDrawOp::Blit && !op.transparent)) &&
            Contains(op.dst, rect)) {
            first = i;
            break;
        }
    }
    for (size_t i = first; i < pending_.size(); ++i)
        target_.Replay(pending_[i], rect);
}

void TFrameRecorder::Dirty(const TRect& rect) {
    const int width = target_.Width(), height = target_.Height();
    const TRect r = Intersect(rect, {0, 0, width, height});
    if (Empty(r)) return;
    const int columns = (width + kTileWidth - 1) / kTileWidth;
    const int rows = (height + kTileHeight - 1) / kTileHeight;
    dirtyTiles_.resize(size_t(columns) * rows);
    for (int ty = r.Top / kTileHeight; ty <= (r.Bottom - 1) / kTileHeight; ++ty)
        std::fill_n(dirtyTiles_.begin() + ty * columns + r.Left / kTileWidth,
                    (r.Right - 1) / kTileWidth - r.Left / kTileWidth + 1, uint8_t(1));
}

void TFrameRecorder::Diff() {
    // Matched calls must keep their order; a call that appears or vanishes (a sprite born or
    // freed) is skipped over by looking a few calls ahead in either list.
    constexpr size_t kLookAhead = 8;
    const std::vector<TDrawOp>& was = shown_;
    const std::vector<TDrawOp>& now = pending_;
    size_t i = 0, j = 0;
    while (i < was.size() && j < now.size()) {
        if (was[i] == now[j]) {
            ++i, ++j;
            continue;
        }
        size_t skip = 0;
        bool inNow = false;
        for (size_t d = 1; d <= kLookAhead && !skip; ++d) {
            if (j + d < now.size() && was[i] == now[j + d])
                skip = d, inNow = true;
            else if (i + d < was.size() && was[i + d] == now[j])
                skip = d;
        }
        if (!skip) {
            Dirty(was[i++].dst);
            Dirty(now[j++].dst);
        } else if (inNow) {
            for (size_t k = 0; k < skip; ++k)
                Dirty(now[j++].dst);
        } else {
            for (size_t k = 0; k < skip; ++k)
                Dirty(was[i++].dst);
        }
    }
    for (; i < was.size(); ++i)
        Dirty(was[i].dst);
    for (; j < now.size(); ++j)
        Dirty(now[j].dst);
}

void TFrameRecorder::Commit() {
    if (pending_.empty()) return;
    target_.Own();
    target_.Settle(0, target_.Height());
    const TRect all = target_.ClientRect();
    const bool whole = pending_.front().kind == TDrawOp::Fill && pending_.front().dst == all;
    if (!whole) {
        // Drawn over what the surface shows.
        for (const TDrawOp& op : pending_) {
            target_.Replay(op, all);
            Dirty(op.dst);
        }
        shownValid_ = false;
    } else {
        if (shownValid_)
            Diff();
        else
            Dirty(all);
        // Every changed tile, also those of an earlier commit not yet taken, is drawn again
        // from this list, which describes the whole frame.
        for (const TRect& r : TakeDamage()) {
            Redraw(r);
            Dirty(r);
        }
        shownValid_ = true;
    }
    // Carried out: the sources may change from now on. The shown list keeps their pointers only
    // to compare them, never to read them.
    Unmark();
    shown_.swap(pending_);
    pending_.clear();
}

std::vector<TRect> TFrameRecorder::TakeDamage() {
    std::vector<TRect> out;
    if (dirtyTiles_.empty()) return out;
    const int width = target_.Width(), height = target_.Height();
    const int columns = (width + kTileWidth - 1) / kTileWidth;
    const int rows = (height + kTileHeight - 1) / kTileHeight;
    // Runs of changed tiles per row; a run under one of the same columns extends it down.
    std::vector<size_t> open, next;
    for (int ty = 0; ty < rows; ++ty) {
        next.clear();
        const uint8_t* row = dirtyTiles_.data() + size_t(ty) * columns;
        for (int tx = 0; tx < columns;) {
            if (!row[tx]) {
                ++tx;
                continue;
            }
            const int start = tx;
            while (tx < columns && row[tx])
                ++tx;
            const TRect r{start * kTileWidth, ty * kTileHeight, std::min(tx * kTileWidth, width),
                          std::min((ty + 1) * kTileHeight, height)};
            auto above = std::find_if(open.begin(), open.end(), [&](size_t k) {
                return out[k].Left == r.Left && out[k].Right == r.Right;
            });
            if (above != open.end()) {
                out[*above].Bottom = r.Bottom;
                next.push_back(*above);
            } else {
                next.push_back(out.size());
                out.push_back(r);
            }
        }
        open.swap(next);
    }
    dirtyTiles_.clear();
    return out;
}

// DXSprite.cpp -- the sprite tree and its passes, image sprites and backgrounds.
#include "sprites/DXSprite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "graphics/DXImageList.h"

namespace {

int32_t Trunc(double v) {
    return int32_t(std::trunc(v));
}

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

TRect Offset(const TRect& r, int32_t dx, int32_t dy) {
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void EraseLast(std::vector<TSprite*>& list, TSprite* sprite) {
    // Sprites are mostly freed last first, so search from the back.
    auto it = std::find(list.rbegin(), list.rend(), sprite);
    if (it != list.rend()) list.erase(std::next(it).base());
}

} // namespace

// ---- shared arithmetic ----

int32_t PositiveMod(int32_t a, int32_t n) {
    if (n == 0) return a;
    int32_t r = a % n;
    return r < 0 ? r + n : r;
}

double PositiveModF(double a, double n) {
    if (n == 0) return a;
    double r = a - std::trunc(a / n) * n;
    return r < 0 ? r + n : r;
}

int32_t RoundHalfEven(double value) {
    double down = std::floor(value);
    double diff = value - down;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(down, 2.0) != 0)) down += 1;
    return int32_t(down);
}

// ---- TSprite ----

TSprite::TSprite(TSprite* parent) : parent_(parent) {
    if (parent_) {
        parent_->children_.push_back(this);
        parent_->InsertDrawOrder(this);
        auto* root = dynamic_cast<TSpriteEngine*>(parent_);
        engine_ = root ? root : parent_->engine_;
        if (engine_) ++engine_->spriteCount_;
    }
    Collides = Moves = Shown = true;
}

TSprite::~TSprite() {
    if (engine_ && engine_->OnFree) engine_->OnFree(this);
    FreeChildren();
    if (parent_) {
        if (engine_) --engine_->spriteCount_;
        parent_->RemoveChild(this);
        if (engine_) EraseLast(engine_->killList_, this);
    }
}

void TSprite::Collided(TSprite*, bool&) {}
void TSprite::Paint() {}
void TSprite::Step(int32_t) {}

TRect TSprite::GetBox() {
    int32_t x = Trunc(AbsoluteX()), y = Trunc(AbsoluteY());
    return {x, y, x + Width, y + Height};
}

bool TSprite::AcceptsHit(TSprite*) {
    return true;
}

double TSprite::AbsoluteX() const {
    return parent_ ? parent_->AbsoluteX() + X : X;
}
double TSprite::AbsoluteY() const {
    return parent_ ? parent_->AbsoluteY() + Y : Y;
}

void TSprite::InsertDrawOrder(TSprite* sprite) {
    // Lower bound: in front of every sprite already in the layer, so within a layer the
    // sprite that entered last is drawn first. The game's layering relies on this order.
    int32_t low = 0, high = int32_t(drawOrder_.size()) - 1;
    while (low <= high) {
        int32_t mid = (low + high) / 2;
        if (drawOrder_[size_t(mid)]->z_ - sprite->z_ < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    drawOrder_.insert(drawOrder_.begin() + low, sprite);
}

void TSprite::RemoveChild(TSprite* sprite) {
    EraseLast(children_, sprite);
    EraseLast(drawOrder_, sprite);
    if (children_.empty()) {
        std::vector<TSprite*>().swap(children_);
        std::vector<TSprite*>().swap(drawOrder_);
    }
}

void TSprite::SetZ(int32_t z) {
    if (z == z_) return;
    z_ = z;
    if (parent_) {
        EraseLast(parent_->drawOrder_, this);
        parent_->InsertDrawOrder(this);
    }
}

void TSprite::FreeChildren() {
    while (ChildCount() > 0)
        delete children_[size_t(ChildCount() - 1)];
}

TSprite* TSprite::Child(int32_t i) const {
    if (children_.empty())
        throw ESpriteError("Index of the list exceeds the range. (" + std::to_string(i) + ")");
    if (i < 0 || i >= ChildCount())
        throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
    return children_[size_t(i)];
}

void TSprite::Kill() {
    if (!engine_ || killed_) return;
    killed_ = true;
    engine_->killList_.push_back(this);
}

void TSprite::MoveTree(int32_t frames) {
    if (!Moves) return;
    Step(frames);
    // Count read once: sprites made during the pass wait for the next one. The second bound
    // only guards against a handler that broke the no-free rule.
    int32_t n = ChildCount();
    for (int32_t i = 0; i < n && i < ChildCount(); ++i)
        children_[size_t(i)]->MoveTree(frames);
}

void TSprite::DrawTree() {
    if (!Shown) return;
    if (engine_ && RectsOverlap(GetBox(), engine_->viewRect_)) {
        Paint();
        ++engine_->drawnCount_;
    }
    size_t n = drawOrder_.size();
    for (size_t i = 0; i < n && i < drawOrder_.size(); ++i)
        drawOrder_[i]->DrawTree();
}

int32_t TSprite::CheckCollisions() {
    if (!engine_ || killed_ || !Collides) return 0;
    TSpriteEngine& e = *engine_;
    e.hitCount_ = 0;
    e.hitsStopped_ = false;
    e.queryBox_ = GetBox();
    e.querySprite_ = this;
    int32_t n = e.ChildCount();
    for (int32_t i = 0; i < n && i < e.ChildCount(); ++i)
        e.CollisionWalk(e.children_[size_t(i)]);
    return e.hitCount_;
}

// ---- TSpriteEngine ----

TSpriteEngine::TSpriteEngine(TSprite* parent) : TSprite(parent) {}

TSpriteEngine::~TSpriteEngine() {
    // The tree goes first: its sprites still leave this engine's kill list on the way out.
    FreeChildren();
    killList_.clear();
}

void TSpriteEngine::CollisionWalk(TSprite* s) {
    if (!s->Collides) return;
    TSprite* q = querySprite_;
    if (s != q && RectsOverlap(s->GetBox(), queryBox_) && q->AcceptsHit(s) && s->AcceptsHit(q)) {
        ++hitCount_;
        q->Collided(s, hitsStopped_);
        if (!q->Collides || q->killed_) hitsStopped_ = true;
    }
    // The stop flag only keeps the walk out of children; siblings are still tested.
    if (hitsStopped_) return;
    int32_t n = s->ChildCount();
    for (int32_t i = 0; i < n && i < s->ChildCount(); ++i)
        CollisionWalk(s->children_[size_t(i)]);
}

void TSpriteEngine::FreeKilled() {
    while (!killList_.empty())
        delete killList_.back();
}

void TSpriteEngine::DrawAll() {
    drawnCount_ = 0;
    DrawTree();
}

void TSpriteEngine::SetTarget(TDirectDrawSurface* surface) {
    target_ = surface;
    if (!surface) return;
    viewRect_ = surface->ClientRect();
    Width = viewRect_.Right - viewRect_.Left;
    Height = viewRect_.Bottom - viewRect_.Top;
}

// ---- TCustomDXSpriteEngine ----

TCustomDXSpriteEngine::TCustomDXSpriteEngine() : engine_(new TSpriteEngine(nullptr)) {}

TCustomDXSpriteEngine::~TCustomDXSpriteEngine() {
    SetDXDraw(nullptr);
    delete engine_;
}

void TCustomDXSpriteEngine::FreeKilled() {
    engine_->FreeKilled();
}
void TCustomDXSpriteEngine::MoveAll(int32_t frames) {
    engine_->MoveTree(frames);
}

void TCustomDXSpriteEngine::DrawAll() {
    if (dxdraw_ && dxdraw_->Initialized()) engine_->DrawAll();
}

void TCustomDXSpriteEngine::SetDXDraw(TDXDraw* dxdraw) {
    if (dxdraw == dxdraw_) return;
    if (dxdraw_) dxdraw_->UnregisterClient(this);
    dxdraw_ = dxdraw;
    if (dxdraw_)
        dxdraw_->RegisterClient(this, [this](TDXDraw& sender, TDXDrawNotifyType type) {
            DisplayChanged(sender, type);
        });
}

void TCustomDXSpriteEngine::DisplayChanged(TDXDraw& sender, TDXDrawNotifyType type) {
    DisplayNotice(type, type == dxntInitialize ? &sender.BackSurface() : nullptr);
}

void TCustomDXSpriteEngine::DisplayNotice(TDXDrawNotifyType type, TDirectDrawSurface* backSurface) {
    switch (type) {
    case dxntDestroying:
        dxdraw_ = nullptr;
        break;
    case dxntInitialize:
        engine_->SetTarget(backSurface);
        break;
    case dxntFinalize:
        engine_->SetTarget(nullptr);
        break;
    default:
        break;
    }
}

// ---- TImageSprite ----

void TImageSprite::Step(int32_t frames) {
    AnimIndex += RoundHalfEven(frames * AnimRate);
    if (AnimLoop) {
        AnimIndex = AnimLength > 0 ? RoundHalfEven(PositiveModF(AnimIndex, AnimLength)) : 0;
        return;
    }
    if (AnimIndex >= AnimLength) {
        AnimIndex = AnimLength - 1;
        AnimRate = 0;
    }
    if (AnimIndex < 0) {
        AnimIndex = 0;
        AnimRate = 0;
    }
}

TRect TImageSprite::GetBox() {
    int32_t x = Trunc(AbsoluteX()), y = Trunc(AbsoluteY());
    if (WrapAround && engine_) {
        // Leaving one edge brings the sprite in at the other; its box starts in -Width..R.
        int32_t r = engine_->ViewRect().Right, b = engine_->ViewRect().Bottom;
        x = PositiveMod(x, r + Width);
        if (x > r) x -= r + Width;
        y = PositiveMod(y, b + Height);
        if (y > b) y -= b + Height;
    }
    return {x, y, x + Width, y + Height};
}

TRect TImageSprite::DrawRect() {
    TRect box = GetBox();
    if (!PictureItem) return box;
    return Offset(box, (Width - PictureItem->FrameWidth()) / 2,
                  (Height - PictureItem->FrameHeight()) / 2);
}

void TImageSprite::Paint() {
    if (!PictureItem || !engine_) return;
    TRect r = DrawRect();
    PictureItem->DrawPattern(engine_->Target(), r.Left, r.Top, PatternToDraw());
}

bool TImageSprite::AcceptsHit(TSprite* other) {
    auto* image = dynamic_cast<TImageSprite*>(other);
    if (!image || !PixelExact) return true;
    return PixelHit(*image);
}

namespace {

// The current pattern of an image sprite placed on the screen.
struct PlacedPattern {
    TRect placed;                // on the screen
    TRect rect;                  // in its surface
    TDirectDrawSurface* surface; // null when the pattern is not built
};

PlacedPattern Place(TImageSprite& s) {
    TRect at = s.DrawRect();
    TPictureCollectionItem* item = s.PictureItem;
    int32_t n = s.PatternToDraw();
    TDirectDrawSurface* surface = item ? item->PatternSurface(n) : nullptr;
    TRect rect = surface ? item->PatternRect(n) : TRect{};
    // Without a built pattern the picture's frame size stands in (the overlap alone decides).
    int32_t w = surface ? rect.Width() : item ? item->FrameWidth() : s.Width;
    int32_t h = surface ? rect.Height() : item ? item->FrameHeight() : s.Height;
    return {Bounds(at.Left, at.Top, w, h), rect, surface};
}

} // namespace

bool TImageSprite::PixelHit(TImageSprite& other) {
    PlacedPattern a = Place(*this), b = Place(other);
    TRect area = Intersect(a.placed, b.placed);
    if (area.Width() <= 0 || area.Height() <= 0) return false;
    if (!a.surface || !b.surface) return true;

    TDDSurfaceDesc da, db;
    if (!a.surface->Lock(da, DDLOCK_READONLY)) return false;
    if (b.surface == a.surface) {
        db = da;
    } else if (!b.surface->Lock(db, DDLOCK_READONLY)) {
        a.surface->Unlock();
        return false;
    }
    bool hit = PixelsOverlap(da, a.rect.Left + area.Left - a.placed.Left,
                             a.rect.Top + area.Top - a.placed.Top, db,
                             b.rect.Left + area.Left - b.placed.Left,
                             b.rect.Top + area.Top - b.placed.Top, area.Width(), area.Height());
    if (b.surface != a.surface) b.surface->Unlock();
    a.surface->Unlock();
    return hit;
}

namespace {

// The compared value of one pixel; false at depths that are not compared.
bool ReadPixel(const TDDSurfaceDesc& d, int x, int y, uint32_t& value) {
    const uint8_t* row = static_cast<const uint8_t*>(d.Bits) + ptrdiff_t(y) * d.Pitch;
    switch (d.BitCount) {
    case 8:
        value = row[x];
        return true;
    case 16: {
        uint16_t w;
        std::memcpy(&w, row + 2 * x, 2);
        value = w;
        return true;
    }
    case 24: {
        const uint8_t* p = row + 3 * x;
        value = uint32_t(p[0]) * 65536 + uint32_t(p[1]) * 256 + p[2];
        return true;
    }
    case 32: {
        uint32_t w;
        std::memcpy(&w, row + 4 * x, 4);
        value = w & 0xFFFFFF;
        return true;
    }
    default:
        return false;
    }
}

} // namespace

bool PixelsOverlap(const TDDSurfaceDesc& a, int ax, int ay, const TDDSurfaceDesc& b, int bx, int by,
                   int width, int height) {
    if (a.BitCount != b.BitCount) return true;
    // Keep the scan inside both surfaces whatever the caller's arithmetic.
    int x0 = std::max({0, -ax, -bx}), y0 = std::max({0, -ay, -by});
    width = std::min({width, a.Width - ax, b.Width - bx});
    height = std::min({height, a.Height - ay, b.Height - by});
    for (int y = y0; y < height; ++y)
        for (int x = x0; x < width; ++x) {
            uint32_t pa, pb;
            if (!ReadPixel(a, ax + x, ay + y, pa) || !ReadPixel(b, bx + x, by + y, pb))
                return false;
            if (pa != a.ColorKey && pb != b.ColorKey) return true;
        }
    return false;
}

// ---- TBackgroundSprite ----

TBackgroundSprite::TBackgroundSprite(TSprite* parent) : TSprite(parent) {
    Collides = false;
}

TBackgroundSprite::~TBackgroundSprite() {
    SetMapSize(0, 0);
}

void TBackgroundSprite::SetMapSize(int32_t width, int32_t height) {
    if (width == mapWidth_ && height == mapHeight_) return;
    if (width <= 0 || height <= 0) width = height = 0;
    mapWidth_ = width;
    mapHeight_ = height;
    size_t cells = size_t(width) * size_t(height);
    cellMap_.assign(cells, 0);
    solidMap_.assign(cells, 1);
}

int32_t TBackgroundSprite::CellAt(int32_t col, int32_t row) const {
    if (col < 0 || row < 0 || col >= mapWidth_ || row >= mapHeight_) return -1;
    return cellMap_[size_t(col) + size_t(row) * size_t(mapWidth_)];
}

bool TBackgroundSprite::SolidAt(int32_t col, int32_t row) const {
    if (col < 0 || row < 0 || col >= mapWidth_ || row >= mapHeight_) return false;
    return solidMap_[size_t(col) + size_t(row) * size_t(mapWidth_)] != 0;
}

void TBackgroundSprite::SetCell(int32_t col, int32_t row, int32_t pattern) {
    if (col < 0 || row < 0 || col >= mapWidth_ || row >= mapHeight_) return;
    cellMap_[size_t(col) + size_t(row) * size_t(mapWidth_)] = pattern;
}

void TBackgroundSprite::SetSolid(int32_t col, int32_t row, bool solid) {
    if (col < 0 || row < 0 || col >= mapWidth_ || row >= mapHeight_) return;
    solidMap_[size_t(col) + size_t(row) * size_t(mapWidth_)] = solid ? 1 : 0;
}

TRect TBackgroundSprite::GetBox() {
    if (Tiled) return engine_ ? engine_->ViewRect() : TRect{};
    if (!PictureItem) return {};
    int32_t x = Trunc(AbsoluteX()), y = Trunc(AbsoluteY());
    return {x, y, x + PictureItem->FrameWidth() * mapWidth_,
            y + PictureItem->FrameHeight() * mapHeight_};
}

void TBackgroundSprite::Paint() {
    if (!PictureItem || mapWidth_ <= 0 || mapHeight_ <= 0 || !engine_) return;
    TRect cell = PictureItem->PatternRect(0);
    const int32_t cw = cell.Width(), ch = cell.Height();
    if (cw <= 0 || ch <= 0) return; // not built: nothing to draw
    TDirectDrawSurface* target = engine_->Target();
    const TRect view = engine_->ViewRect();
    const int32_t columns = (view.Right + cw) / cw + 1, rows = (view.Bottom + ch) / ch + 1;
    const int32_t x = Trunc(AbsoluteX()), y = Trunc(AbsoluteY());
    const int32_t offX = x % cw, offY = y % ch;
    int32_t firstCol = x / cw, skipCol = 0, firstRow = y / ch, skipRow = 0;
    if (firstCol < 0) skipCol = -firstCol, firstCol = 0;
    if (firstRow < 0) skipRow = -firstRow, firstRow = 0;

    if (Tiled) {
        // One extra row and column on each side covers the partly visible cells.
        for (int32_t r = -1; r <= rows; ++r)
            for (int32_t c = -1; c <= columns; ++c) {
                int32_t p = CellAt(PositiveMod(c - firstCol + skipCol, mapWidth_),
                                   PositiveMod(r - firstRow + skipRow, mapHeight_));
                if (p >= 0) PictureItem->DrawPattern(target, c * cw + offX, r * ch + offY, p);
            }
        return;
    }
    const int32_t lastCol = std::min(firstCol + mapWidth_ - skipCol, columns);
    const int32_t lastRow = std::min(firstRow + mapHeight_ - skipRow, rows);
    for (int32_t r = firstRow; r < lastRow; ++r)
        for (int32_t c = firstCol; c < lastCol; ++c) {
            int32_t p = CellAt(c - firstCol + skipCol, r - firstRow + skipRow);
            if (p >= 0) PictureItem->DrawPattern(target, c * cw + offX, r * ch + offY, p);
        }
}

bool TBackgroundSprite::AcceptsHit(TSprite* other) {
    if (!PictureItem || mapWidth_ <= 0 || mapHeight_ <= 0) return true;
    TRect cell = PictureItem->PatternRect(0);
    const int32_t cw = cell.Width(), ch = cell.Height();
    if (cw <= 0 || ch <= 0) return true; // not built: as without a picture
    const int32_t x = Trunc(AbsoluteX()), y = Trunc(AbsoluteY());
    const TRect otherBox = Offset(other->GetBox(), -x, -y);
    const TRect overlap = Offset(Intersect(other->GetBox(), GetBox()), -x, -y);
    // Map co-ordinates wrap here whether or not the background is tiled.
    for (int32_t r = (overlap.Top - ch + 1) / ch; r <= overlap.Bottom / ch; ++r)
        for (int32_t c = (overlap.Left - cw + 1) / cw; c <= overlap.Right / cw; ++c)
            if (SolidAt(PositiveMod(c, mapWidth_), PositiveMod(r, mapHeight_)) &&
                RectsOverlap(Bounds(c * cw, r * ch, cw, ch), otherBox))
                return true;
    return false;
}

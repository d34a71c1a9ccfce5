// DXImageList.cpp -- loading, looking up, cutting and drawing the named pictures.
#include "graphics/DXImageList.h"

#include <algorithm>

#include "graphics/DxgReader.h"

// ---- TPictureCollectionItem ----

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection& collection)
    : owner_(&collection) {}

TPictureCollectionItem::~TPictureCollectionItem() {
    FreeSurfaces();
}

void TPictureCollectionItem::SetTransparentColor(TColor color) {
    if (color == transparentColor_) return;
    transparentColor_ = color;
    for (auto& surface : surfaces_)
        surface->SetColorKey(surface->MatchColor(ColorToRGB(color)));
}

int32_t TPictureCollectionItem::FrameWidth() const {
    return PatternWidth > 0 ? PatternWidth : Picture.Width();
}

int32_t TPictureCollectionItem::FrameHeight() const {
    return PatternHeight > 0 ? PatternHeight : Picture.Height();
}

int32_t TPictureCollectionItem::PatternCount() const {
    if (!surfaces_.empty()) return int32_t(patterns_.size());
    int32_t w = Picture.Width(), h = Picture.Height();
    int32_t a = PatternWidth + SkipWidth, c = PatternHeight + SkipHeight;
    if (a <= 0 || c <= 0) return 0; // no defined count; nothing asks for one
    int32_t nx = w / a, ny = h / c;
    if (w - nx * a == PatternWidth) ++nx;
    if (h - ny * c == PatternHeight) ++ny;
    return nx * ny;
}

TRect TPictureCollectionItem::PatternRect(int32_t n) const {
    if (n < 0 || size_t(n) >= patterns_.size()) return {};
    return patterns_[size_t(n)].Rect;
}

TDirectDrawSurface* TPictureCollectionItem::PatternSurface(int32_t n) const {
    if (n < 0 || size_t(n) >= patterns_.size()) return nullptr;
    return patterns_[size_t(n)].Surface;
}

void TPictureCollectionItem::DrawPattern(TDirectDrawSurface* dest, int32_t x, int32_t y,
                                         int32_t n) const {
    if (!ready_ || !dest || n < 0 || size_t(n) >= patterns_.size()) return;
    const TPictureCollectionItemPattern& p = patterns_[size_t(n)];
    dest->Draw(x, y, p.Rect, p.Surface, Transparent);
}

void TPictureCollectionItem::Attach() {
    Detach();
    ready_ = owner_->DisplayInitialized();
}

void TPictureCollectionItem::Detach() {
    if (!ready_) return;
    ready_ = false;
    FreeSurfaces();
}

void TPictureCollectionItem::FreeSurfaces() {
    patterns_.clear();
    surfaces_.clear();
}

TDirectDrawSurface* TPictureCollectionItem::MakeSurface(const TRect& rect) {
    surfaces_.push_back(std::make_unique<TDirectDrawSurface>(owner_->Display()));
    TDirectDrawSurface* surface = surfaces_.back().get();
    surface->SystemMemory = SystemMemory;
    surface->LoadFromPicture(Picture, rect);
    surface->SetColorKey(surface->MatchColor(ColorToRGB(transparentColor_)));
    return surface;
}

void TPictureCollectionItem::RebuildSurfaces() {
    if (Picture.Empty()) return;
    if (!ready_) {
        if (owner_->DisplayInitialized()) Attach();
        if (!ready_) return;
    }
    FreeSurfaces();

    const int32_t w = Picture.Width(), h = Picture.Height();
    const int32_t fw = FrameWidth(), fh = FrameHeight();
    const int32_t a = fw + SkipWidth, c = fh + SkipHeight;

    if (fw == w && fh == h) {
        TRect whole{0, 0, w, h};
        patterns_.push_back({whole, MakeSurface(whole)});
        return;
    }
    if (a <= 0 || c <= 0) return; // gaps that swallow the frame: no frames
    const int32_t columns = (w + SkipWidth) / a, rows = (h + SkipHeight) / c;

    if (SystemMemory) {
        TDirectDrawSurface* surface = MakeSurface({0, 0, w, h});
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t k = 0; k < columns; ++k)
                patterns_.push_back({Bounds(a * k, c * r, fw, fh), surface});
        return;
    }

    // Video memory: tiles of about 512 pixels, each a whole number of frame cells, so every
    // frame is one blit from one surface.
    const int32_t tw = std::min(a * ((a + 511) / a), a * columns);
    const int32_t th = std::min(c * ((c + 511) / c), c * rows);
    if (tw <= 0 || th <= 0) return; // the picture is smaller than one frame
    const int32_t tc = (w + tw - 1) / tw, tr = (h + th - 1) / th;
    for (int32_t i = 0; i < tr; ++i)
        for (int32_t j = 0; j < tc; ++j)
            MakeSurface(Bounds(tw * j, th * i, std::min(tw, w - tw * j), std::min(th, h - th * i)));
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t k = 0; k < columns; ++k) {
            size_t tile = size_t((a * k) / tw + tc * ((c * r) / th));
            patterns_.push_back(
                {Bounds((a * k) % tw, (c * r) % th, fw, fh), surfaces_[tile].get()});
        }
}

// ---- TPictureCollection ----

TPictureCollection::~TPictureCollection() {
    DetachDisplay();
    Clear();
}

TPictureCollectionItem& TPictureCollection::Add() {
    return static_cast<TPictureCollectionItem&>(
        Insert(std::make_unique<TPictureCollectionItem>(*this)));
}

TPictureCollectionItem* TPictureCollection::Find(std::string_view name) const {
    return static_cast<TPictureCollectionItem*>(THashCollection::Find(name));
}

TPictureCollectionItem& TPictureCollection::FindImage(std::string_view name) const {
    TPictureCollectionItem* item = Find(name);
    if (!item) throw EPictureCollectionError("Image '" + std::string(name) + "' not found");
    return *item;
}

void TPictureCollection::LoadFromFile(const std::string& path) {
    // The old pictures go before the new file is read, so the two never take memory together
    // (the peak of a switch between menus and game); a file that cannot be opened still leaves
    // them as they were.
    TCollectionFile file(path);
    Clear();
    LoadFromStream(file.Bytes());
}

void TPictureCollection::LoadFromStream(std::span<const uint8_t> bytes) {
    Clear();
    TPictureCollectionData data = ReadPictureCollection(bytes);
    ColorTable = data.ColorTable;
    for (TPictureItemData& from : data.Items) {
        TPictureCollectionItem& item = Add();
        item.SetName(from.Name);
        item.Picture = std::move(from.Picture);
        item.PatternWidth = from.PatternWidth;
        item.PatternHeight = from.PatternHeight;
        item.SkipWidth = from.SkipWidth;
        item.SkipHeight = from.SkipHeight;
        item.SystemMemory = from.SystemMemory;
        item.Transparent = from.Transparent;
        item.SetTransparentColor(from.TransparentColor);
    }
    if (DisplayInitialized()) {
        for (int i = 0; i < Count(); ++i)
            Items(i).Attach();
        RebuildSurfaces();
    }
}

void TPictureCollection::AttachDisplay(TDXDraw* display) {
    DetachDisplay();
    display_ = display;
    if (!DisplayInitialized())
        throw EPictureCollectionError("TPictureCollection cannot be initialized");
    for (int i = 0; i < Count(); ++i)
        Items(i).Attach();
}

void TPictureCollection::DetachDisplay() {
    // Forget the display even when an entry fails to let go of its surfaces.
    struct Forget {
        TDXDraw*& display;
        ~Forget() { display = nullptr; }
    } forget{display_};
    for (int i = 0; i < Count(); ++i)
        Items(i).Detach();
}

void TPictureCollection::RebuildSurfaces() {
    for (int i = 0; i < Count(); ++i)
        Items(i).RebuildSurfaces();
}

// ---- TDXImageList ----

TDXImageList::TDXImageList() = default;

TDXImageList::~TDXImageList() {
    SetDXDraw(nullptr);
}

void TDXImageList::SetDXDraw(TDXDraw* dxdraw) {
    if (dxdraw == dxdraw_) return;
    if (dxdraw_) dxdraw_->UnregisterClient(this);
    dxdraw_ = dxdraw;
    if (dxdraw_)
        dxdraw_->RegisterClient(this, [this](TDXDraw& sender, TDXDrawNotifyType type) {
            DisplayNotice(&sender, type);
        });
}

void TDXImageList::DisplayNotice(TDXDraw* sender, TDXDrawNotifyType type) {
    switch (type) {
    case dxntDestroying:
        // The surfaces die with the display; keep no pointer to it.
        if (Items.Display() == sender) Items.DetachDisplay();
        if (dxdraw_ == sender) dxdraw_ = nullptr;
        break;
    case dxntInitialize:
        Items.AttachDisplay(sender);
        break;
    case dxntFinalize:
        Items.DetachDisplay();
        break;
    case dxntRestore:
        Items.RebuildSurfaces();
        break;
    default:
        break;
    }
}

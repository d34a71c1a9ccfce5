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
    if (!surfaces_.empty()) return layout_.count;
    int32_t w = Picture.Width(), h = Picture.Height();
    int32_t a = PatternWidth + SkipWidth, c = PatternHeight + SkipHeight;
    if (a <= 0 || c <= 0) return 0; // no defined count; nothing asks for one
    int32_t nx = w / a, ny = h / c;
    if (w - nx * a == PatternWidth) ++nx;
    if (h - ny * c == PatternHeight) ++ny;
    return nx * ny;
}

TPictureCollectionItemPattern TPictureCollectionItem::Pattern(int32_t n) const {
    const Layout& l = layout_;
    const int64_t x = l.a * (n % l.columns), y = l.c * (n / l.columns);
    if (l.tw == 0) return {Bounds(int32_t(x), int32_t(y), l.fw, l.fh), surfaces_.front().get()};
    const size_t tile = size_t(x / l.tw + l.tc * (y / l.th));
    return {Bounds(int32_t(x % l.tw), int32_t(y % l.th), l.fw, l.fh), surfaces_[tile].get()};
}

std::vector<TPictureCollectionItemPattern> TPictureCollectionItem::Patterns() const {
    std::vector<TPictureCollectionItemPattern> all;
    for (int32_t n = 0; n < layout_.count; ++n)
        all.push_back(Pattern(n));
    return all;
}

TRect TPictureCollectionItem::PatternRect(int32_t n) const {
    if (n < 0 || n >= layout_.count) return {};
    return Pattern(n).Rect;
}

TDirectDrawSurface* TPictureCollectionItem::PatternSurface(int32_t n) const {
    if (n < 0 || n >= layout_.count) return nullptr;
    return Pattern(n).Surface;
}

void TPictureCollectionItem::DrawPattern(TDirectDrawSurface* dest, int32_t x, int32_t y,
                                         int32_t n) const {
    if (!ready_ || !dest || n < 0 || n >= layout_.count) return;
    const TPictureCollectionItemPattern p = Pattern(n);
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
    layout_ = {};
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
        MakeSurface({0, 0, w, h});
        layout_ = {1, 1, w, h, w, h, 0, 0, 1};
        return;
    }
    if (a <= 0 || c <= 0) return; // gaps that swallow the frame: no frames
    const int32_t columns = (w + SkipWidth) / a, rows = (h + SkipHeight) / c;
    const int32_t count = columns > 0 && rows > 0 ? columns * rows : 0;

    if (SystemMemory) {
        MakeSurface({0, 0, w, h});
        layout_ = {count, std::max(columns, 1), fw, fh, a, c, 0, 0, 1};
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
    layout_ = {count, columns, fw, fh, a, c, tw, th, tc};
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

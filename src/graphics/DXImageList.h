// DXImageList.h -- the image library: TDXImageList (the component bound to the display),
// TPictureCollection (named pictures loaded from a .dxg file) and TPictureCollectionItem (one
// picture cut into frames, kept as display surfaces and drawn with its colour key).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "graphics/DXDraw.h"
#include "graphics/HashCollection.h"
#include "graphics/Picture.h"
#include "graphics/Types.h"

class TPictureCollection;
class TDXImageList;

struct EPictureCollectionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One frame: its rectangle inside the surface that holds it (the surface is not owned).
struct TPictureCollectionItemPattern {
    TRect Rect;
    TDirectDrawSurface* Surface = nullptr;
};

class TPictureCollectionItem : public THashCollectionItem {
  public:
    explicit TPictureCollectionItem(TPictureCollection& collection);
    ~TPictureCollectionItem() override;

    // Stored properties. Writing the pattern sizes does not cut the picture again; the
    // frames built at the last rebuild stay until the next one.
    TPicture Picture;
    int32_t PatternWidth = 0;  // 0 or less: the picture width
    int32_t PatternHeight = 0; // 0 or less: the picture height
    int32_t SkipWidth = 0;     // gap after each frame
    int32_t SkipHeight = 0;    // gap after each frame row
    bool SystemMemory = false; // one surface for the whole picture
    bool Transparent = true;

    TColor TransparentColor() const { return transparentColor_; }
    // Re-keys every surface already built.
    void SetTransparentColor(TColor color);

    TPictureCollection& Collection() const { return *owner_; }
    bool Ready() const { return ready_; }
    const std::vector<std::unique_ptr<TDirectDrawSurface>>& Surfaces() const { return surfaces_; }
    // Every built frame, listed on demand (the entry keeps no list: see layout_).
    std::vector<TPictureCollectionItemPattern> Patterns() const;

    int32_t FrameWidth() const;
    int32_t FrameHeight() const;
    // Built frames when there are surfaces, else the count the stored sizes promise.
    int32_t PatternCount() const;
    TRect PatternRect(int32_t n) const;                  // (0,0,0,0) when out of range
    TDirectDrawSurface* PatternSurface(int32_t n) const; // nullptr when out of range
    // Draws frame n with its top-left corner at (x, y); does nothing when the entry is not
    // Ready, n is out of range or dest is null.
    void DrawPattern(TDirectDrawSurface* dest, int32_t x, int32_t y, int32_t n) const;

    // Lifecycle, driven by the collection.
    void Attach(); // Ready = the collection's display is initialised
    void Detach(); // if Ready: clear it, free frames and surfaces
    void RebuildSurfaces();

  private:
    TDirectDrawSurface* MakeSurface(const TRect& rect);
    void FreeSurfaces();
    TPictureCollectionItemPattern Pattern(int32_t n) const; // n in range

    TPictureCollection* owner_;
    TColor transparentColor_ = 0;
    bool ready_ = false;
    std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces_;
    // Where the built frames lie. Frame n is worked out from this when it is asked for: a list
    // of frames would take six times the picture's own memory for a picture cut into 1 x 1.
    struct Layout {
        int32_t count = 0;      // frames built
        int32_t columns = 1;    // frames per row
        int32_t fw = 0, fh = 0; // frame size
        int64_t a = 0, c = 0;   // frame cell: the frame and the gap after it
        int64_t tw = 0, th = 0; // tile size; 0: one surface holds every frame
        int64_t tc = 1;         // tiles per row
    } layout_;
};

class TPictureCollection : public THashCollection {
  public:
    explicit TPictureCollection(TDXImageList* owner = nullptr) : owner_(owner) {}
    ~TPictureCollection() override;

    // 256 entries of (blue, green, red, reserved); read and written with the file, never drawn.
    std::array<uint8_t, 1024> ColorTable{};

    TDXImageList* Owner() const { return owner_; }
    TDXDraw* Display() const { return display_; }

    TPictureCollectionItem& Items(int index) const { return ItemAs<TPictureCollectionItem>(index); }
    TPictureCollectionItem& Add(); // a new empty entry at the end
    TPictureCollectionItem* Find(std::string_view name) const;
    // Throws EPictureCollectionError "Image '%s' not found".
    TPictureCollectionItem& FindImage(std::string_view name) const;

    // Replaces every entry with the file's; throws the reader's errors ("Cannot open file ...",
    // "Invalid stream format", ...). A file that cannot be opened leaves the entries as they
    // were; a bad stream leaves none.
    void LoadFromFile(const std::string& path);
    void LoadFromStream(std::span<const uint8_t> bytes);

    // Throws EPictureCollectionError "TPictureCollection cannot be initialized" when the display
    // is not up. Builds no surfaces; RebuildSurfaces does.
    void AttachDisplay(TDXDraw* display);
    void DetachDisplay();
    void RebuildSurfaces();

    // Whether the attached display is up. Virtual so headless tests and benchmarks can stand
    // in for a display without bringing one up.
    virtual bool DisplayInitialized() const { return display_ && display_->Initialized(); }

  private:
    TDXImageList* owner_;
    TDXDraw* display_ = nullptr;
};

class TDXImageList {
  public:
    TDXImageList();
    ~TDXImageList();
    TDXImageList(const TDXImageList&) = delete;
    TDXImageList& operator=(const TDXImageList&) = delete;

    TPictureCollection Items{this};

    TDXDraw* DXDraw() const { return dxdraw_; }
    // Unregisters from the old display (which sends it finalise) and registers with the new
    // one (which sends its present state at once).
    void SetDXDraw(TDXDraw* dxdraw);

    // The display's notices: destroying, initialise, finalise and restore are acted on.
    void DisplayNotice(TDXDraw* sender, TDXDrawNotifyType type);

  private:
    TDXDraw* dxdraw_ = nullptr;
};

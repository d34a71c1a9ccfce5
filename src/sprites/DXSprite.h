// DXSprite.h -- the sprite unit: the sprite tree (TSprite) with its root and passes
// (TSpriteEngine), the component bound to the display (TDXSpriteEngine), image sprites with
// pattern animation and pixel tests (TImageSprite) and tiled backgrounds (TBackgroundSprite).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h" // image sprites draw picture entries
#include "graphics/Types.h"

class TSpriteEngine;

struct ESpriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A node of the sprite tree. Create sprites with new and a parent (normally the engine); the
// parent owns them. Never delete a sprite during a pass: Kill it.
class TSprite {
  public:
    // Appends to the parent's children and enters the parent's layer 0; set Z with SetZ after.
    explicit TSprite(TSprite* parent);
    // Frees the children (last first), then leaves the parent and the engine's kill list.
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    // The per-frame hooks, in the order subclasses are expected to know them by.
    // Collided: called on the querying sprite for each hit; set stop to end descent.
    virtual void Collided(TSprite* other, bool& stop);
    virtual void Paint();
    virtual void Step(int32_t frames);
    virtual TRect GetBox();
    virtual bool AcceptsHit(TSprite* other);

    // The class name the harness counts sprites by; every subclass overrides it.
    virtual const char* ClassName() const { return "TSprite"; }

    // Deferred deletion: queued, and freed at the start of the next frame (FreeKilled). The
    // sprite keeps moving, drawing and being hit until then. A second call does nothing.
    void Kill();
    // Runs one collision query for this sprite; returns the number of hits.
    int32_t CheckCollisions();
    void MoveTree(int32_t frames);
    void DrawTree();
    // Frees every child now, last first. Only between passes.
    void FreeChildren();
    int32_t ChildCount() const { return int32_t(children_.size()); }
    // The i-th child in creation order. Throws ESpriteError when there are no children,
    // std::out_of_range when i is outside 0..count-1.
    TSprite* Child(int32_t i) const;

    int32_t Z() const { return z_; }
    // Re-enters the parent's layer order in front of the sprites already at z.
    void SetZ(int32_t z);

    double AbsoluteX() const;
    double AbsoluteY() const;

    TSpriteEngine* Engine() const { return engine_; }
    TSprite* Parent() const { return parent_; }
    bool Killed() const { return killed_; }
    // Children in layer order (drawn first to last).
    const std::vector<TSprite*>& DrawOrder() const { return drawOrder_; }

    bool Collides = true; // takes part in collision queries (with its subtree)
    bool Moves = true;    // takes part in the move pass (with its subtree)
    bool Shown = true;    // takes part in the draw pass (with its subtree)
    int32_t X = 0, Y = 0; // relative to the parent
    int32_t Width = 0, Height = 0;

  protected:
    TSpriteEngine* engine_ = nullptr;
    TSprite* parent_ = nullptr;
    std::vector<TSprite*> children_; // owned, creation order
    bool killed_ = false;
    std::vector<TSprite*> drawOrder_; // the same sprites sorted by Z
    int32_t z_ = 0;

  private:
    friend class TSpriteEngine;
    void InsertDrawOrder(TSprite* sprite);
    void RemoveChild(TSprite* sprite);
};

// The root of a sprite tree. Its size is the view's.
class TSpriteEngine : public TSprite {
  public:
    explicit TSpriteEngine(TSprite* parent = nullptr);
    ~TSpriteEngine() override;
    const char* ClassName() const override { return "TSpriteEngine"; }

    // Frees the killed sprites, the last killed first.
    void FreeKilled();
    // Told of every sprite of this tree as it is freed, however it goes (FreeKilled,
    // FreeChildren, its parent freed), so the game can drop its references to it.
    void (*OnFree)(const TSprite* freed) = nullptr;
    void DrawAll();
    // Draw onto surface; its client rectangle becomes the view. Null keeps the old view.
    void SetTarget(TDirectDrawSurface* surface);

    int32_t SpriteCount() const { return spriteCount_; }
    int32_t HitCount() const { return hitCount_; }
    bool HitsStopped() const { return hitsStopped_; }
    TRect QueryBox() const { return queryBox_; }
    TSprite* QuerySprite() const { return querySprite_; }
    const std::vector<TSprite*>& KillList() const { return killList_; }
    int32_t DrawnCount() const { return drawnCount_; }
    TDirectDrawSurface* Target() const { return target_; }
    TRect ViewRect() const { return viewRect_; }

  private:
    friend class TSprite;
    void CollisionWalk(TSprite* sprite);

    int32_t spriteCount_ = 0;
    int32_t hitCount_ = 0;
    bool hitsStopped_ = false;
    TRect queryBox_;
    TSprite* querySprite_ = nullptr;
    std::vector<TSprite*> killList_;
    int32_t drawnCount_ = 0;
    TDirectDrawSurface* target_ = nullptr;
    TRect viewRect_;
};

// The component that owns the engine and follows the display.
class TCustomDXSpriteEngine {
  public:
    TCustomDXSpriteEngine();
    virtual ~TCustomDXSpriteEngine();
    TCustomDXSpriteEngine(const TCustomDXSpriteEngine&) = delete;
    TCustomDXSpriteEngine& operator=(const TCustomDXSpriteEngine&) = delete;

    TSpriteEngine* Engine() const { return engine_; }

    void FreeKilled();
    void MoveAll(int32_t frames);
    // Draws only while the display is set and initialised.
    void DrawAll();

    // The display's notices: destroying forgets it, initialise targets its back surface,
    // finalise targets nothing. backSurface is only read for initialise.
    void DisplayNotice(TDXDrawNotifyType type, TDirectDrawSurface* backSurface);
    void DisplayChanged(TDXDraw& sender, TDXDrawNotifyType type);

  protected:
    TDXDraw* DXDraw() const { return dxdraw_; }
    // Unregisters from the old display and registers with the new one (which sends its
    // present state at once).
    void SetDXDraw(TDXDraw* dxdraw);

  private:
    TSpriteEngine* engine_;
    TDXDraw* dxdraw_ = nullptr;
};

class TDXSpriteEngine : public TCustomDXSpriteEngine {
  public:
    using TCustomDXSpriteEngine::DXDraw;
    using TCustomDXSpriteEngine::SetDXDraw;
};

// Remainder of truncating division, made non-negative by adding n; a when n is 0.
int32_t PositiveMod(int32_t a, int32_t n);
// The floating form: a - trunc(a / n) x n, plus n when negative; a when n is 0.
double PositiveModF(double a, double n);
// Rounds half to even, whatever the floating-point environment.
int32_t RoundHalfEven(double value);

// The pixel comparison of the pixel-exact test over two locked surfaces: true at the first
// position of the width x height area (starting at (ax, ay) in a and (bx, by) in b) where both
// pixels differ from their surface's colour key; true at once when the depths differ; false
// at depths other than 8, 16, 24 and 32. The game's surfaces are all 32-bit; the other depths
// are kept because the sprite collision rules define the pixel at each depth a locked surface
// may report, and the tests hold the function to all of them.
bool PixelsOverlap(const TDDSurfaceDesc& a, int ax, int ay, const TDDSurfaceDesc& b, int bx, int by,
                   int width, int height);

// A sprite showing one picture entry with a pattern animation. Base of every game and menu
// sprite.
class TImageSprite : public TSprite {
  public:
    explicit TImageSprite(TSprite* parent) : TSprite(parent) {}
    const char* ClassName() const override { return "TImageSprite"; }

    void Paint() override;
    // Advances AnimIndex by round(frames x AnimRate), then wraps (AnimLoop) or stops at the
    // ends (setting AnimRate to 0).
    void Step(int32_t frames) override;
    TRect GetBox() override;
    bool AcceptsHit(TSprite* other) override;

    int32_t PatternToDraw() const { return AnimBase + AnimIndex; }
    // The box with the picture centred in it.
    TRect DrawRect();

    int32_t AnimLength = 0;
    bool AnimLoop = false;
    int32_t AnimIndex = 0;
    double AnimRate = 0;
    int32_t AnimBase = 0;
    TPictureCollectionItem* PictureItem = nullptr; // borrowed from the image library
    bool PixelExact = false;
    bool WrapAround = false; // the box wraps around the view

  private:
    bool PixelHit(TImageSprite& other);
};

// A map of picture cells over a rectangle, or repeated over the whole view.
class TBackgroundSprite : public TSprite {
  public:
    explicit TBackgroundSprite(TSprite* parent);
    ~TBackgroundSprite() override;
    const char* ClassName() const override { return "TBackgroundSprite"; }

    void Paint() override;
    TRect GetBox() override;
    bool AcceptsHit(TSprite* other) override;

    // Refills the whole map: every cell pattern 0 and solid. 0 or less in either empties it.
    void SetMapSize(int32_t width, int32_t height);
    int32_t MapWidth() const { return mapWidth_; }
    int32_t MapHeight() const { return mapHeight_; }
    int32_t CellAt(int32_t col, int32_t row) const; // -1 outside the map
    bool SolidAt(int32_t col, int32_t row) const;   // false outside the map
    // Single-cell writes (the game never makes them); ignored outside the map.
    void SetCell(int32_t col, int32_t row, int32_t pattern);
    void SetSolid(int32_t col, int32_t row, bool solid);

    TPictureCollectionItem* PictureItem = nullptr; // borrowed from the image library
    bool Tiled = false;

  private:
    std::vector<uint8_t> solidMap_;
    std::vector<int32_t> cellMap_;
    int32_t mapWidth_ = 0, mapHeight_ = 0;
};

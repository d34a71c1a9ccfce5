// GamePictures.cpp -- data/gamegraphic.dxg: the entries in file order. Indices 1 (dialog frame)
// and 25..27 (pistol icons) are read by position, so the order here must not change.
#include "Art.h"
#include "Canvas.h"
#include "Front.h"
#include "pictures/Pictures.h"

namespace assetgen {

namespace {

// A keyed strip of `count` frames, each drawn by `draw` in its own frame co-ordinates.
TPictureItemData Strip(const std::string& name, int fw, int fh, int count,
                       const std::function<void(cairo_t*, int)>& draw,
                       std::optional<uint32_t> under = pal::Outline, bool storePattern = true,
                       KeyMode mode = KeyMode::Threshold) {
    Canvas c(fw * count, fh);
    DrawStrip(c, fw, fh, count, draw);
    return KeyedEntry(name, c, under, storePattern ? fw : 0, storePattern ? fh : 0, mode);
}

TPictureItemData Single(const std::string& name, int w, int h,
                        const std::function<void(cairo_t*)>& draw,
                        std::optional<uint32_t> under = pal::Outline, bool storePattern = false) {
    return Strip(
        name, w, h, 1, [&](cairo_t* cr, int) { draw(cr); }, under, storePattern);
}

TPictureItemData Sky(const std::string& name, bool night) {
    Canvas c(800, 532);
    DrawSky(c.cr(), night);
    return OpaqueEntry(name, c);
}

TPictureItemData Blasts(const std::string& name, Blast blast) {
    return Strip(
        name, 64, 64, BlastFrames(blast), [&](cairo_t* cr, int f) { DrawBlast(cr, blast, f); },
        std::nullopt, true, KeyMode::Dither);
}

TPictureItemData Enemy(int kind, int w, int h, int frames) {
    return Strip("enemy" + std::to_string(kind), w, h, frames,
                 [&](cairo_t* cr, int f) { DrawEnemy(cr, kind, f); });
}

} // namespace

std::vector<TPictureItemData> MakeGamePictures() {
    std::vector<TPictureItemData> out;
    out.push_back(Sky("dayback", false));                                     // 0
    out.push_back(MakeConsole());                                             // 1: by index
    out.push_back(Sky("nightback", true));                                    // 2
    out.push_back(MakeStatusBar());                                           // 3
    out.push_back(Single("3-1", 800, 99, DrawFarRange, std::nullopt));        // 4
    out.push_back(Single("2-1", 800, 152, DrawMiddleRange, std::nullopt));    // 5
    out.push_back(Single("fon2", 943, 152, DrawVolcanicRange, std::nullopt)); // 6
    out.push_back(Single("1-1", 800, 32, DrawNearGround, std::nullopt));      // 7
    out.push_back(Strip("hero", 100, 90, 4, DrawHero));                       // 8
    out.push_back(Single("tail", 49, 40, DrawTail));                          // 9
    out.push_back(Strip("shield", 149, 118, 4, DrawShield, std::nullopt, true,
                        KeyMode::Dither));                // 10
    out.push_back(Enemy(1, 72, 56, 3));                   // 11
    out.push_back(Enemy(2, 64, 120, 3));                  // 12
    out.push_back(Enemy(3, 96, 80, 4));                   // 13
    out.push_back(Enemy(4, 48, 75, 3));                   // 14
    out.push_back(Enemy(5, 48, 75, 3));                   // 15
    out.push_back(Enemy(6, 48, 75, 3));                   // 16
    out.push_back(Enemy(7, 48, 73, 3));                   // 17
    out.push_back(Enemy(8, 96, 72, 3));                   // 18
    out.push_back(Single("arrow", 32, 8, DrawArrow));     // 19
    out.push_back(Single("arrow2", 40, 26, DrawArrowUp)); // 20
    out.push_back(Strip(
        "burnstone", 20, 20, 4, [](cairo_t* cr, int f) { DrawBurnstone(cr, f, false); },
        pal::Ember)); // 21
    out.push_back(Strip(
        "burnstone2", 20, 20, 4, [](cairo_t* cr, int f) { DrawBurnstone(cr, f, true); },
        pal::Ember));                                // 22
    out.push_back(Single("life", 36, 24, DrawLife)); // 23
    out.push_back(Single("bonusindicator", 32, 32, [](cairo_t* cr) { DrawIcon(cr, Icon::Star); }));
    out.push_back(Single("pistolicon2", 32, 32, [](cairo_t* cr) { DrawIcon(cr, Icon::Fireball); }));
    out.push_back(Single("pistolicon3", 32, 32, [](cairo_t* cr) { DrawIcon(cr, Icon::Ice); }));
    out.push_back(Single("pistolicon4", 32, 32, [](cairo_t* cr) { DrawIcon(cr, Icon::Flash); }));
    out.push_back(Strip("bonus", 32, 32, 4, DrawBubble));                         // 28
    out.push_back(MakeScale());                                                   // 29
    out.push_back(Strip("firepistol", 32, 16, 2, DrawFireShot, pal::Ember));      // 30
    out.push_back(Single("fireballbonus", 40, 24, DrawFireball, pal::Ember));     // 31
    out.push_back(Strip("icepistol", 32, 16, 2, DrawIceShot, pal::IceDeep));      // 32
    out.push_back(Strip("flashpistol", 48, 16, 2, DrawFlashShot, pal::BoltDeep)); // 33
    out.push_back(Blasts("dragondamage", Blast::DragonDamage));                   // 34
    out.push_back(Blasts("herokill", Blast::HeroKill));                           // 35
    out.push_back(Blasts("enemykill", Blast::EnemyKill));                         // 36
    out.push_back(Blasts("fireballexplosion", Blast::Fireball));                  // 37
    out.push_back(Blasts("iceexplosion", Blast::Ice));                            // 38
    out.push_back(Blasts("electroexplosion", Blast::Electro));                    // 39
    out.push_back(Strip("volcano", 157, 140, 3, DrawVolcano));                    // 40
    out.push_back(Strip("lava", 20, 64, 3, DrawLava, pal::Ember));                // 41
    out.push_back(Single("tree1", 80, 131, [](cairo_t* cr) { DrawTree(cr, true); }));
    out.push_back(Single("tree2", 56, 56, [](cairo_t* cr) { DrawTree(cr, false); }));
    out.push_back(Single("reshetka", 64, 75, DrawGrille)); // 44
    out.push_back(MakeConsoleButton(true));                // 45
    out.push_back(MakeConsoleButton(false));               // 46
    return out;
}

} // namespace assetgen

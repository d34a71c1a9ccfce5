// Art.h -- the drawing functions of every motif, in the co-ordinates of its own picture frame, so
// the game entries, the menu illustration and the help pages all draw the same art.
#pragma once

#include <cairo.h>

#include <string>

namespace assetgen {

// The dragon, facing right, in its 100 x 90 frame; wingFrame 0..3 (up, going down, down, going up).
void DrawHero(cairo_t* cr, int wingFrame);
// The tail in its 49 x 40 frame; its top-right corner joins the dragon's lower-left.
void DrawTail(cairo_t* cr);
// Dragon and tail together, the dragon's frame at (0, 0) and the tail at (-49, 78).
void DrawWholeDragon(cairo_t* cr, int wingFrame);
// The shield aura in its 149 x 118 frame (drawn under dragon and tail).
void DrawShield(cairo_t* cr, int frame);
// A small dragon head in a 36 x 24 frame (one life).
void DrawLife(cairo_t* cr);

// Enemy kinds 1..8 in their own frames (see the game catalogue for sizes).
void DrawEnemy(cairo_t* cr, int kind, int frame);

// Shots.
void DrawArrow(cairo_t* cr);                               // 32 x 8, pointing left
void DrawArrowUp(cairo_t* cr);                             // 40 x 26, pointing up-left
void DrawBurnstone(cairo_t* cr, int frame, bool thrownUp); // 20 x 20
void DrawFireShot(cairo_t* cr, int frame);                 // 32 x 16
void DrawFireball(cairo_t* cr);                            // 40 x 24
void DrawIceShot(cairo_t* cr, int frame);                  // 32 x 16
void DrawFlashShot(cairo_t* cr, int frame);                // 48 x 16

// Bonus art, 32 x 32: the bubble (4 shimmer frames) and the icons drawn over it.
void DrawBubble(cairo_t* cr, int frame);
enum class Icon { Star, Fireball, Ice, Flash };
void DrawIcon(cairo_t* cr, Icon icon);

// Explosions in 64 x 64 frames.
enum class Blast { DragonDamage, HeroKill, EnemyKill, Fireball, Ice, Electro };
int BlastFrames(Blast blast);
void DrawBlast(cairo_t* cr, Blast blast, int frame);

// Scenery.
void DrawSky(cairo_t* cr, bool night);    // 800 x 532
void DrawFarRange(cairo_t* cr);           // 800 x 99
void DrawMiddleRange(cairo_t* cr);        // 800 x 152, volcano seat at 334..491
void DrawVolcanicRange(cairo_t* cr);      // 943 x 152, six seats 157 apart
void DrawNearGround(cairo_t* cr);         // 800 x 32
void DrawVolcano(cairo_t* cr, int frame); // 157 x 140
void DrawLava(cairo_t* cr, int frame);    // 20 x 64
void DrawTree(cairo_t* cr, bool tall);    // 80 x 131 or 56 x 56
void DrawGrille(cairo_t* cr);             // 64 x 75, tiles vertically
// A dusk sky with ranges for the menu illustration (800 x 600).
void DrawDuskLandscape(cairo_t* cr);

} // namespace assetgen

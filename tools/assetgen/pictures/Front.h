// Front.h -- parchment pictures shared by both files: the dialog frame and its buttons, and the
// game's status bar and time scale.
#pragma once

#include "graphics/DxgWriter.h"

#include <cairo.h>

namespace assetgen {

// The dialog frame "console" (360 x 220) with the unlit OK and CANCEL labels painted in.
TPictureItemData MakeConsole();
// "ok" or "cancel": the frame's button area with the label lit.
TPictureItemData MakeConsoleButton(bool ok);

TPictureItemData MakeStatusBar(); // "statusbar", 800 x 68
TPictureItemData MakeScale();     // "scale", 195 one-pixel columns of 20 rows

// The same art drawn into another picture (the help pages show the status bar).
void DrawStatusBar(cairo_t* cr);               // 800 x 68
void DrawScaleColumns(cairo_t* cr, int count); // the first `count` columns of the scale

// Help page 1..10 (470 x 300): every word of help is painted in.
void DrawHelpPage(cairo_t* cr, int page);

} // namespace assetgen

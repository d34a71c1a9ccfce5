// FrameCanvas.h -- the text canvas as both loops start a frame.
#pragma once

#include "graphics/SurfaceCanvas.h"

// Transparent text in black "Carolingia" of `fontSize` points: the menu loop writes with 16, the
// game loop with 20.
void PrepareFrameCanvas(TDirectDrawSurfaceCanvas& canvas, int fontSize);

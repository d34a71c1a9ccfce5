// FrameCanvas.cpp -- the text canvas both loops start a frame from.
#include "app/FrameCanvas.h"

void PrepareFrameCanvas(TDirectDrawSurfaceCanvas& c, int fontSize) {
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font.Style = 0;
    c.Pen.Style = TPenStyle::psSolid;
    c.Font.Color = clBlack;
    c.Font.Name = "Carolingia";
    c.Font.Size = fontSize;
}

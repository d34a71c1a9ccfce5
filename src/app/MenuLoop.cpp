// MenuLoop.cpp -- the menu loop (DXTimer1Timer) and the display's pointing and clicking.
#include "app/FrameCanvas.h"
#include "app/MainForm.h"
#include "frontend/FrontEnd.h"
#include "state/GameState.h"

void TmainForm::DXTimer1Timer(TCustomDXTimer&, int lagCount) {
    if (!DXDraw.CanDraw()) return;
    DXInput1.Update();
    DXSpriteEngine1.MoveAll(lagCount);
    DXSpriteEngine1.FreeKilled();
    DrawMenuFrame();
    DXDraw.Flip();
}

void TmainForm::ShowCurrentFrame() {
    if (!DXDraw.CanDraw()) return;
    // The menu loop holds still while another window has the focus, but a window that has
    // never shown a frame is not mapped by every desktop (Wayland) and stays black on others:
    // draw the menu as it stands, without moving it a step.
    if (DXTimer1.Running() && !DXTimer1.Hooked()) DrawMenuFrame();
    DXDraw.Paint();
}

void TmainForm::DrawMenuFrame() {
    TDirectDrawSurface& back = DXDraw.BackSurface();
    back.Fill(0);
    DXSpriteEngine1.DrawAll();

    TDirectDrawSurfaceCanvas& c = back.Canvas();
    PrepareFrameCanvas(c, 16);
    frontend::DrawMenuTexts(c);
    back.ReleaseCanvas();
}

void TmainForm::DXDrawMouseMove(int x, int y) {
    frontend::MouseMove(x, y);
}

void TmainForm::DXDrawClick() {
    frontend::Click();
}

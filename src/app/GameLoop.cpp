// GameLoop.cpp -- one frame of play (DXTimer2Timer) and the mouse steps taken during play.
#include "app/GameState.h"
#include "app/MainForm.h"

void TmainForm::DXTimer2Timer(TCustomDXTimer&, int) {
    if (!DXDraw.CanDraw()) return;
    DXDraw.BackSurface().Fill(0);
    DXDraw.Flip();
}

void TmainForm::PlayMouseMotion(int, int) {}

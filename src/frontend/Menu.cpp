// Menu.cpp -- the front end's screens, the menu loop, the mouse handlers and DoMenuAction.
#include "app/GameState.h"
#include "app/MainForm.h"
#include "audio/Music.h"

void TmainForm::CreateMenuField() {
    MenuScreen = 1;
    SelectedItem = 1;
    if (GameState == gsMenu && MusicOn) StartMusic("sound\\1.xm");
}

void TmainForm::DXTimer1Timer(TCustomDXTimer&, int) {
    if (!DXDraw.CanDraw()) return;
    TDirectDrawSurface& back = DXDraw.BackSurface();
    back.Fill(0);
    TDirectDrawSurfaceCanvas& c = back.Canvas();
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font.Style = 0;
    c.Font.Color = clWhite;
    c.Font.Name = "Carolingia";
    c.Font.Size = 16;
    c.TextOut(330, 280, "Skyvern");
    back.ReleaseCanvas();
    DXDraw.Flip();
}

void TmainForm::CreateMainMenu() {}
void TmainForm::DestroyMenu() {}
void TmainForm::CreateSubMenu(const std::string&) {}
void TmainForm::CreateExit() {}
void TmainForm::DXDrawClick() {}
void TmainForm::DXDrawMouseDown(TMouseButton, int, int) {}
void TmainForm::DXDrawMouseMove(int, int) {}
void TmainForm::DXDrawMouseUp(TMouseButton, int, int) {}

void RefreshMenuHighlight() {}
void DoMenuAction() {}

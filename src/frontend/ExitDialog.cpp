// ExitDialog.cpp -- the exit dialog: its texts and its answers, which the main form carries out.
#include "frontend/FrontEnd.h"
#include "state/GameState.h"

void DrawExit(TDirectDrawSurfaceCanvas& c) {
    c.TextOut(230, 195, "EXIT");
    c.TextOut(300, 270, "EXIT THE GAME?");
}

void ExitAction() {
    if (SelectedItem == 1)
        Host().AnswerExitYes();
    else if (SelectedItem == 2)
        Host().AnswerExitNo();
}

// Scores.cpp -- the high-score screen and its clear dialog.
#include "frontend/FrontEnd.h"
#include "frontend/Settings.h"
#include "online/GoToLink.h"

void frontend::CreateScores() {
    DestroyMenu();
    MenuScreen = SelectedItem;
    MainMenuSelection = SelectedItem;
    SelectedItem = 1;
    CreateSubMenu("scoreback");
    TPictureCollection& pictures = Pictures();
    MenuItems[1] = NewMenuItem(pictures.FindImage("clearscore"), 3, 1, 2, true);
    MenuItems[2] = NewMenuItem(pictures.FindImage("viewscore"), 3, 2, 2, false);
    MenuItems[3] = NewMenuItem(pictures.FindImage("backactive"), 3, 3, 2, false);
}

void ScoresAction() {
    switch (SelectedItem) {
    case 1:
        ReturnScreen = 3;
        MenuScreen = 6;
        SelectedItem = 1;
        if (DialogWindow) DialogWindow->Shown = true;
        SavedMenuItems = MenuItems;
        frontend::CreateExit();
        break;
    case 2:
        OpenWorldScorePage();
        break;
    case 3:
        SubBackground->Kill();
        frontend::DestroyMenu();
        MenuScreen = 1;
        SelectedItem = MainMenuSelection;
        MenuItems = MainMenuItems;
        break;
    default:
        break;
    }
}

void ClearScoresAction() {
    if (SelectedItem != 1 && SelectedItem != 2) return;
    frontend::DestroyMenu();
    MenuItems = SavedMenuItems;
    if (SelectedItem == 1) {
        ResetHighScores();
        SaveSettingsAndTell();
    }
    MenuScreen = ReturnScreen;
    if (DialogWindow) DialogWindow->Shown = false;
    ShowMenuHighlight(); // SelectedItem stays; the screen's highlight follows it
}

void CloseInnerDialog() {
    if (MenuScreen == 6) {
        frontend::DestroyMenu();
        MenuItems = SavedMenuItems;
    } else if (MenuScreen != 7) {
        return;
    }
    MenuScreen = ReturnScreen;
    if (DialogWindow) DialogWindow->Shown = false;
}

void DrawScores(TDirectDrawSurfaceCanvas& c) {
    c.Font.Size = 18;
    for (int i = 1; i <= 10; ++i) {
        const int y = 190 + 23 * i;
        const HighScoreEntry& entry = HighScores[i - 1];
        c.TextOut(340, y, std::to_string(i));
        c.TextOut(420, y, entry.Name.Str());
        c.TextOut(600, y, std::to_string(entry.Score));
    }
}

void DrawClearScores(TDirectDrawSurfaceCanvas& c) {
    c.TextOut(230, 195, "CLEAR SCORES");
    c.TextOut(260, 250, "DO YOU WANT TO CLEAR");
    c.TextOut(260, 290, "THE HIGH SCORE TABLE?");
}

// Menu.cpp -- the front end's main screens, the mouse over menus, the menu routines and
// DoMenuAction.
#include "audio/SoundEvents.h"
#include "frontend/FrontEnd.h"
#include "frontend/HelpImage.h"
#include "frontend/Settings.h"
#include "online/GoToLink.h"
#include "state/GameState.h"

namespace {

bool Inside(const TMenuRect& r, int x, int y) {
    return x >= r.X && x <= r.X + r.W && y >= r.Y && y <= r.Y + r.H;
}

// The item of `screen` whose rectangle holds (x, y); 0 for none.
int ItemAt(int screen, int x, int y) {
    for (int i = 1; i <= MenuItemCount[screen]; ++i)
        if (Inside(MenuLayout[screen][i], x, y)) return i;
    return 0;
}

// The item of each sub-screen and dialog that leaves it.
uint8_t LeavingItem(uint8_t screen) {
    return screen == 2 ? 6 : screen == 5 ? 2 : 3;
}

} // namespace

TMenuItem* NewMenuItem(TPictureCollectionItem& picture, int screen, int item, int z, bool shown) {
    TMenuRect& r = MenuLayout[screen][item];
    TMenuItem* sprite = NewPictureSprite<TMenuItem>(picture, r.X, r.Y, z, shown);
    r.W = uint16_t(sprite->Width);
    r.H = uint16_t(sprite->Height);
    return sprite;
}

namespace frontend {

void CreateMenuField() {
    MainMenuHover = false;

    TPictureCollectionItem& back = Pictures().Items(0);
    MenuBackground = new TMenuBackground(SpriteEngine());
    MenuBackground->SetMapSize(1, 1);
    MenuBackground->PictureItem = &back;
    MenuBackground->Width = back.FrameWidth();
    MenuBackground->Height = back.FrameHeight();
    MenuBackground->Shown = true;
    MenuBackground->SetZ(0);

    DialogWindow =
        NewPictureSprite<TClosingWindow>(Pictures().FindImage("console"), 220, 190, 5, false);

    MenuScreen = 1;
    SelectedItem = 1;
    CreateMainMenu();
}

void CreateMainMenu() {
    for (int i = 1; i <= 6; ++i)
        MenuItems[i] = NewMenuItem(Pictures().Items(i), 1, i, 1, i == SelectedItem);
    MainMenuItems = MenuItems;
}

void DestroyMenu() {
    if (MenuScreen == 1 && GameState == gsMenu) {
        // The main menu stays alive (and visible) in MainMenuItems behind the sub-screen.
        for (int i = 1; i <= MenuItemCount[1]; ++i)
            MenuItems[i] = nullptr;
        return;
    }
    for (int i = 1; i <= MenuItemCount[MenuScreen]; ++i)
        if (MenuItems[i]) {
            MenuItems[i]->Kill();
            MenuItems[i] = nullptr;
        }
    MenuItems = MainMenuItems;
}

void CreateSubMenu(const std::string& name) {
    SubBackground = NewPictureSprite<TSubBackground>(Pictures().FindImage(name), 317, 170, 1, true);
}

void CreateExit() {
    MenuItems[1] = NewMenuItem(Pictures().FindImage("ok"), MenuScreen, 1, 11, true);
    MenuItems[2] = NewMenuItem(Pictures().FindImage("cancel"), MenuScreen, 2, 11, false);
    for (int i = 3; i <= 6; ++i)
        MenuItems[i] = nullptr;
}

void DrawMenuTexts(TDirectDrawSurfaceCanvas& c) {
    switch (MenuScreen) {
    case 2:
        DrawOptions(c);
        break;
    case 3:
        DrawScores(c);
        break;
    case 5:
        DrawExit(c);
        break;
    case 6:
        DrawClearScores(c);
        break;
    case 7:
        DrawBossKeyDialog(c);
        break;
    default:
        break; // screens 1, 4, 8 and 9 write nothing here
    }
}

void MouseMove(int x, int y) {
    // During play the mouse steers through relative motion (PlayMouseMotion).
    if (!IsMenuState(GameState)) return;
    MainMenuHover = false;
    MouseOnItem = false;
    if (const int i = ItemAt(MenuScreen, x, y)) {
        if (i != SelectedItem) {
            if (GameState == gsNameEntry && (SelectedItem == 3 || SelectedItem == 4))
                TextEditing = false;
            SelectedItem = uint8_t(i);
            RefreshMenuHighlight();
        }
        MouseOnItem = true;
        return;
    }
    // While a sub-screen or dialog is open the main menu beside it stays live.
    if (GameState != gsMenu || MenuScreen == 1) return;
    if (const int i = ItemAt(1, x, y)) {
        MainMenuHover = true;
        if (i != MainMenuSelection) {
            MainMenuSelection = uint8_t(i);
            RefreshMenuHighlight();
        }
        MouseOnItem = true;
    }
}

} // namespace frontend

bool PointerOnItem(int x, int y) {
    if (!IsMenuState(GameState)) return false;
    // A main-menu entry beside an open screen counts only once the pointer has pointed at it
    // there: a screen or dialog opened by a key under a resting pointer would otherwise take
    // the click for its own selected item ("yes" of the exit dialog, say).
    return ItemAt(MenuScreen, x, y) ||
           (GameState == gsMenu && MenuScreen != 1 && MainMenuHover && ItemAt(1, x, y));
}

namespace frontend {

void Click() {
    if (!IsMenuState(GameState) || !MouseOnItem) return;
    // The clear-scores and boss-key dialogs are answered only by their own buttons or keys:
    // a click on the main menu beside them does nothing.
    if (MainMenuHover && (MenuScreen == 6 || MenuScreen == 7)) return;
    DoMenuAction();
}

} // namespace frontend

void ShowMenuHighlight() {
    if (MainMenuHover) {
        for (int i = 1; i <= MenuItemCount[1]; ++i)
            if (MainMenuItems[i]) MainMenuItems[i]->Shown = false;
        if (MainMenuSelection >= 1 && MainMenuSelection <= 6 && MainMenuItems[MainMenuSelection])
            MainMenuItems[MainMenuSelection]->Shown = true;
        return;
    }
    for (int i = 1; i <= MenuItemCount[MenuScreen]; ++i)
        if (MenuItems[i]) MenuItems[i]->Shown = false;
    if (SelectedItem >= 1 && SelectedItem <= 6 && MenuItems[SelectedItem])
        MenuItems[SelectedItem]->Shown = true;
}

void RefreshMenuHighlight() {
    if ((MenuScreen == 2 && SelectedItem != 4) ||
        (GameState == gsNameEntry && (SelectedItem == 1 || SelectedItem == 2)))
        TextEditing = false;
    if (GameState == gsNameEntry && (SelectedItem == 3 || SelectedItem == 4)) TextEditing = true;
    ShowMenuHighlight();
    if (SoundOn) PlaySoundByName("menu");
}

void StoreNameEntry() {
    TextEditing = false;
    NewEntry.Score = Score;
    InsertHighScore();
    SaveSettingsAndTell();
    Host().OfferSend();
    MenuScreen = 9;
    SelectedItem = 1;
    RefreshMenuHighlight();
}

void DoMenuAction() {
    if (MainMenuHover && MenuScreen >= 2 && MenuScreen <= 5) {
        // A click on a main-menu entry beside an open screen: leave that screen first. An exit
        // dialog over a sub-screen is answered no and then the sub-screen closed as well, so
        // the click never lands on a sub-screen item of the entry's number.
        MainMenuHover = false;
        for (int depth = 0; depth < 3 && MenuScreen >= 2 && MenuScreen <= 5; ++depth) {
            SelectedItem = LeavingItem(MenuScreen);
            DoMenuAction();
        }
        SelectedItem = MainMenuSelection;
        ShowMenuHighlight();
    }
    if (SoundOn) PlaySoundByName("menu");
    switch (MenuScreen) {
    case 1:
        switch (SelectedItem) {
        case 1:
            Host().StartGame();
            break;
        case 2:
            frontend::CreateOptions();
            break;
        case 3:
            frontend::CreateScores();
            break;
        case 4:
            frontend::CreateHelp();
            break;
        case 5:
            OpenHomePage();
            break;
        case 6:
            MainMenuSelection = 6;
            Host().Close(); // opens the exit dialog
            break;
        default:
            break;
        }
        break;
    case 2:
        OptionsAction();
        break;
    case 3:
        ScoresAction();
        break;
    case 4:
        HelpAction();
        break;
    case 5:
        ExitAction();
        break;
    case 6:
        ClearScoresAction();
        break;
    case 8:
        if (SelectedItem == 1)
            StoreNameEntry();
        else if (SelectedItem == 2)
            Host().ReturnToFrontEnd();
        break;
    case 9:
        if (SelectedItem == 1)
            Host().SendResult();
        else if (SelectedItem == 2)
            Host().ReturnToHighScores();
        break;
    default:
        break;
    }
}

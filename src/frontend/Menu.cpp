// Menu.cpp -- the front end's screens, the menu loop, pointing and clicking, and DoMenuAction.
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/MainForm.h"
#include "audio/Music.h"
#include "audio/SoundEvents.h"
#include "frontend/FrontEnd.h"
#include "frontend/HelpImage.h"
#include "online/GoToLink.h"
#include "online/SendScore.h"
#include "platform/Platform.h"

// clang-format off
std::array<std::array<TMenuRect, 7>, 10> MenuLayout = {{
    {},
    {{{}, {50, 190, 0, 0}, {50, 241, 0, 0}, {50, 295, 0, 0}, {50, 348, 0, 0}, {50, 399, 0, 0},
      {50, 451, 0, 0}}},
    {{{}, {454, 185, 300, 40}, {454, 240, 130, 40}, {454, 295, 130, 40}, {535, 350, 210, 30},
      {470, 405, 130, 30}, {318, 504, 0, 0}}},
    {{{}, {317, 470, 0, 0}, {547, 471, 0, 0}, {318, 504, 0, 0}}},
    {{{}, {320, 473, 0, 0}, {711, 474, 0, 0}, {318, 504, 0, 0}}},
    {{{}, {301, 386, 0, 0}, {420, 386, 0, 0}}},
    {{{}, {301, 386, 0, 0}, {420, 386, 0, 0}}},
    {},
    {{{}, {301, 386, 0, 0}, {420, 386, 0, 0}, {330, 260, 200, 18}, {350, 320, 200, 18}}},
    {{{}, {301, 386, 30, 18}, {420, 386, 67, 18}}},
}};
// clang-format on

uint8_t SavedSelectedItem = 0;

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

void TmainForm::CreateMenuField() {
    DXImageList1.Items.LoadFromFile(platform::ResolvePath("data\\menu.dxg"));
    // Built from nothing: whatever the references held was freed with the old world.
    MenuItems = MainMenuItems = SavedMenuItems = OptionMarks = {};
    SubBackground = nullptr;
    HelpImage = nullptr;
    MainMenuHover = false;

    TPictureCollectionItem& back = DXImageList1.Items.Items(0);
    MenuBackground = new TMenuBackground(DXSpriteEngine1.Engine());
    MenuBackground->SetMapSize(1, 1);
    MenuBackground->PictureItem = &back;
    MenuBackground->Width = back.FrameWidth();
    MenuBackground->Height = back.FrameHeight();
    MenuBackground->Shown = true;
    MenuBackground->SetZ(0);

    DialogWindow = NewPictureSprite<TClosingWindow>(DXImageList1.Items.FindImage("console"), 220,
                                                    190, 5, false);

    MenuScreen = 1;
    SelectedItem = 1;
    CreateMainMenu();
    if (GameState == gsMenu && MusicOn) StartMusic("sound\\1.xm");
}

void TmainForm::CreateMainMenu() {
    for (int i = 1; i <= 6; ++i)
        MenuItems[i] = NewMenuItem(DXImageList1.Items.Items(i), 1, i, 1, i == SelectedItem);
    MainMenuItems = MenuItems;
}

void TmainForm::DestroyMenu() {
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

void TmainForm::CreateSubMenu(const std::string& name) {
    SubBackground =
        NewPictureSprite<TSubBackground>(DXImageList1.Items.FindImage(name), 317, 170, 1, true);
}

void TmainForm::CreateExit() {
    MenuItems[1] = NewMenuItem(DXImageList1.Items.FindImage("ok"), MenuScreen, 1, 11, true);
    MenuItems[2] = NewMenuItem(DXImageList1.Items.FindImage("cancel"), MenuScreen, 2, 11, false);
    for (int i = 3; i <= 6; ++i)
        MenuItems[i] = nullptr;
}

void TmainForm::DXTimer1Timer(TCustomDXTimer&, int lagCount) {
    if (!DXDraw.CanDraw()) return;
    DXInput1.Update();
    DXSpriteEngine1.MoveAll(lagCount);
    DXSpriteEngine1.FreeKilled();

    TDirectDrawSurface& back = DXDraw.BackSurface();
    back.Fill(0);
    DXSpriteEngine1.DrawAll();

    TDirectDrawSurfaceCanvas& c = back.Canvas();
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font.Style = 0;
    c.Pen.Style = TPenStyle::psSolid;
    c.Font.Color = clBlack;
    c.Font.Name = "Carolingia";
    c.Font.Size = 16;
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
    back.ReleaseCanvas();
    DXDraw.Flip();
}

void TmainForm::DXDrawMouseMove(int x, int y) {
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

bool PointerOnItem(int x, int y) {
    if (!IsMenuState(GameState)) return false;
    return ItemAt(MenuScreen, x, y) || (GameState == gsMenu && MenuScreen != 1 && ItemAt(1, x, y));
}

void TmainForm::DXDrawClick() {
    if (!IsMenuState(GameState) || !MouseOnItem) return;
    // The clear-scores and boss-key dialogs are answered only by their own buttons or keys:
    // a click on the main menu beside them does nothing.
    if (MainMenuHover && (MenuScreen == 6 || MenuScreen == 7)) return;
    DoMenuAction();
}

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
    GameState = gsSendPrompt;
    MenuScreen = 9;
    SelectedItem = 1;
    RefreshMenuHighlight();
}

void DoMenuAction() {
    TmainForm& f = *mainForm;
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
            StartGame();
            break;
        case 2:
            f.CreateOptions();
            break;
        case 3:
            f.CreateScores();
            break;
        case 4:
            f.CreateHelp();
            break;
        case 5:
            OpenHomePage();
            break;
        case 6:
            MainMenuSelection = 6;
            f.Close(); // opens the exit dialog
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
            ReturnToFrontEnd();
        break;
    case 9:
        if (SelectedItem == 1)
            SendScore();
        else if (SelectedItem == 2)
            ReturnToHighScores();
        break;
    default:
        break;
    }
}

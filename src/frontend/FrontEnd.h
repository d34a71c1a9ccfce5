// FrontEnd.h -- the front end (its host, TFrontEndHost, is in state/FlowHost.h): the builders of
// its screens, the menu routines, sprites made from menu pictures, and each screen's actions and
// texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "frontend/MenuSprites.h"
#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"
#include "sprites/DXSprite.h"
#include "state/FlowHost.h"
#include "state/GameState.h"
#include "state/WorldContext.h"

// The screens, built on the world context with "data\menu.dxg" loaded. TmainForm's methods of
// the same names call them after doing their share (freeing the old world, loading, music).
namespace frontend {
// The front end from nothing: background, dialog frame, main menu.
void CreateMenuField();
void CreateMainMenu();
// Removes the items of the screen shown; the main menu stays behind a sub-screen.
void DestroyMenu();
void CreateSubMenu(const std::string& name);
// The yes and no buttons of a dialog (exit, clear scores, name entry, send prompt).
void CreateExit();
void CreateOptions();
void CreateScores();
void CreateHelp();
// The texts the menu loop writes over the screen shown.
void DrawMenuTexts(TDirectDrawSurfaceCanvas& canvas);
// The pointer moved to (x, y) / a click, in the states where the mouse points at menus.
void MouseMove(int x, int y);
void Click();
} // namespace frontend

// The menu routines every screen shares: the highlight, the one action dispatcher.
void RefreshMenuHighlight();
void DoMenuAction();
// Boss-key name for BossKey.
void UpdateBossKeyName();

// An image sprite of class T on the engine showing `picture`, sized from it.
template <class T>
T* NewPictureSprite(TPictureCollectionItem& picture, int x, int y, int z, bool shown) {
    T* sprite = new T(SpriteEngine());
    sprite->PictureItem = &picture;
    sprite->PixelExact = false;
    sprite->Width = picture.FrameWidth();
    sprite->Height = picture.FrameHeight();
    sprite->X = x;
    sprite->Y = y;
    sprite->SetZ(z);
    sprite->Shown = shown;
    return sprite;
}
// A menu item at the place of (screen, item) in the layout; writes its size there.
TMenuItem* NewMenuItem(TPictureCollectionItem& picture, int screen, int item, int z, bool shown);

// Whether (x, y) lies on an item of the screen shown (or on the main menu beside it). A click
// checks it again: a screen may have opened under a pointer that has not moved since.
bool PointerOnItem(int x, int y);
// Step 2 of RefreshMenuHighlight alone: the selected item's highlight, without the click.
void ShowMenuHighlight();
// Name entry confirmed (the store item, or Enter in the name field).
void StoreNameEntry();
// A close request arrived over the clear-scores or boss-key dialog: that dialog ends first,
// as its "no", so the exit dialog opens over the screen beneath and can return to it.
void CloseInnerDialog();

// Actions of SelectedItem on each screen, and the texts the menu frame writes for it.
void OptionsAction();                                     // screen 2
void ScoresAction();                                      // screen 3
void HelpAction();                                        // screen 4
void ExitAction();                                        // screen 5
void ClearScoresAction();                                 // screen 6
void ShowOptionMarks();                                   // marks of screen 2 to match the settings
void DrawOptions(TDirectDrawSurfaceCanvas& canvas);       // screen 2
void DrawBossKeyDialog(TDirectDrawSurfaceCanvas& canvas); // screen 7
void DrawScores(TDirectDrawSurfaceCanvas& canvas);        // screen 3
void DrawClearScores(TDirectDrawSurfaceCanvas& canvas);   // screen 6
void DrawExit(TDirectDrawSurfaceCanvas& canvas);          // screen 5

// The name of a virtual-key code as the options screen shows it ("" for none of ours).
std::string KeyDisplayName(int key);

// FrontEnd.h -- what the front end's files share: the menu layout table, sprites made from
// menu pictures, and each screen's actions and texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/MainForm.h"
#include "frontend/MenuSprites.h"

// The hover rectangle of an item; X and Y also place its picture. All four bounds count.
struct TMenuRect {
    uint16_t X = 0, Y = 0, W = 0, H = 0;
};
// By MenuScreen 1..9 and item 1..6. The sizes of items shown by a picture are written when
// the item's sprite is made, from that picture.
extern std::array<std::array<TMenuRect, 7>, 10> MenuLayout;

// SelectedItem when the exit dialog opened: "no" returns to it.
extern uint8_t SavedSelectedItem;

inline TPictureCollection& MenuPictures() {
    return mainForm->DXImageList1.Items;
}
inline TSpriteEngine* MenuEngine() {
    return mainForm->DXSpriteEngine1.Engine();
}

// An image sprite of class T on the engine showing `picture`, sized from it.
template <class T>
T* NewPictureSprite(TPictureCollectionItem& picture, int x, int y, int z, bool shown) {
    T* sprite = new T(MenuEngine());
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

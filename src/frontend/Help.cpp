// Help.cpp -- the help pages.
#include "frontend/FrontEnd.h"
#include "frontend/HelpImage.h"
#include "state/GameState.h"

namespace {
constexpr int kFirstHelpPicture = 23; // page p is picture index p + 23

void ShowHelpPage() {
    TPictureCollectionItem& page = Pictures().Items(HelpPage + kFirstHelpPicture);
    HelpImage->PictureItem = &page;
    HelpImage->Width = page.FrameWidth();
    HelpImage->Height = page.FrameHeight();
}
} // namespace

THelpImageSprite::THelpImageSprite(TSprite* engine) : TImageSprite(engine) {
    TPictureCollectionItem& page = Pictures().Items(1 + kFirstHelpPicture);
    PixelExact = false;
    PictureItem = &page;
    Width = page.FrameWidth();
    Height = page.FrameHeight();
    X = 317;
    Y = 170;
    SetZ(2);
    Shown = true;
}

void frontend::CreateHelp() {
    DestroyMenu();
    MenuScreen = SelectedItem;
    MainMenuSelection = SelectedItem;
    SelectedItem = 1;
    CreateSubMenu("helpback");
    HelpImage = new THelpImageSprite(SpriteEngine());
    TPictureCollection& pictures = Pictures();
    MenuItems[1] = NewMenuItem(pictures.FindImage("prev"), 4, 1, 2, true);
    MenuItems[2] = NewMenuItem(pictures.FindImage("next"), 4, 2, 2, false);
    MenuItems[3] = NewMenuItem(pictures.FindImage("backactive"), 4, 3, 2, false);
}

void HelpAction() {
    switch (SelectedItem) {
    case 1:
        if (HelpPage > 1) --HelpPage;
        ShowHelpPage();
        break;
    case 2:
        if (HelpPage < 10) ++HelpPage;
        ShowHelpPage();
        break;
    case 3:
        HelpPage = 1; // every way out comes here, so help always opens on page 1
        HelpImage->Kill();
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

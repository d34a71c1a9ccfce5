// KeyCommands.cpp -- key down/press/up, close requests and the window's system commands.
#include "app/GameFlow.h"
#include "app/MainForm.h"
#include "frontend/FrontEnd.h"
#include "frontend/Settings.h"
#include "state/GameState.h"

namespace {

constexpr int VK_BACK = 8, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
              VK_ESCAPE = 27, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_P = 80;

// The text typed keys go to: the country on the options screen, the name or the country in
// name entry.
ShortString10* EditedText() {
    if (MenuScreen == 2) return &Country;
    if (MenuScreen == 8) {
        if (SelectedItem == 3) return &PlayerName;
        if (SelectedItem == 4) return &Country;
    }
    return nullptr;
}

void SelectPrevious() {
    MainMenuHover = false;
    SelectedItem = SelectedItem <= 1 ? MenuItemCount[MenuScreen] : uint8_t(SelectedItem - 1);
    RefreshMenuHighlight();
}

void SelectNext() {
    MainMenuHover = false;
    SelectedItem = SelectedItem < MenuItemCount[MenuScreen] ? uint8_t(SelectedItem + 1) : 1;
    RefreshMenuHighlight();
}

// A key whose press also types a character a text field accepts (keypad digits included).
bool TypesText(int key) {
    return key == ' ' || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
           (key >= 96 && key <= 105);
}

bool LeftRightMoves() {
    return (MenuScreen >= 3 && MenuScreen <= 6) || MenuScreen == 8 || MenuScreen == 9;
}

void Minimize() {
    mainForm->TDXForm::WMSysCommand(SC_MINIMIZE);
}

void MenuKeyDown(int key, bool alt) {
    switch (key) {
    case VK_RETURN:
        if (alt) break; // Alt+Enter acts on release
        // The key acts on the keyboard's selection, not on a main-menu entry under the pointer.
        MainMenuHover = false;
        if (GameState == gsNameEntry && SelectedItem == 3 && TextEditing)
            StoreNameEntry();
        else
            DoMenuAction();
        break;
    case VK_ESCAPE:
        MainMenuHover = false;
        switch (MenuScreen) {
        case 1:
            mainForm->Close();
            break;
        case 2:
            SelectedItem = 6;
            TextEditing = false;
            DoMenuAction();
            break;
        case 3:
        case 4:
            SelectedItem = 3;
            DoMenuAction();
            break;
        case 5:
        case 6:
            SelectedItem = 2;
            DoMenuAction();
            break;
        default:
            break;
        }
        break;
    case VK_UP:
        SelectPrevious();
        break;
    case VK_DOWN:
        SelectNext();
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (MenuScreen == 2 && SelectedItem >= 1 && SelectedItem <= 3) {
            // The key means the option, not a main-menu entry the pointer happens to rest on.
            MainMenuHover = false;
            DoMenuAction(); // toggles display mode, music or sound
        } else if (LeftRightMoves())
            key == VK_LEFT ? SelectPrevious() : SelectNext();
        break;
    default:
        if (MenuScreen == 7 && key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU) {
            BossKey = uint16_t(key); // saved when the options screen is left
            if (DialogWindow) DialogWindow->Shown = false;
            MenuScreen = ReturnScreen;
            UpdateBossKeyName();
        } else if (key == BossKey && !(TextEditing && (TypesText(key) || key == VK_BACK))) {
            Minimize(); // while a field takes typing, a key that types or deletes is text
        }
        break;
    }
}

void GameKeyDown(int key) {
    if (key == VK_ESCAPE) {
        mainForm->Close(); // FormClose opens the exit dialog
    } else if (key == VK_P) {
        if (PausesByKey(GameState))
            PauseGame(TPauseReason::Key);
        else if (GameState == gsPaused)
            ResumeGame();
    } else if (key == BossKey) {
        PauseGame(TPauseReason::BossKey);
    }
}

} // namespace

void TmainForm::FormKeyDown(int& key, bool alt, bool, bool) {
    // Not latched, so a held Backspace deletes repeatedly.
    if (TextEditing && key == VK_BACK)
        if (ShortString10* text = EditedText(); text && text->Length > 0) --text->Length;
    const bool repeat = key >= 0 && key < int(keysDown_.size()) && keysDown_[size_t(key)];
    if (key >= 0 && key < int(keysDown_.size())) keysDown_[size_t(key)] = true;
    // One action per press: auto-repeat and further keys wait for a release. In play a
    // steering or fire key is nearly always held, so a new press of the pause, exit or boss
    // key acts all the same; only its auto-repeat stays latched.
    const bool gameKey = key == VK_ESCAPE || key == VK_P || key == BossKey;
    if (IsMenuState(GameState)) {
        if (!KeyLatch) MenuKeyDown(key, alt);
    } else if (IsPlayState(GameState)) {
        if (!KeyLatch || (gameKey && !repeat)) GameKeyDown(key);
    }
    KeyLatch = true;
}

void TmainForm::FormKeyPress(char& key) {
    if (!TextEditing) return;
    const char c = key;
    const bool accepted =
        c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!accepted) return;
    ShortString10* text = EditedText();
    if (text && text->Length < 10) text->Chars[text->Length++] = c;
}

void TmainForm::FormKeyUp(int& key, bool alt, bool, bool) {
    if (key >= 0 && key < int(keysDown_.size())) keysDown_[size_t(key)] = false;
    KeyLatch = false;
    if (alt && key == VK_RETURN) {
        Windowed = Windowed ? 0 : 1;
        ChangeMode();
        SaveSettingsAndTell();
    }
}

void TmainForm::FormClose(bool& allowClose) {
    if (!ExitConfirmed) {
        allowClose = false;
        OpenExitDialog();
        return;
    }
    if (GameState == gsExitDialog) {
        allowClose = false; // confirmed during play: the game ends, not the program
        EndGameByExit();
        return;
    }
    // The entry typed so far is kept, as Enter would keep it; the program then ends as ever.
    if (GameState == gsNameEntry) StoreNameEntry();
    SavePendingOptions();
    allowClose = true;
}

void TmainForm::WMGetSysCommand(int command) {
    if (command == SC_MAXIMIZE) {
        Windowed = 0;
        ChangeMode();
        SaveSettingsAndTell();
        return;
    }
    TDXForm::WMSysCommand(command);
}

void TmainForm::CptClk(int hitTest) {
    if (hitTest == 2) {
        Windowed = 0;
        ChangeMode(); // not saved: the next start uses the stored mode
    }
}

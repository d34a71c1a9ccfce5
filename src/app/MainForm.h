// MainForm.h -- TmainForm, the one window of the game, and the components it owns for the
// life of the process. Its handlers keep the names the stored form binds them by. The methods
// are implemented where their subsystem lives:
//   app/MainForm.cpp      start-up, modes, focus handlers, event dispatch
//   app/GameLoop.cpp      the game loop
//   app/KeyCommands.cpp   keyboard and window commands
//   app/GameFlow.cpp      the transitions of the game's flow the handlers call
//   world/GameField.cpp   game field and level set-up
//   frontend/Menu.cpp     menus, menu loop, mouse handlers, the action dispatcher
//   frontend/Options.cpp, frontend/Scores.cpp, frontend/Help.cpp   the sub-screens
#pragma once

#include <memory>
#include <string>

#include "audio/DXSound.h"
#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"
#include "input/DXInput.h"
#include "online/IdHTTP.h"
#include "platform/Platform.h"
#include "sprites/DXSprite.h"
#include "timer/DXForm.h"
#include "timer/DXTimer.h"

enum TMouseButton { mbLeft, mbRight, mbMiddle };

class TmainForm : public TDXForm {
public:
    // Creates the window and the components (in their stored order), then runs FormCreate.
    // Throws std::runtime_error when no window can be opened.
    TmainForm();
    ~TmainForm() override;

    // Components, in the order the form owns them.
    TDXDraw DXDraw;
    TDXSpriteEngine DXSpriteEngine1;
    TDXImageList DXImageList1;
    TDXTimer DXTimer1;
    TDXInput DXInput1{this};
    TDXTimer DXTimer2;
    TIdHTTP IdHTTP1;
    TDXWaveList DXWaveList1;
    TDXSound DXSound1;

    // Start-up and modes (app/MainForm.cpp).
    void FormCreate();
    void ChangeMode();
    void DXTimer1Activate(TCustomDXTimer& sender);
    void DXTimer1Deactivate(TCustomDXTimer& sender);
    void DXTimer2Activate(TCustomDXTimer& sender);
    void DXTimer2Deactivate(TCustomDXTimer& sender);
    void HandleEvent(const platform::Event& event);
    void Close(); // asks the window to close; FormClose decides
    // Forgets where the pointer rested and any press waiting for its release, so that only a
    // new pointing and a new click act (play starts, a dialog opens over play).
    void ForgetPointer();

    // The game loop (app/GameLoop.cpp).
    void DXTimer2Timer(TCustomDXTimer& sender, int lagCount);
    // Relative mouse motion while play runs: the steps the hero takes (app/GameLoop.cpp).
    void PlayMouseMotion(int dx, int dy);

    // Game field and levels (world/GameField.cpp).
    void CreateGameField();
    void CreateEnemy();
    void ClearGameField();
    void SpawnTick();
    void AdvanceLevel();

    // Keyboard and window commands (app/KeyCommands.cpp).
    void FormKeyDown(int& key, bool alt, bool shift, bool ctrl);
    void FormKeyPress(char& key);
    void FormKeyUp(int& key, bool alt, bool shift, bool ctrl);
    void FormClose(bool& allowClose);
    void WMGetSysCommand(int command);
    void CptClk(int hitTest);

    // Menus (frontend/Menu.cpp).
    void DXTimer1Timer(TCustomDXTimer& sender, int lagCount);
    void CreateMenuField();
    void CreateMainMenu();
    void DestroyMenu();
    void CreateSubMenu(const std::string& name);
    void CreateExit();
    void DXDrawClick();
    void DXDrawMouseMove(int x, int y);
    // The mouse buttons are play input: the fire button (app/GameLoop.cpp).
    void DXDrawMouseDown(TMouseButton button, int x, int y);
    void DXDrawMouseUp(TMouseButton button, int x, int y);

    // Sub-screens (frontend/Options.cpp, Scores.cpp, Help.cpp).
    void CreateOptions();
    void CreateScores();
    void CreateHelp();

private:
    bool leftDown_ = false; // a left press on the display, for the click that follows it
    int relativeX_ = 0, relativeY_ = 0; // mouse motion during play since the last frame
};

extern TmainForm* mainForm;

// Makes the cursor visible (true) or hidden (false) whatever the show-count was.
void ShowMouseCursor(bool show);
// Moves the mouse cursor to a position of the 800 x 600 picture.
void SetCursorPos(int x, int y);
// Saves the settings (the scramble bracket); a failure is told to the player, the game goes on.
void SaveSettingsAndTell();
// The program ends: the country and boss key of an options screen still open (also under a
// dialog) are saved, as leaving the screen would; every other change was saved when made.
void SavePendingOptions();
// Menu routines of the main unit (frontend/Menu.cpp).
void RefreshMenuHighlight();
void DoMenuAction();
// Boss-key name for BossKey (frontend/Options.cpp).
void UpdateBossKeyName();

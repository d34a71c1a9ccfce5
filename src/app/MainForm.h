// MainForm.h -- TmainForm, the one window of the game, and the components it owns for the
// life of the process. Its handlers keep the names the stored form binds them by. The form
// reaches down into the world and the front end; they never include it: they work on the world
// context it fills (state/WorldContext.h) and call back, through the host interface it
// implements (state/FlowHost.h), for every change of state and the moves that switch its timers.
// The methods are implemented in app/:
//   MainForm.cpp      start-up, modes, focus handlers, event dispatch
//   GameLoop.cpp      the game loop
//   MenuLoop.cpp      the menu loop and the mouse handlers
//   KeyCommands.cpp   keyboard and window commands
//   GameFlow.cpp      the transitions of the game's flow the handlers call
//   Fields.cpp        building the game field and the screens, the front end's requests
#pragma once

#include <bitset>
#include <memory>
#include <string>

#include "audio/DXSound.h"
#include "frontend/FrontEnd.h"
#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"
#include "input/DXInput.h"
#include "online/IdHTTP.h"
#include "platform/Platform.h"
#include "sprites/DXSprite.h"
#include "timer/DXForm.h"
#include "timer/DXTimer.h"

enum TMouseButton { mbLeft, mbRight, mbMiddle };

class TmainForm : public TDXForm, public TFrontEndHost {
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
    void ChangeMode() override;
    void DXTimer1Activate(TCustomDXTimer& sender);
    void DXTimer1Deactivate(TCustomDXTimer& sender);
    void DXTimer2Activate(TCustomDXTimer& sender);
    void DXTimer2Deactivate(TCustomDXTimer& sender);
    void HandleEvent(const platform::Event& event);
    void Close() override; // asks the window to close; FormClose decides
    // Forgets where the pointer rested and any press waiting for its release, so that only a
    // new pointing and a new click act (play starts, a dialog opens over play).
    void ForgetPointer();

    // The menu loop's drawing (app/MenuLoop.cpp).
    void DrawMenuFrame();
    // Repaints the window with the current frame; while the menu loop is held (another window
    // has the focus) the menu is drawn as it stands first, not moved.
    void ShowCurrentFrame();

    // The game loop (app/GameLoop.cpp).
    void DXTimer2Timer(TCustomDXTimer& sender, int lagCount);
    // Relative mouse motion while play runs: the steps the hero takes (app/GameLoop.cpp).
    void PlayMouseMotion(int dx, int dy);

    // Game field and levels (app/Fields.cpp, on world/GameField.cpp).
    void CreateGameField();
    void CreateEnemy();
    void ClearGameField();

    // Keyboard and window commands (app/KeyCommands.cpp).
    void FormKeyDown(int& key, bool alt, bool shift, bool ctrl);
    void FormKeyPress(char& key);
    void FormKeyUp(int& key, bool alt, bool shift, bool ctrl);
    void FormClose(bool& allowClose);
    void WMGetSysCommand(int command);
    void CptClk(int hitTest);

    // The menu loop and the mouse (app/MenuLoop.cpp).
    void DXTimer1Timer(TCustomDXTimer& sender, int lagCount);
    void DXDrawClick();
    void DXDrawMouseMove(int x, int y);
    // The mouse buttons are play input: the fire button (app/GameLoop.cpp).
    void DXDrawMouseDown(TMouseButton button, int x, int y);
    void DXDrawMouseUp(TMouseButton button, int x, int y);

    // Menus and sub-screens (app/Fields.cpp, on frontend/).
    void CreateMenuField();
    void CreateMainMenu();
    void DestroyMenu();
    void CreateSubMenu(const std::string& name);
    void CreateExit();
    void CreateOptions();
    void CreateScores();
    void CreateHelp();

    // The front end's requests (app/Fields.cpp): the flow's transitions (app/GameFlow.cpp).
    void StartGame() override;
    void ReturnToFrontEnd() override;
    void ReturnToHighScores() override;
    void SendResult() override;
    void AnswerExitYes() override;
    void AnswerExitNo() override;
    // The world's and the score exchange's changes of state: the flow's transitions.
    void HeroDied() override;
    void ShowLevelBanner() override;
    void SendStarted() override;
    void SendFailed() override;
    void SendAnswered() override;
    void OfferSend() override;

  private:
    // Points the world context at this form's components (before a field is built).
    void FillWorldContext();

    bool leftDown_ = false; // a left press on the display, for the click that follows it
    // Keys down now, to tell a key's auto-repeat from a new press. (SDL releases every key
    // held when the window loses the focus, so none stays down through a boss key.)
    std::bitset<256> keysDown_;
    int relativeX_ = 0, relativeY_ = 0; // mouse motion during play since the last frame
};

extern TmainForm* mainForm;

// The program ends: the country and boss key of an options screen still open (also under a
// dialog) are saved, as leaving the screen would; every other change was saved when made.
void SavePendingOptions();

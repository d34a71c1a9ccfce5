// MainForm.h -- TmainForm, the one window of the game, and the components it owns for the
// life of the process. Its handlers keep the names the stored form binds them by.
#pragma once

#include <memory>
#include <string>

#include "graphics/DXDraw.h"
#include "input/DXInput.h"
#include "platform/Platform.h"
#include "timer/DXForm.h"
#include "timer/DXTimer.h"

class TmainForm : public TDXForm {
public:
    // Creates the window and the components (in their stored order), then runs FormCreate.
    // Throws std::runtime_error when no window can be opened.
    TmainForm();
    ~TmainForm() override;

    // Components, in the order the form owns them.
    TDXDraw DXDraw;
    TDXTimer DXTimer1;
    TDXInput DXInput1{this};
    TDXTimer DXTimer2;

    // Start-up and modes.
    void FormCreate();
    void ChangeMode();
    void DXTimer1Activate(TCustomDXTimer& sender);
    void DXTimer1Deactivate(TCustomDXTimer& sender);
    void DXTimer2Activate(TCustomDXTimer& sender);
    void DXTimer2Deactivate(TCustomDXTimer& sender);

    // The two loops.
    void DXTimer1Timer(TCustomDXTimer& sender, int lagCount);
    void DXTimer2Timer(TCustomDXTimer& sender, int lagCount);

    // Front end.
    void CreateMenuField();

    // Window commands.
    void FormClose(bool& allowClose);
    void Close(); // asks the window to close; FormClose decides
    void WMGetSysCommand(int command);
    void HandleEvent(const platform::Event& event);

private:
    int eventHook_ = 0;
};

extern TmainForm* mainForm;

// Saves the settings (the scramble bracket); a failure is told to the player, the game goes on.
void SaveSettingsAndTell();

// Makes the cursor visible (true) or hidden (false) whatever the show-count was.
void ShowMouseCursor(bool show);
// Moves the mouse cursor to a position of the 800 x 600 picture.
void SetCursorPos(int x, int y);

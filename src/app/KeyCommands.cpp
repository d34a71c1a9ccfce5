// KeyCommands.cpp -- key down/press/up, close requests and the window's system commands.
#include "app/GameState.h"
#include "app/MainForm.h"

void TmainForm::FormKeyDown(int&, bool, bool, bool) {}
void TmainForm::FormKeyPress(char&) {}
void TmainForm::FormKeyUp(int&, bool, bool, bool) {}

void TmainForm::FormClose(bool& allowClose) { allowClose = true; }

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
        ChangeMode();
    }
}

// DXForm.cpp -- the form base.
#include "timer/DXForm.h"

int TDXForm::DXFormCount = 0;

TDXForm::TDXForm() {
    ++DXFormCount;
}
TDXForm::~TDXForm() {
    --DXFormCount;
}

void TDXForm::SavePlacement() {
    placementSaved_ = platform::Current().GetPlacement(savedPlacement_);
}

void TDXForm::RestorePlacement() {
    if (!placementSaved_) return;
    platform::Current().SetPlacement(savedPlacement_);
    placementSaved_ = false;
}

void ShowMouseCursor(bool show) {
    platform::Platform& p = platform::Current();
    int count = p.ShowCursor(true);
    if (show) {
        while (count < 0)
            count = p.ShowCursor(true);
    } else {
        while (count >= 0)
            count = p.ShowCursor(false);
    }
}

void SetCursorPos(int x, int y) {
    platform::Current().WarpCursor(x, y);
}

void TDXForm::WMSysCommand(int command) {
    if (command == SC_MINIMIZE) platform::Current().MinimizeWindow();
}

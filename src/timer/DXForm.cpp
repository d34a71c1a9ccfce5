// DXForm.cpp -- the form base.
#include "timer/DXForm.h"

int TDXForm::DXFormCount = 0;

TDXForm::TDXForm() { ++DXFormCount; }
TDXForm::~TDXForm() { --DXFormCount; }

void TDXForm::SavePlacement() {
    placementSaved_ = platform::Current().GetPlacement(savedPlacement_);
}

void TDXForm::RestorePlacement() {
    if (!placementSaved_) return;
    platform::Current().SetPlacement(savedPlacement_);
    placementSaved_ = false;
}

void TDXForm::WMSysCommand(int command) {
    if (command == SC_MINIMIZE) platform::Current().MinimizeWindow();
}

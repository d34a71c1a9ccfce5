// DXForm.h -- TDXForm, the base of the main form: window placement kept across full screen,
// and the minimise command turned into a plain minimise; and the window's mouse cursor.
#pragma once

#include "platform/Platform.h"

constexpr int SC_MINIMIZE = 0xF020;
constexpr int SC_MAXIMIZE = 0xF030;

class TDXForm {
  public:
    TDXForm();
    virtual ~TDXForm();
    TDXForm(const TDXForm&) = delete;
    TDXForm& operator=(const TDXForm&) = delete;

    void SavePlacement();
    void RestorePlacement();
    bool PlacementSaved() const { return placementSaved_; }

    // The system-command message; the main form handles maximise itself first.
    virtual void WMSysCommand(int command);

    static int DXFormCount;

  private:
    platform::WindowPlacement savedPlacement_;
    bool placementSaved_ = false;
};

// Makes the cursor visible (true) or hidden (false) whatever the show-count was.
void ShowMouseCursor(bool show);
// Moves the mouse cursor to a position of the 800 x 600 picture.
void SetCursorPos(int x, int y);

// GameLoop.cpp -- one frame of play (DXTimer2Timer) and the mouse input of play: the fire
// button and the steps taken by moving the mouse.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/FrameCanvas.h"
#include "app/GameFlow.h"
#include "app/MainForm.h"
#include "frontend/MenuSprites.h"
#include "frontend/Settings.h"
#include "state/GameState.h"
#include "world/Bonuses.h"
#include "world/GameField.h"
#include "world/Hero.h"

namespace {

std::string UpperCase(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

void Text(TDirectDrawSurfaceCanvas& c, int size, TColor color, int x, int y,
          const std::string& text) {
    c.Font.Size = size;
    c.Font.Color = color;
    c.TextOut(x, y, text);
}

// Drawn with its top-left at x minus half its width (without any caret).
int CentredX(TDirectDrawSurfaceCanvas& c, int centre, const std::string& text) {
    return centre - c.TextWidth(text) / 2;
}

// The weapon bonus is over: the first weapon again.
void FirstWeapon() {
    if (!Hero) return;
    Hero->Weapon = 1;
    Hero->FireRate = 24;
}

// An 8-bit mouse step from a pointer distance.
uint8_t Step8(int distance) {
    return uint8_t(std::min(distance / 2, 255));
}

// The name-entry screen over the finished game's field.
void DrawNameEntry(TDirectDrawSurfaceCanvas& c) {
    Text(c, 16, clBlack, 230, 190, "YOUR SCORE IS " + std::to_string(Score));
    Text(c, 16, clBlack, 240, 230, "PLEASE, ENTER YOUR NAME:");
    const std::string country = UpperCase(Country.Str());
    const int cx = CentredX(c, 400, country);
    Text(c, 16, clBlack, CentredX(c, 400, "YOUR COUNTRY:"), 290, "YOUR COUNTRY:");

    ++BlinkCounter;
    const bool caret = TextEditing && BlinkCounter % 32 < 16; // 16 frames on, 16 off
    const std::string name = PlayerName.Str();
    const int nameX = CentredX(c, 400, name);
    const int nameY = NameFieldPos[0], countryY = NameFieldPos[1];
    switch (SelectedItem) {
    case 1:
    case 2:
        Text(c, 16, clBlack, cx, countryY, country);
        Text(c, 16, clBlack, nameX, nameY, name);
        break;
    case 3: {
        // A short string of 11: a full 10-character name still shows the caret.
        std::string shown = caret ? name + "|" : name;
        if (shown.size() > 11) shown.resize(11);
        Text(c, 16, clRed, nameX, nameY, shown);
        Text(c, 16, clBlack, cx, countryY, country);
        break;
    }
    case 4:
        Text(c, 16, clRed, cx, countryY, caret ? country + "|" : country);
        Text(c, 16, clBlack, nameX, nameY, name);
        break;
    default:
        break;
    }
}

} // namespace

// DO NOT REORDER: the order of these steps is what the game's timing rules are made of (the
// dying step runs in the frame of the death, a state entered by one overlay draws in the next).
void TmainForm::DXTimer2Timer(TCustomDXTimer& sender, int lagCount) {
    // The relative motion of the whole pass between two frames makes one mouse step, as one
    // pointer move away from the centre would (a fast mouse sends many small events).
    if (relativeX_ || relativeY_) {
        PlayMouseMotion(relativeX_, relativeY_);
        relativeX_ = relativeY_ = 0;
    }
    if (!DXDraw.CanDraw()) return;
    const int32_t interval = sender.Interval();

    TDirectDrawSurface& back = DXDraw.BackSurface();
    TDirectDrawSurfaceCanvas& c = back.Canvas();
    PrepareFrameCanvas(c, 20);

    DXInput1.Update();
    DXSpriteEngine1.FreeKilled();

    WorldFrame(*DXSpriteEngine1.Engine(), lagCount, interval);

    back.Fill(0);
    DXSpriteEngine1.DrawAll();

    Text(c, 20, clBlack, 65, 35, std::to_string(Level));

    if (BonusIndicator && BonusIndicator->Shown) {
        if (ShieldTime <= 0 && HeroShield) HeroShield->Shown = false;
        if (WeaponTime <= 0) FirstWeapon();
        if (WeaponTime <= 0 && ShieldTime <= 0 && BonusNoticeTime <= 0) {
            BonusIndicator->Shown = false;
        } else {
            // The bonus clocks run only in play.
            if (GameState == gsPlaying) {
                if (BonusNoticeTime > 0) BonusNoticeTime -= interval;
                if (WeaponTime > 0)
                    WeaponTime -= interval;
                else
                    FirstWeapon();
                if (ShieldTime > 0) ShieldTime -= interval;
            }
            if (WeaponTime > 0 || ShieldTime > 0) {
                const int32_t t = WeaponTime > ShieldTime ? WeaponTime : ShieldTime;
                char seconds[16];
                std::snprintf(seconds, sizeof seconds, "00:%02d", int(t / 1000));
                Text(c, 12, clBlack, 750, 27, seconds);
                c.Font.Size = 20;
            }
        }
    }

    const std::string score = std::to_string(Score);
    c.Font.Size = 20;
    c.Font.Color = clBlack;
    c.TextOut(CentredX(c, 221, score), 35, score);
    c.TextOut(525, 35, FormatMinSec(LevelTime));

    // Each test reads GameState afresh: a state entered by one can draw in a later one.
    if (GameState == gsLevelBanner) {
        BannerTime -= interval;
        Text(c, 38, clRed, 320, 280, "LEVEL " + std::to_string(Level));
        if (BannerTime <= 0) PlayAfterBanner();
    }
    if (GameState == gsGameOver) {
        BannerTime -= interval;
        Text(c, 38, clRed, 250, 280, "GAME OVER");
        if (BannerTime <= 0) AfterGameOverBanner();
    }
    // The exit dialog can stand over name entry and the send prompt (MenuScreen 5 while the
    // state stays): then it shows its own texts instead of theirs.
    const bool exitOver = MenuScreen == 5 && GameState != gsExitDialog;
    if (GameState == gsNameEntry && !exitOver) DrawNameEntry(c);
    if (GameState == gsSendPrompt && !exitOver) {
        Text(c, 16, clBlack, 230, 195, "SENDING RESULTS");
        Text(c, 16, clBlack, 270, 240, "SEND THE RESULT TO");
        Text(c, 16, clBlack, 240, 280, "WORLD'S HIGHSCORE PAGE?");
    }
    if (GameState == gsSending) {
        Text(c, 16, clBlack, 230, 195, "SENDING RESULTS");
        Text(c, 16, clRed, 320, 240, "PLEASE WAIT...");
    }
    if (GameState == gsSendFailed) {
        if (!exitOver) {
            Text(c, 16, clBlack, 230, 195, "SENDING RESULTS");
            Text(c, 16, clRed, 240, 240, "CAN'T CONNECT TO SERVER!");
        }
        BannerTime -= interval;
        if (BannerTime <= 0) AfterSendFailedBanner();
    }
    if (GameState == gsExitDialog || exitOver) {
        Text(c, 16, clBlack, 230, 195, "EXIT");
        Text(c, 16, clBlack, 300, 270, "EXIT THE GAME?");
    }
    if (GameState == gsPaused) Text(c, 38, clRed, 320, 280, "PAUSE");

    back.ReleaseCanvas();
    DXDraw.Flip();
    CapturePointerWhilePlaying();
}

// The left button fires while held in play; its release ends the fire in any state.
void TmainForm::DXDrawMouseDown(TMouseButton button, int, int) {
    if (button == mbLeft && GameState == gsPlaying) MouseFire = true;
}

void TmainForm::DXDrawMouseUp(TMouseButton button, int, int) {
    if (button == mbLeft) MouseFire = false;
}

// Steering by mouse reads how far the pointer moved from the screen centre, where it was put
// back after the last step. Relative motion gives that distance directly (and works where the
// pointer cannot be warped): each event is one such distance. Half of it, at most 255, is the
// step. Motion toward a direction the keyboard holds leaves the steps alone; it is lost rather
// than saved up, as there is no pointer left off-centre to carry it.
void TmainForm::PlayMouseMotion(int dx, int dy) {
    if (GameState != gsPlaying) return;
    const TInputStates& states = DXInput1.States;
    if (dx > 0 && !states.Contains(stRight)) {
        MouseLeft = 0;
        MouseRight = Step8(dx);
    } else if (dx < 0 && !states.Contains(stLeft)) {
        MouseLeft = Step8(-dx);
        MouseRight = 0;
    }
    if (dy > 0 && !states.Contains(stDown)) {
        MouseUp = 0;
        MouseDown = Step8(dy);
    } else if (dy < 0 && !states.Contains(stUp)) {
        MouseUp = Step8(-dy);
        MouseDown = 0;
    }
}

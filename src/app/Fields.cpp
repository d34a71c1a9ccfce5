// Fields.cpp -- TmainForm's share of building the game field and the screens (the old world
// freed, the picture file loaded, the world context filled, music and cursor), and the front
// end's requests, carried out by the flow's transitions.
#include <cstdio>
#include <set>
#include <string>

#include "app/GameFlow.h"
#include "app/MainForm.h"
#include "audio/Music.h"
#include "frontend/FrontEnd.h"
#include "online/SendScore.h"
#include "platform/Platform.h"
#include "state/GameState.h"
#include "state/WorldContext.h"
#include "world/GameField.h"

namespace {
// Said once per name on standard error, so a damaged wave file shows without flooding it.
void ReportMissingWave(const char* name) {
    static std::set<std::string> told;
    if (told.insert(name).second)
        std::fprintf(stderr, "skyvern: Wave '%s' not found; that sound stays silent\n", name);
}
} // namespace

void TmainForm::FillWorldContext() {
    BindWorld(DXSpriteEngine1.Engine(), &DXImageList1.Items, &DXInput1.States);
    World.PlaySound = [this](const char* name) {
        // A wave file without this effect costs the effect, not the game.
        if (TWaveCollectionItem* wave = DXWaveList1.Items.Find(name))
            wave->Play(false);
        else
            ReportMissingWave(name);
    };
    World.Host = this;
}

// ---- the game field ----

void TmainForm::CreateGameField() {
    DXSpriteEngine1.Engine()->FreeChildren();
    DXImageList1.Items.LoadFromFile(platform::ResolvePath("data\\gamegraphic.dxg"));
    FillWorldContext();
    world::CreateGameField();
    if (MusicOn) StartMusic("sound\\2.xm");
    SetCursorPos(400, 300);
}

void TmainForm::CreateEnemy() {
    world::CreateEnemy();
}
void TmainForm::ClearGameField() {
    world::ClearGameField();
}

// ---- the front end ----

void TmainForm::CreateMenuField() {
    DXImageList1.Items.LoadFromFile(platform::ResolvePath("data\\menu.dxg"));
    FillWorldContext();
    frontend::CreateMenuField();
    if (GameState == gsMenu && MusicOn) StartMusic("sound\\1.xm");
}

void TmainForm::CreateMainMenu() {
    frontend::CreateMainMenu();
}
void TmainForm::DestroyMenu() {
    frontend::DestroyMenu();
}
void TmainForm::CreateSubMenu(const std::string& name) {
    frontend::CreateSubMenu(name);
}
void TmainForm::CreateExit() {
    frontend::CreateExit();
}
void TmainForm::CreateOptions() {
    frontend::CreateOptions();
}
void TmainForm::CreateScores() {
    frontend::CreateScores();
}
void TmainForm::CreateHelp() {
    frontend::CreateHelp();
}

// ---- between the two ----

void TmainForm::StartGame() {
    ::StartGame();
}
void TmainForm::ReturnToFrontEnd() {
    ::ReturnToFrontEnd();
}
void TmainForm::ReturnToHighScores() {
    ::ReturnToHighScores();
}
void TmainForm::AnswerExitYes() {
    ::AnswerExitYes();
}
void TmainForm::AnswerExitNo() {
    ::AnswerExitNo();
}
void TmainForm::HeroDied() {
    ::HeroDied();
}
void TmainForm::ShowLevelBanner() {
    ::ShowLevelBanner();
}
void TmainForm::SendStarted() {
    ::SendStarted();
}
void TmainForm::SendFailed() {
    ::SendFailed();
}
void TmainForm::SendAnswered() {
    ::SendAnswered();
}
void TmainForm::OfferSend() {
    ::OfferSend();
}

void TmainForm::SendResult() {
    const bool sent = SendScore(IdHTTP1, [this] {
        if (!DXDraw.CanDraw()) return;
        TDirectDrawSurface& back = DXDraw.BackSurface();
        back.Fill(0);
        DXSpriteEngine1.DrawAll();
        TDirectDrawSurfaceCanvas& canvas = back.Canvas();
        canvas.Font.Color = clRed;
        canvas.TextOut(330, 220, "Please Wait...");
        back.ReleaseCanvas();
        DXDraw.Flip();
    });
    if (!sent) return;
    SelectedItem = 2; // as the prompt's "no": back to the front end's high-score screen
    DoMenuAction();
}

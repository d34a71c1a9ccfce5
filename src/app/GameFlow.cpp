// GameFlow.cpp -- the transitions of the game's flow.
#include "app/GameFlow.h"

#include "app/MainForm.h"
#include "audio/Music.h"
#include "audio/SoundEvents.h"
#include "frontend/FrontEnd.h"
#include "frontend/HelpImage.h"
#include "frontend/Settings.h"
#include "state/GameState.h"
#include "world/GameField.h"
#include "world/Hero.h"

void SetGameState(uint8_t state) {
    GameState = state;
}

void StartGame() {
    TmainForm& f = *mainForm;
    f.DXTimer1.SetEnabled(false);
    f.DXTimer2.SetEnabled(true);
    SetGameState(gsPlaying);
    // The click that started the game does not linger over the dialogs of the game.
    f.ForgetPointer();
    f.CreateGameField();
}

void ReturnToFrontEnd() {
    TmainForm& f = *mainForm;
    SetGameState(gsMenu);
    f.DXSpriteEngine1.Engine()->FreeChildren();
    f.DXTimer2.SetEnabled(false);
    f.CreateMenuField();
    f.DXTimer1.SetEnabled(true); // the front end takes over from the next frame
}

void ReturnToHighScores() {
    TmainForm& f = *mainForm;
    SetGameState(gsMenu);
    f.DXTimer2.SetEnabled(false);
    f.DestroyMenu();
    f.DXSpriteEngine1.Engine()->FreeChildren();
    f.CreateMenuField();
    SelectedItem = 3;
    RefreshMenuHighlight();
    DoMenuAction(); // opens the high-score screen
    f.DXTimer1.SetEnabled(true);
}

void PauseGame(TPauseReason reason) {
    if (reason == TPauseReason::BossKey && MusicOn) SongStop(MusicHandle);
    ShowMouseCursor(true);
    if (GameState != gsPaused) ResumeState = GameState; // a pause keeps its return state
    SetGameState(gsPaused);
    if (reason == TPauseReason::BossKey) mainForm->TDXForm::WMSysCommand(SC_MINIMIZE);
}

void ResumeGame() {
    SetGameState(ResumeState);
    if (GameState == gsPlaying) ShowMouseCursor(false);
    SetCursorPos(400, 300);
}

void PlayAfterBanner() {
    SetGameState(gsPlaying);
    if (Hero) Hero->Shown = true;
    if (HeroTail) HeroTail->Shown = true;
    ShowMouseCursor(false);
    SetCursorPos(400, 300);
}

void NextLifeOrGameOver() {
    SetGameState(gsPlaying);
    SetCursorPos(400, 300);
    world::ClearGameField();
    if (Lives > 0) {
        if (Hero) {
            Hero->Shown = true;
            Hero->Health = 50;
        }
        if (HeroTail) HeroTail->Shown = true;
    } else {
        GameOver();
    }
}

void GameOver() {
    BannerTime = 1500;
    SetGameState(gsGameOver);
    if (SoundOn) PlaySoundByName("looser");
}

void AfterGameOverBanner() {
    ScoreRank = FindScoreRank();
    ShowMouseCursor(true);
    if (ScoreRank == 11) {
        ReturnToFrontEnd();
        return;
    }
    SetGameState(gsNameEntry);
    if (DialogWindow) DialogWindow->Shown = true;
    MenuScreen = 8;
    mainForm->CreateExit();
    SelectedItem = 3; // the name field
    TextEditing = true;
    if (MenuItems[1]) MenuItems[1]->Shown = false;
}

void OpenExitDialog() {
    if (GameState == gsGameOver) return;
    // A second request while the dialog is up keeps the first one and what it saved.
    if (MenuScreen == 5) return;
    if (GameState == gsMenu) CloseInnerDialog();
    SavedGameState = GameState;
    ReturnScreen = MenuScreen;
    if (GameState != gsPaused) ResumeState = GameState; // a pause keeps its return state
    SavedSelectedItem = SelectedItem;
    MenuScreen = 5;
    SelectedItem = 1;
    if (DialogWindow) DialogWindow->Shown = true;
    if (IsPlayState(GameState)) {
        ShowMouseCursor(true);
        SetGameState(gsExitDialog);
        // A fire button held in play is no press on "yes": its release must not click.
        mainForm->ForgetPointer();
    } else {
        // The screen under the dialog keeps its items for "no". Outside the menu its buttons
        // lie where the dialog's do: hide them meanwhile.
        SavedMenuItems = MenuItems;
        if (GameState != gsMenu)
            for (TMenuItem* item : SavedMenuItems)
                if (item) item->Shown = false;
    }
    mainForm->CreateExit();
}

void AnswerExitYes() {
    ExitConfirmed = true;
    MenuScreen = ReturnScreen;
    mainForm->Close(); // from the menu the program ends; during play the game does
}

void AnswerExitNo() {
    mainForm->DestroyMenu();
    // Screens that stay up under the dialog get their own items back; play keeps none.
    const bool overScreen = GameState != gsExitDialog;
    if (overScreen) MenuItems = SavedMenuItems;
    // Over play the dialog froze the game: back to the state before it. Elsewhere the state
    // went on under the dialog (a send failure's banner may have ended): it stays as it is.
    if (GameState == gsExitDialog) SetGameState(SavedGameState);
    MenuScreen = ReturnScreen;
    SelectedItem = SavedSelectedItem;
    if (GameState == gsNameEntry) TextEditing = SelectedItem == 3 || SelectedItem == 4;
    // Name entry and the send prompt keep their frame; elsewhere the dialog's frame goes.
    if (DialogWindow && GameState != gsNameEntry && GameState != gsSendPrompt &&
        GameState != gsSendFailed && GameState != gsSending)
        DialogWindow->Shown = false;
    if (overScreen) ShowMenuHighlight();
    if (GameState == gsPlaying) ShowMouseCursor(false);
}

void EndGameByExit() {
    ExitConfirmed = false;
    if (DialogWindow) DialogWindow->Shown = false;
    mainForm->DestroyMenu();
    GameOver();
}

void EnterFrontEnd() {
    SetGameState(gsMenu);
}

void HeroDied() {
    SetGameState(gsDying);
}

void ShowLevelBanner() {
    SetGameState(gsLevelBanner);
    BannerTime = 1500;
}

void SendStarted() {
    SetGameState(gsSending);
}

void SendFailed() {
    BannerTime = 1500;
    SetGameState(gsSendFailed);
}

void SendAnswered() {
    SetGameState(gsSendPrompt);
}

void AfterSendFailedBanner() {
    SetGameState(gsSendPrompt);
}

void OfferSend() {
    SetGameState(gsSendPrompt);
}

void WorldFrame(TSpriteEngine& engine, int lagCount, int32_t interval) {
    // Decoded like the clock shows it, so a level lasts its whole number of frames whatever
    // the rounding of the date-time sums. Only play ends a level: a pause, a dialog or a dying
    // hero keeps its state and its own way back, and the level changes once play resumes.
    if (GameState == gsPlaying && TimeMs(LevelTime) >= TimeMs(LevelLength)) world::AdvanceLevel();

    if (GameState == gsPlaying) {
        engine.MoveTree(lagCount);
        LevelTime += interval * kOneMs;
        world::SpawnTick();
    }

    if (GameState == gsDying) {
        engine.MoveTree(lagCount);
        if (DeathDelay != 0) {
            --DeathDelay;
        } else {
            NextLifeOrGameOver();
        }
    }
}

void CapturePointerWhilePlaying() {
    // Relative motion stands in for the distance from the screen centre (and works where
    // warping does not). It follows the state, not the cursor: some ways back into play (the
    // end of the dying step) leave the cursor as it was.
    platform::Current().SetRelativeMouse(GameState == gsPlaying);
}

// GameFlow.h -- the game's flow in one place: every change of GameState, each a named
// transition with what it does besides (frame timers, cursor, pointer capture, music, sprites).
// The form's handlers and the game loop call these; the world, the score exchange and the
// front end reach them through the host (state/FlowHost.h). GameFlow.cpp alone writes GameState
// (tools/check-gamestate-door.sh checks).
#pragma once

#include <cstdint>

#include "state/GameState.h"

class TSpriteEngine;

// The state sets (IsMenuState, IsPlayState, PausesByKey, PausesOnFocusLoss) are named beside
// the GameState values (state/GameState.h), where the world and the front end read them too.

// The one door: every transition sets the state through it. Tests that need a state to start
// from set it here too.
void SetGameState(uint8_t state);

// ---- Transitions ----
enum class TPauseReason { Key, Focus, BossKey };

// Main menu -> a new game on its first level banner (menu timer off, game timer on).
void StartGame();
// The game's end without a place in the table, or name entry skipped: the front end again.
void ReturnToFrontEnd();
// The send prompt answered (no, or sent): the front end on its high-score screen.
void ReturnToHighScores();
// Pauses from a play state (or the game-over banner on focus loss). The boss key also stops
// the music and minimises; a pause that is already on keeps the state it returns to.
void PauseGame(TPauseReason reason);
// P in a pause: back to the state the pause interrupted.
void ResumeGame();
// The level banner has run out: the hero shows and play starts.
void PlayAfterBanner();
// The dying hero's delay has run out: the next life, or the game over.
void NextLifeOrGameOver();
// The last life is lost or the exit was confirmed during play: "GAME OVER" for 1500 ms.
void GameOver();
// The game-over banner has run out: name entry for a place in the table, else the front end.
void AfterGameOverBanner();
// A close request not yet confirmed: the exit dialog over whatever is shown (ignored during
// the game-over banner and while the dialog is already open).
void OpenExitDialog();
// The exit dialog's answers. "Yes" asks the window to close again; during play that close
// ends the game instead (EndGameByExit).
void AnswerExitYes();
void AnswerExitNo();
void EndGameByExit();
// The main form is created: the front end's main menu.
void EnterFrontEnd();
// The hero's health ran out: the dying delay runs.
void HeroDied();
// A new game or the next level: the level banner.
void ShowLevelBanner();
// The score exchange: begun, failed (the notice for 1500 ms), the server took the result.
void SendStarted();
void SendFailed();
void SendAnswered();
// The notice of a failed send has run out: the send prompt again.
void AfterSendFailedBanner();
// Name entry stored: the send prompt.
void OfferSend();

// One frame of the world after the killed sprites are freed, as the game loop runs it: the
// level clock, then play (moving, the clock, spawning) or the dying delay. Nothing moves in
// the other states.
void WorldFrame(TSpriteEngine& engine, int lagCount, int32_t interval);

// Captures the pointer for mouse steering (relative motion) exactly while GameState is
// gsPlaying. Called after every event and every game frame, where the state changes.
void CapturePointerWhilePlaying();

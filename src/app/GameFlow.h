// GameFlow.h -- the game's flow in one place: the sets of GameState values the handlers test,
// and every change of GameState that does more than set it (frame timers, cursor, pointer
// capture, music, sprites). The form's handlers, the game loop and the menu call these.
#pragma once

#include <cstdint>

#include "state/GameState.h"

// The state sets (IsMenuState, IsPlayState, PausesByKey, PausesOnFocusLoss) are named beside
// the GameState values (state/GameState.h), where the world and the front end read them too.

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
// Captures the pointer for mouse steering (relative motion) exactly while GameState is
// gsPlaying. Called after every event and every game frame, where the state changes.
void CapturePointerWhilePlaying();

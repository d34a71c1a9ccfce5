// GameField.cpp -- building and clearing the game field, spawning, level changes.
#include "app/GameState.h"
#include "app/MainForm.h"

void TmainForm::CreateGameField() {}
void TmainForm::CreateEnemy() {}
void TmainForm::ClearGameField() {}
void TmainForm::SpawnTick() {}
void TmainForm::AdvanceLevel() {}

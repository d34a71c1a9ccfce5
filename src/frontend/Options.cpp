// Options.cpp -- the options screen and the boss-key name.
#include "app/GameState.h"
#include "app/MainForm.h"

void TmainForm::CreateOptions() {}
void UpdateBossKeyName() {}

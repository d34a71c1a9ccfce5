// Scores.cpp -- the high-score screen and its clear dialog.
#include "app/MainForm.h"

void TmainForm::CreateScores() {}

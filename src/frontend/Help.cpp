// Help.cpp -- the help pages.
#include "app/MainForm.h"

void TmainForm::CreateHelp() {}

// FatalError.h -- the last word of a run that a data error ends.
#pragma once

#include <string>

// Called by main and by the harness when an error nobody handled ends the program (a damaged
// data file, most often): the player sees the library's message in a box before the window
// goes (the headless backend records it), and it goes to standard error for the terminal.
// The caller then ends with a non-zero status.
void ReportFatalError(const char* program, const std::string& message);

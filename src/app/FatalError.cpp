// FatalError.cpp -- the message box and the terminal line of a run that a data error ends.
#include "app/FatalError.h"

#include <cstdio>

#include "platform/Platform.h"

void ReportFatalError(const char* program, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    // Started from the desktop, the box is all the player would ever see of the reason.
    platform::Current().ShowMessage("Skyvern", message);
}

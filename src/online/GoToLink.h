// GoToLink.h -- handing web pages and the exit link to the desktop, which opens them in the
// user's browser. Nothing waits for the browser or looks at the result.
#pragma once

#include <cstddef>
#include <string>

// The main menu's home-page entry: the score server's base address.
void OpenHomePage();
// The high-score screen's world-page item.
void OpenWorldScorePage();
// Called once after the window has closed: opens the address of the internet shortcut
// "play.url" in the working directory, if the file is there and names one.
void OpenExitLink();

// Internet shortcuts are a few lines; a larger file is taken for no shortcut at all.
constexpr size_t kMaxShortcutBytes = 8192;

// The address of the URL= line of an internet-shortcut file (an INI file whose
// [InternetShortcut] section names the page); "" when the file is missing or names none, is
// no plain file, or is larger than kMaxShortcutBytes.
std::string ReadShortcutUrl(const std::string& path);

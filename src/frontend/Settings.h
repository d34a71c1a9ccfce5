// Settings.h -- config.dat: the routines that load, save, scramble and rank into the settings
// record (state/SettingsRecord.h), which lives in the global state as Settings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "state/GameState.h"

// The settings file, relative to the working directory.
constexpr const char* kSettingsFileName = "config.dat";
// Shown (with the reason after it) when the settings cannot be written.
constexpr const char* kSaveSettingsFailed = "Can't save settings.";

// A file operation failed; what() names the operation and the system's reason.
struct EInOutError : std::runtime_error {
    EInOutError(const std::string& message, int errorCode)
        : std::runtime_error(message), ErrorCode(errorCode) {}
    int ErrorCode; // errno
};

// Flips the record between its plain and its file form in place; its own inverse.
void ScrambleSettings();
// Start-up: reads config.dat into Settings (plain values afterwards). A missing, short or
// unreadable file is replaced by the defaults, silently, even when that write fails.
void LoadSettings();
// Writes Settings as it is (callers scramble around it) to config.dat through a temporary file
// renamed over it, so the old file survives any failure. Throws EInOutError.
void SaveSettings();
// The save bracket every caller uses: scramble, save, scramble back. Memory ends up plain even
// when the write fails; then returns false and puts the text for the player into *message.
bool SaveSettingsBracket(std::string* message = nullptr);
// The bracket for a change the player made: a failure is told to the player, the game goes on.
void SaveSettingsAndTell();
// Writes the default table (ten times "Anonymous", 1000 down to 100) into HighScores.
void ResetHighScores();
// Merges NewEntry into HighScores below any equal score; an entry pushed past 10 is dropped.
void InsertHighScore();
// The place 1..10 the current Score would take in HighScores, 11 for none.
uint8_t FindScoreRank();

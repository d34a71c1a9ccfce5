// Settings.h -- the 158-byte settings and high-score record, which is also the byte image of
// config.dat (scrambled), and the routines that load, save, scramble and rank into it.
// DO NOT REORDER OR RESIZE FIELDS: the layout is the file format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// Natural alignment gives exactly the stored layout (checked below); no packing needed.
// A length byte (0..10) and 10 character bytes.
struct ShortString10 {
    uint8_t Length = 0;
    char Chars[10] = {};
    std::string Str() const { return std::string(Chars, Length > 10 ? 10 : Length); }
    void Assign(const std::string& s);
};

struct HighScoreEntry {
    ShortString10 Name; // offset 0
    uint8_t Filler = 0; // offset 11
    uint16_t Score = 0; // offset 12, little-endian
};

struct TSettings {
    uint8_t Windowed = 1;   // 0
    uint8_t MusicOn = 1;    // 1
    uint8_t SoundOn = 1;    // 2
    uint8_t Filler1 = 0;    // 3
    uint16_t BossKey = 123; // 4
    ShortString10 Country;  // 6
    uint8_t Filler2 = 0;    // 17
    HighScoreEntry HighScores[10]; // 18, entries 1..10 at index 0..9
};
static_assert(sizeof(HighScoreEntry) == 14);
static_assert(sizeof(TSettings) == 158);
static_assert(offsetof(TSettings, BossKey) == 4 && offsetof(TSettings, Country) == 6);
static_assert(offsetof(TSettings, HighScores) == 18 && offsetof(HighScoreEntry, Score) == 12);

extern TSettings Settings;

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
// Writes the default table (ten times "Anonymous", 1000 down to 100) into HighScores.
void ResetHighScores();
// Merges NewEntry into HighScores below any equal score; an entry pushed past 10 is dropped.
void InsertHighScore();
// The place 1..10 the current Score would take in HighScores, 11 for none.
uint8_t FindScoreRank();

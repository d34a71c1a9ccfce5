// SettingsRecord.h -- the 158-byte settings and high-score record, which is also the byte image
// of config.dat (scrambled). DO NOT REORDER OR RESIZE FIELDS: the layout is the file format.
#pragma once

#include <cstddef>
#include <cstdint>
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
    uint8_t Windowed = 1;          // 0
    uint8_t MusicOn = 1;           // 1
    uint8_t SoundOn = 1;           // 2
    uint8_t Filler1 = 0;           // 3
    uint16_t BossKey = 123;        // 4
    ShortString10 Country;         // 6
    uint8_t Filler2 = 0;           // 17
    HighScoreEntry HighScores[10]; // 18, entries 1..10 at index 0..9
};
static_assert(sizeof(HighScoreEntry) == 14);
static_assert(sizeof(TSettings) == 158);
static_assert(offsetof(TSettings, BossKey) == 4 && offsetof(TSettings, Country) == 6);
static_assert(offsetof(TSettings, HighScores) == 18 && offsetof(HighScoreEntry, Score) == 12);

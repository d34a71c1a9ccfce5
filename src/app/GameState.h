// GameState.h -- the process-wide game state every subsystem reads and writes: settings
// shortcuts, game flow, play state and plain references to sprites owned by the engine.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "frontend/Settings.h"

class TGameBack;
class TClosingWindow;
class TMountain;
class THeroSprite;
class TTailSprite;
class TShieldSprite;
class TBonusIndicatorSprite;
class TScaleSprite;
class TMenuItem;
class TMenuBackground;
class TSubBackground;
class THelpImageSprite;

// GameState values.
enum : uint8_t {
    gsMenu = 1, gsPlaying, gsExitDialog, gsDying, gsLevelBanner, gsGameOver, gsPaused,
    gsNameEntry, gsSendPrompt, gsSending, gsSendFailed
};
const char* GameStateName(uint8_t state);

// Settings live in the record; these names read and write its fields.
inline uint8_t& Windowed = Settings.Windowed;
inline uint8_t& MusicOn = Settings.MusicOn;
inline uint8_t& SoundOn = Settings.SoundOn;
inline uint16_t& BossKey = Settings.BossKey;
inline ShortString10& Country = Settings.Country;
inline HighScoreEntry (&HighScores)[10] = Settings.HighScores;

// Game flow.
extern uint8_t GameState;
extern uint8_t ResumeState;
extern uint8_t SavedGameState;
extern uint8_t ReturnScreen;
extern uint8_t MenuScreen;
extern uint8_t SelectedItem;
extern uint8_t MainMenuSelection;
extern bool MainMenuHover;
extern bool MouseOnItem;
extern bool TextEditing;
extern bool KeyLatch;
extern bool ExitConfirmed;
extern uint8_t HelpPage;
extern uint8_t BlinkCounter;
extern const std::array<uint8_t, 10> MenuItemCount; // indexed by MenuScreen 1..9
extern uint16_t NameFieldPos[2];
extern std::string BossKeyName;

// Play state.
extern uint8_t Level;
extern double LevelTime;   // days
extern double LevelLength; // days
extern int32_t BannerTime;
extern int32_t Lives;
extern uint16_t Score;
extern uint8_t ScoreRank;
extern HighScoreEntry NewEntry;
inline ShortString10& PlayerName = NewEntry.Name;
extern int32_t DeathDelay;
extern int32_t WeaponTime;
extern int32_t ShieldTime;
extern int32_t BonusNoticeTime;
extern uint16_t EnemyDelay;
extern uint16_t BonusDelay;
extern uint16_t TreeDelay;
extern uint16_t DayNightDelay;
extern uint16_t ScrollSpeed;
extern uint16_t HeroStep;
extern uint16_t EnemyStep;
extern uint16_t EnemyShotStep;
extern uint16_t HeroShotStep;
extern double HeroSpeedX, HeroSpeedY;
extern uint8_t MouseLeft, MouseRight, MouseDown, MouseUp;
extern bool MouseFire;
extern int32_t MusicHandle;
extern const std::array<const char*, 3> ExplosionNames;

// Sprite references (owned by the sprite engine).
extern TGameBack* GameBack;
extern TClosingWindow* DialogWindow;
extern TMountain* FarMountains1;
extern TMountain* FarMountains2;
extern THeroSprite* Hero;
extern TTailSprite* HeroTail;
extern TShieldSprite* HeroShield;
extern TBonusIndicatorSprite* BonusIndicator;
extern TScaleSprite* ScaleSprite;
extern std::array<TMenuItem*, 7> MenuItems; // slots 1..6
extern std::array<TMenuItem*, 7> MainMenuItems;
extern std::array<TMenuItem*, 7> SavedMenuItems;
extern std::array<TMenuItem*, 7> OptionMarks;
extern TMenuBackground* MenuBackground;
extern TSubBackground* SubBackground;
extern THelpImageSprite* HelpImage;

// One millisecond as a date-time value (days).
constexpr double kOneMs = 1.0 / 86400000.0;

// Resets every global to its initial value (program start; the harness between runs).
void ResetGameState();

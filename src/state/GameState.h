// GameState.h -- the process-wide game state every subsystem reads and writes: settings
// shortcuts, game flow, play state, plain references to sprites owned by the engine, and the
// few other values that outlive a frame (menu layout, score-server override, sound log, seed).
// All of it lives in one struct, so a new game, harness run or test resets it by one
// assignment (ResetGameState); the game's names are references into that one instance.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "state/SettingsRecord.h"
#include "state/SpriteRef.h"

// The sprite classes the global references below point at. They live in world/ and frontend/,
// above this folder: the game's globals name those sprites, so state knows the class names, and
// only through these declarations (it never includes those folders).
class TGameBack;             // upward: a global sprite reference
class TClosingWindow;        // upward: a global sprite reference
class TMountain;             // upward: a global sprite reference
class THeroSprite;           // upward: a global sprite reference
class TTailSprite;           // upward: a global sprite reference
class TShieldSprite;         // upward: a global sprite reference
class TBonusIndicatorSprite; // upward: a global sprite reference
class TScaleSprite;          // upward: a global sprite reference
class TMenuItem;             // upward: a global sprite reference
class TMenuBackground;       // upward: a global sprite reference
class TSubBackground;        // upward: a global sprite reference
class THelpImageSprite;      // upward: a global sprite reference

// Every sprite reference of the global state, once. REF(class, name) is one reference, SLOTS(class,
// name) an array of slots 1..6 (slot 0 unused). The fields, the global names, ForgetSprite and
// ForEachSpriteRef are all made from this list, so a new reference is one line here.
#define SKYVERN_SPRITE_REFS(REF, SLOTS)                                                            \
    REF(TGameBack, GameBack)                                                                       \
    REF(TClosingWindow, DialogWindow)                                                              \
    REF(TMountain, FarMountains1)                                                                  \
    REF(TMountain, FarMountains2)                                                                  \
    REF(THeroSprite, Hero)                                                                         \
    REF(TTailSprite, HeroTail)                                                                     \
    REF(TShieldSprite, HeroShield)                                                                 \
    REF(TBonusIndicatorSprite, BonusIndicator)                                                     \
    REF(TScaleSprite, ScaleSprite)                                                                 \
    SLOTS(TMenuItem, MenuItems)                                                                    \
    SLOTS(TMenuItem, MainMenuItems)                                                                \
    SLOTS(TMenuItem, SavedMenuItems)                                                               \
    SLOTS(TMenuItem, OptionMarks)                                                                  \
    REF(TMenuBackground, MenuBackground)                                                           \
    REF(TSubBackground, SubBackground)                                                             \
    REF(THelpImageSprite, HelpImage)

template <class T> using TSpriteSlots = std::array<TSpriteRef<T>, 7>;

// GameState values.
enum : uint8_t {
    gsMenu = 1,
    gsPlaying,
    gsExitDialog,
    gsDying,
    gsLevelBanner,
    gsGameOver,
    gsPaused,
    gsNameEntry,
    gsSendPrompt,
    gsSending,
    gsSendFailed
};
const char* GameStateName(uint8_t state);

// State sets: the handlers test these, each named once.
// Menu states: the menu keys and the pointer act on the items of MenuScreen.
bool IsMenuState(uint8_t state); // gsMenu, gsExitDialog, gsNameEntry, gsSendPrompt
// Play states: the game keys act (Esc, P, boss key); a close request freezes the game under
// the exit dialog.
bool IsPlayState(uint8_t state); // gsPlaying, gsDying, gsLevelBanner, gsPaused
// Where a pause differs on purpose: P pauses the play states that are not paused yet (P in a
// pause resumes); losing the focus pauses them and the game-over banner too, as it is timed.
bool PausesByKey(uint8_t state);
bool PausesOnFocusLoss(uint8_t state);

// The hover rectangle of a menu item; X and Y also place its picture. All four bounds count.
struct TMenuRect {
    uint16_t X = 0, Y = 0, W = 0, H = 0;
};
using TMenuLayout = std::array<std::array<TMenuRect, 7>, 10>;
// The front end's layout table as the game starts, by MenuScreen 1..9 and item 1..6.
TMenuLayout InitialMenuLayout();

// One millisecond as a date-time value (days).
constexpr double kOneMs = 1.0 / 86400000.0;

struct TGameGlobals {
    TSettings Settings;

    // Game flow.
    uint8_t GameState = 0;
    uint8_t ResumeState = 0;
    uint8_t SavedGameState = 0;
    uint8_t ReturnScreen = 0;
    uint8_t MenuScreen = 1;
    uint8_t SelectedItem = 0;
    uint8_t MainMenuSelection = 0;
    bool MainMenuHover = false;
    bool MouseOnItem = false;
    bool TextEditing = false;
    bool KeyLatch = false;
    bool ExitConfirmed = false;
    uint8_t HelpPage = 1;
    uint8_t BlinkCounter = 0;
    uint16_t NameFieldPos[2] = {260, 320};
    std::string BossKeyName;
    // SelectedItem when the exit dialog opened: "no" returns to it.
    uint8_t SavedSelectedItem = 0;
    // The sizes of items shown by a picture are written when the item's sprite is made.
    TMenuLayout MenuLayout = InitialMenuLayout();

    // Play state.
    uint8_t Level = 1;
    double LevelTime = 0;                // days
    double LevelLength = 60000 * kOneMs; // days
    int32_t BannerTime = 1500;
    int32_t Lives = 3;
    uint16_t Score = 0;
    uint8_t ScoreRank = 11;
    HighScoreEntry NewEntry;
    int32_t DeathDelay = 0;
    int32_t WeaponTime = 0;
    int32_t ShieldTime = 0;
    int32_t BonusNoticeTime = 0;
    uint16_t EnemyDelay = 0;
    uint16_t BonusDelay = 0;
    uint16_t TreeDelay = 0;
    uint16_t DayNightDelay = 5000;
    uint16_t ScrollSpeed = 1;
    uint16_t HeroStep = 8;
    uint16_t EnemyStep = 5;
    uint16_t EnemyShotStep = 10;
    uint16_t HeroShotStep = 10;
    double HeroSpeedX = 0, HeroSpeedY = 0;
    uint8_t MouseLeft = 0, MouseRight = 0, MouseDown = 0, MouseUp = 0;
    bool MouseFire = false;
    int32_t MusicHandle = 0;

    // Sprite references (owned by the sprite engine; ForgetSprite drops them as it frees).
#define SKYVERN_REF_FIELD(T, name) TSpriteRef<T> name;
#define SKYVERN_SLOTS_FIELD(T, name) TSpriteSlots<T> name{};
    SKYVERN_SPRITE_REFS(SKYVERN_REF_FIELD, SKYVERN_SLOTS_FIELD)
#undef SKYVERN_REF_FIELD
#undef SKYVERN_SLOTS_FIELD

    // The game's random generator (state/Random.h) and the seed the harness fixes.
    uint32_t RandSeed = 0;
    std::optional<uint32_t> ForcedClockSeed;
    // The score server's base address for this run; empty = the built-in address.
    std::string ScoreServerOverride;
    // Sound effects asked for since the harness last took them.
    std::vector<std::string> SoundsPlayed;
};

extern TGameGlobals Globals;

// Every global back to its initial value (program start; the harness between runs).
void ResetGameState();
// The one rule for freed sprites: every reference and array slot above that points at `freed`
// becomes empty. The sprite engine calls it for each sprite it frees (TSpriteEngine::OnFree),
// so no reference outlives its sprite, whichever way the sprite goes (Kill, FreeChildren).
void ForgetSprite(const TSprite* freed);
// Calls visit(TSprite*) for every sprite reference and array slot of the global state, set or
// empty (an empty one gives nullptr). For checks that want to see them all.
template <class Visit> void ForEachSpriteRef(Visit&& visit) {
#define SKYVERN_REF_VISIT(T, name) visit(Globals.name.Base());
#define SKYVERN_SLOTS_VISIT(T, name)                                                               \
    for (auto& slot : Globals.name)                                                                \
        visit(slot.Base());
    SKYVERN_SPRITE_REFS(SKYVERN_REF_VISIT, SKYVERN_SLOTS_VISIT)
#undef SKYVERN_REF_VISIT
#undef SKYVERN_SLOTS_VISIT
}

// The settings record and its fields by their own names.
inline TSettings& Settings = Globals.Settings;
inline uint8_t& Windowed = Globals.Settings.Windowed;
inline uint8_t& MusicOn = Globals.Settings.MusicOn;
inline uint8_t& SoundOn = Globals.Settings.SoundOn;
inline uint16_t& BossKey = Globals.Settings.BossKey;
inline ShortString10& Country = Globals.Settings.Country;
inline HighScoreEntry (&HighScores)[10] = Globals.Settings.HighScores;

// Game flow.
inline uint8_t& GameState = Globals.GameState;
inline uint8_t& ResumeState = Globals.ResumeState;
inline uint8_t& SavedGameState = Globals.SavedGameState;
inline uint8_t& ReturnScreen = Globals.ReturnScreen;
inline uint8_t& MenuScreen = Globals.MenuScreen;
inline uint8_t& SelectedItem = Globals.SelectedItem;
inline uint8_t& MainMenuSelection = Globals.MainMenuSelection;
inline bool& MainMenuHover = Globals.MainMenuHover;
inline bool& MouseOnItem = Globals.MouseOnItem;
inline bool& TextEditing = Globals.TextEditing;
inline bool& KeyLatch = Globals.KeyLatch;
inline bool& ExitConfirmed = Globals.ExitConfirmed;
inline uint8_t& HelpPage = Globals.HelpPage;
inline uint8_t& BlinkCounter = Globals.BlinkCounter;
// Indexed by MenuScreen 1..9.
constexpr std::array<uint8_t, 10> MenuItemCount = {0, 6, 6, 3, 3, 2, 2, 0, 4, 2};
inline uint16_t (&NameFieldPos)[2] = Globals.NameFieldPos;
inline std::string& BossKeyName = Globals.BossKeyName;
inline uint8_t& SavedSelectedItem = Globals.SavedSelectedItem;
inline TMenuLayout& MenuLayout = Globals.MenuLayout;

// Play state.
inline uint8_t& Level = Globals.Level;
inline double& LevelTime = Globals.LevelTime;
inline double& LevelLength = Globals.LevelLength;
inline int32_t& BannerTime = Globals.BannerTime;
inline int32_t& Lives = Globals.Lives;
inline uint16_t& Score = Globals.Score;
inline uint8_t& ScoreRank = Globals.ScoreRank;
inline HighScoreEntry& NewEntry = Globals.NewEntry;
inline ShortString10& PlayerName = Globals.NewEntry.Name;
inline int32_t& DeathDelay = Globals.DeathDelay;
inline int32_t& WeaponTime = Globals.WeaponTime;
inline int32_t& ShieldTime = Globals.ShieldTime;
inline int32_t& BonusNoticeTime = Globals.BonusNoticeTime;
inline uint16_t& EnemyDelay = Globals.EnemyDelay;
inline uint16_t& BonusDelay = Globals.BonusDelay;
inline uint16_t& TreeDelay = Globals.TreeDelay;
inline uint16_t& DayNightDelay = Globals.DayNightDelay;
inline uint16_t& ScrollSpeed = Globals.ScrollSpeed;
inline uint16_t& HeroStep = Globals.HeroStep;
inline uint16_t& EnemyStep = Globals.EnemyStep;
inline uint16_t& EnemyShotStep = Globals.EnemyShotStep;
inline uint16_t& HeroShotStep = Globals.HeroShotStep;
inline double& HeroSpeedX = Globals.HeroSpeedX;
inline double& HeroSpeedY = Globals.HeroSpeedY;
inline uint8_t& MouseLeft = Globals.MouseLeft;
inline uint8_t& MouseRight = Globals.MouseRight;
inline uint8_t& MouseDown = Globals.MouseDown;
inline uint8_t& MouseUp = Globals.MouseUp;
inline bool& MouseFire = Globals.MouseFire;
inline int32_t& MusicHandle = Globals.MusicHandle;
constexpr std::array<const char*, 3> ExplosionNames = {"fireballexplosion", "herokill",
                                                       "enemykill"};

// Sprite references.
#define SKYVERN_REF_ALIAS(T, name) inline TSpriteRef<T>& name = Globals.name;
#define SKYVERN_SLOTS_ALIAS(T, name) inline TSpriteSlots<T>& name = Globals.name;
SKYVERN_SPRITE_REFS(SKYVERN_REF_ALIAS, SKYVERN_SLOTS_ALIAS)
#undef SKYVERN_REF_ALIAS
#undef SKYVERN_SLOTS_ALIAS

inline std::string& ScoreServerOverride = Globals.ScoreServerOverride;

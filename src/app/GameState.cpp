// GameState.cpp -- storage and initial values of the process-wide game state.
#include "app/GameState.h"

TSettings Settings;

uint8_t GameState, ResumeState, SavedGameState, ReturnScreen, MenuScreen, SelectedItem,
    MainMenuSelection;
bool MainMenuHover, MouseOnItem, TextEditing, KeyLatch, ExitConfirmed;
uint8_t HelpPage, BlinkCounter;
const std::array<uint8_t, 10> MenuItemCount = {0, 6, 6, 3, 3, 2, 2, 0, 4, 2};
uint16_t NameFieldPos[2];
std::string BossKeyName;

uint8_t Level;
double LevelTime, LevelLength;
int32_t BannerTime, Lives;
uint16_t Score;
uint8_t ScoreRank;
HighScoreEntry NewEntry;
int32_t DeathDelay, WeaponTime, ShieldTime, BonusNoticeTime;
uint16_t EnemyDelay, BonusDelay, TreeDelay, DayNightDelay, ScrollSpeed, HeroStep, EnemyStep,
    EnemyShotStep, HeroShotStep;
double HeroSpeedX, HeroSpeedY;
uint8_t MouseLeft, MouseRight, MouseDown, MouseUp;
bool MouseFire;
int32_t MusicHandle;
const std::array<const char*, 3> ExplosionNames = {"fireballexplosion", "herokill", "enemykill"};

TGameBack* GameBack;
TClosingWindow* DialogWindow;
TMountain *FarMountains1, *FarMountains2;
THeroSprite* Hero;
TTailSprite* HeroTail;
TShieldSprite* HeroShield;
TBonusIndicatorSprite* BonusIndicator;
TScaleSprite* ScaleSprite;
std::array<TMenuItem*, 7> MenuItems, MainMenuItems, SavedMenuItems, OptionMarks;
TMenuBackground* MenuBackground;
TSubBackground* SubBackground;
THelpImageSprite* HelpImage;

void ShortString10::Assign(const std::string& s) {
    Length = uint8_t(s.size() > 10 ? 10 : s.size());
    for (int i = 0; i < Length; ++i) Chars[i] = s[i];
}

const char* GameStateName(uint8_t state) {
    static const char* const names[] = {"none",         "gsMenu",      "gsPlaying",
                                        "gsExitDialog", "gsDying",     "gsLevelBanner",
                                        "gsGameOver",   "gsPaused",    "gsNameEntry",
                                        "gsSendPrompt", "gsSending",   "gsSendFailed"};
    return state < std::size(names) ? names[state] : "unknown";
}

void ResetGameState() {
    Settings = TSettings{};
    GameState = 0;
    ResumeState = SavedGameState = ReturnScreen = 0;
    MenuScreen = 1;
    SelectedItem = MainMenuSelection = 0;
    MainMenuHover = MouseOnItem = TextEditing = KeyLatch = ExitConfirmed = false;
    HelpPage = 1;
    BlinkCounter = 0;
    NameFieldPos[0] = 260;
    NameFieldPos[1] = 320;
    BossKeyName.clear();
    Level = 1;
    LevelTime = 0;
    LevelLength = 60000 * kOneMs;
    BannerTime = 1500;
    Lives = 3;
    Score = 0;
    ScoreRank = 11;
    NewEntry = HighScoreEntry{};
    DeathDelay = WeaponTime = ShieldTime = BonusNoticeTime = 0;
    EnemyDelay = BonusDelay = TreeDelay = 0;
    DayNightDelay = 5000;
    ScrollSpeed = 1;
    HeroStep = 8;
    EnemyStep = 5;
    EnemyShotStep = 10;
    HeroShotStep = 10;
    HeroSpeedX = HeroSpeedY = 0;
    MouseLeft = MouseRight = MouseDown = MouseUp = 0;
    MouseFire = false;
    MusicHandle = 0;
    GameBack = nullptr;
    DialogWindow = nullptr;
    FarMountains1 = FarMountains2 = nullptr;
    Hero = nullptr;
    HeroTail = nullptr;
    HeroShield = nullptr;
    BonusIndicator = nullptr;
    ScaleSprite = nullptr;
    MenuItems = MainMenuItems = SavedMenuItems = OptionMarks = {};
    MenuBackground = nullptr;
    SubBackground = nullptr;
    HelpImage = nullptr;
}

namespace {
// Globals start at their initial values before main runs.
struct InitialState {
    InitialState() { ResetGameState(); }
} initialState;
} // namespace

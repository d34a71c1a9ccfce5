// GameState.cpp -- the one instance of the process-wide game state.
#include "state/GameState.h"

TGameGlobals Globals;

void ResetGameState() {
    Globals = TGameGlobals{};
}

void ForgetSprite(const TSprite* freed) {
    // One sprite can stand in several arrays at once (MenuItems copied to MainMenuItems), so
    // every slot is looked at.
#define SKYVERN_REF_FORGET(T, name) Globals.name.Forget(freed);
#define SKYVERN_SLOTS_FORGET(T, name)                                                              \
    for (auto& slot : Globals.name)                                                                \
        slot.Forget(freed);
    SKYVERN_SPRITE_REFS(SKYVERN_REF_FORGET, SKYVERN_SLOTS_FORGET)
#undef SKYVERN_REF_FORGET
#undef SKYVERN_SLOTS_FORGET
}

TMenuLayout InitialMenuLayout() {
    // clang-format off
    return {{
        {},
        {{{}, {50, 190, 0, 0}, {50, 241, 0, 0}, {50, 295, 0, 0}, {50, 348, 0, 0}, {50, 399, 0, 0},
          {50, 451, 0, 0}}},
        {{{}, {454, 185, 300, 40}, {454, 240, 130, 40}, {454, 295, 130, 40}, {535, 350, 210, 30},
          {470, 405, 130, 30}, {318, 504, 0, 0}}},
        {{{}, {317, 470, 0, 0}, {547, 471, 0, 0}, {318, 504, 0, 0}}},
        {{{}, {320, 473, 0, 0}, {711, 474, 0, 0}, {318, 504, 0, 0}}},
        {{{}, {301, 386, 0, 0}, {420, 386, 0, 0}}},
        {{{}, {301, 386, 0, 0}, {420, 386, 0, 0}}},
        {},
        {{{}, {301, 386, 0, 0}, {420, 386, 0, 0}, {330, 260, 200, 18}, {350, 320, 200, 18}}},
        {{{}, {301, 386, 30, 18}, {420, 386, 67, 18}}},
    }};
    // clang-format on
}

void ShortString10::Assign(const std::string& s) {
    Length = uint8_t(s.size() > 10 ? 10 : s.size());
    for (int i = 0; i < Length; ++i)
        Chars[i] = s[i];
}

bool IsMenuState(uint8_t s) {
    return s == gsMenu || s == gsExitDialog || s == gsNameEntry || s == gsSendPrompt;
}

bool IsPlayState(uint8_t s) {
    return s == gsPlaying || s == gsDying || s == gsLevelBanner || s == gsPaused;
}

bool PausesByKey(uint8_t s) {
    return IsPlayState(s) && s != gsPaused;
}

bool PausesOnFocusLoss(uint8_t s) {
    return PausesByKey(s) || s == gsGameOver;
}

const char* GameStateName(uint8_t state) {
    static const char* const names[] = {
        "none",       "gsMenu",   "gsPlaying",   "gsExitDialog", "gsDying",   "gsLevelBanner",
        "gsGameOver", "gsPaused", "gsNameEntry", "gsSendPrompt", "gsSending", "gsSendFailed"};
    return state < std::size(names) ? names[state] : "unknown";
}

// Five writes the check must find, between reads it must let pass.
void Writes() {
    GameState = gsDying;
    GameState |= 1;
    ++GameState;
    uint8_t& state = GameState;
    uint8_t* where = &Globals.GameState;
}

void Reads() {
    if (GameState == gsPlaying && GameState != gsDying) Level = 2;
    if (GameState <= gsMenu || GameState >= gsPaused) Level = 3;
    const uint8_t& seen = GameState;
    SavedGameState = GameState; // GameState = gsMenu in a comment is no write
    Print(GameStateName(GameState));
}

// The flow itself may write the state.
void SetGameState(uint8_t state) {
    GameState = state;
}

// A test that copies a rule instead of calling the flow.
void Resume() {
    GameState = ResumeState;
}

// FlowHost.h -- what the world, the score exchange and the front end ask of the game's flow:
// every change of GameState they start, and the moves that switch the main form's timers,
// music, display or window. The flow (app/GameFlow.cpp) is the one writer of GameState; these
// callers reach it here, through the world context, so no arrow points up to the app.
#pragma once

class TFlowHost {
  public:
    // Changes of state the world and the score exchange start.
    virtual void HeroDied() = 0;        // the hero's health ran out: the dying delay
    virtual void ShowLevelBanner() = 0; // a new game or the next level: its banner
    virtual void SendStarted() = 0;     // the score exchange has begun
    virtual void SendFailed() = 0;      // it failed: the notice, then the prompt again
    virtual void SendAnswered() = 0;    // the server took the result
    virtual void OfferSend() = 0;       // name entry stored: the send prompt

    // The front end's moves.
    virtual void StartGame() = 0;          // the main menu's start item
    virtual void ReturnToFrontEnd() = 0;   // name entry skipped
    virtual void ReturnToHighScores() = 0; // the send prompt answered no
    virtual void SendResult() = 0;         // the send prompt answered yes
    virtual void AnswerExitYes() = 0;      // the exit dialog's answers
    virtual void AnswerExitNo() = 0;
    virtual void Close() = 0;      // as the window's close box: FormClose decides
    virtual void ChangeMode() = 0; // window or full screen, after Windowed changed

  protected:
    ~TFlowHost() = default;
};

// The front end's name for its host: the same interface.
using TFrontEndHost = TFlowHost;

// TestFlowHost.h -- the host of a world or a front end run without a main form: the changes of
// state go to the game's own flow (app/GameFlow.h), the moves that need the form's timers or
// window are recorded by name for the test to check.
#pragma once

#include <string>
#include <vector>

#include "app/GameFlow.h"
#include "state/FlowHost.h"

struct TestFlowHost : TFlowHost {
    std::vector<std::string> calls; // the form's moves asked for, in order

    void HeroDied() override { ::HeroDied(); }
    void ShowLevelBanner() override { ::ShowLevelBanner(); }
    void SendStarted() override { ::SendStarted(); }
    void SendFailed() override { ::SendFailed(); }
    void SendAnswered() override { ::SendAnswered(); }
    void OfferSend() override { ::OfferSend(); }

    void StartGame() override { calls.push_back("StartGame"); }
    void ReturnToFrontEnd() override { calls.push_back("ReturnToFrontEnd"); }
    void ReturnToHighScores() override { calls.push_back("ReturnToHighScores"); }
    void AnswerExitYes() override { calls.push_back("AnswerExitYes"); }
    void AnswerExitNo() override { calls.push_back("AnswerExitNo"); }
    void SendResult() override { calls.push_back("SendResult"); }
    void Close() override { calls.push_back("Close"); }
    void ChangeMode() override { calls.push_back("ChangeMode"); }
};

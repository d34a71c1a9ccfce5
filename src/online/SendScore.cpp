// SendScore.cpp -- the score exchange: the version query for a one-time value, then the
// encoded result. Both requests block the game, as designed; a waiting frame shows meanwhile.
#include "online/SendScore.h"

#include "state/GameState.h"
#include "app/MainForm.h"
#include "online/ScoreCodec.h"
#include "online/ScoreServer.h"

namespace {
bool StartsWithOK(const std::string& reply) { return reply.size() >= 2 && reply.compare(0, 2, "OK") == 0; }

void Failed() {
    BannerTime = 1500;
    GameState = gsSendFailed;
}
} // namespace

void SendScore() {
    TmainForm& form = *mainForm;
    // No frame runs while the requests block: show one now.
    if (form.DXDraw.CanDraw()) {
        TDirectDrawSurface& back = form.DXDraw.BackSurface();
        back.Fill(0);
        form.DXSpriteEngine1.DrawAll();
        TDirectDrawSurfaceCanvas& canvas = back.Canvas();
        canvas.Font.Color = clRed;
        canvas.TextOut(330, 220, "Please Wait...");
        back.ReleaseCanvas();
        form.DXDraw.Flip();
    }
    GameState = gsSending;

    const std::string base = ScoreServerBase();
    std::string reply;
    try {
        reply = form.IdHTTP1.Get(base + "cgi/version.pl?version&prg=Skyvern");
    } catch (const EIdHTTPError&) {
        reply.clear();
    }
    if (!StartsWithOK(reply)) return Failed();

    const std::string record =
        BuildScoreRecord(PlayerName.Str(), Score, ExtractVersionToken(reply), Country.Str());
    const std::string encoded = BitsToSymbols(TextToBits(record));
    try {
        reply = form.IdHTTP1.Get(base + "cgi/version.pl?hs&prg=Skyvern&inf=" + encoded);
    } catch (const EIdHTTPError&) {
        reply.clear();
    }
    if (!StartsWithOK(reply)) return Failed();
    GameState = gsSendPrompt;
    SelectedItem = 2;
    DoMenuAction();
}

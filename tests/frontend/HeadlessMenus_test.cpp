// HeadlessMenus_test.cpp -- the front end built on the world context alone, with no main form:
// its screens, the pointer over them, and what it asks of its host for each action that leaves
// the front end's own reach.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/GameFlow.h"
#include "frontend/FrontEnd.h"
#include "frontend/HelpImage.h"
#include "state/GameState.h"
#include "support/HeadlessWorld.h"

namespace {

struct HeadlessMenus : testing::Test {
    HeadlessWorld w{"menu.dxg"};
    TestFlowHost& host = w.host; // records what the front end asks of the main form
    HeadlessMenus() {
        SetGameState(gsMenu);
        frontend::CreateMenuField();
    }
    void Act(uint8_t screen, uint8_t item) {
        MenuScreen = screen;
        SelectedItem = item;
        DoMenuAction();
    }
};

TEST_F(HeadlessMenus, TheFrontEndStartsOnTheMainMenu) {
    EXPECT_EQ(MenuScreen, 1);
    EXPECT_EQ(SelectedItem, 1);
    ASSERT_TRUE(MenuBackground && DialogWindow);
    EXPECT_FALSE(DialogWindow->Shown);
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(MainMenuItems[i]) << i;
        EXPECT_EQ(MainMenuItems[i]->Shown, i == 1) << "only the selected entry is lit";
    }
    EXPECT_EQ(w.Count("TMenuItem"), 6);
}

TEST_F(HeadlessMenus, ActionsBeyondTheFrontEndGoToTheHost) {
    struct {
        uint8_t gameState, screen, item;
        const char* call;
    } cases[] = {{gsMenu, 1, 1, "StartGame"},
                 {gsMenu, 1, 6, "Close"},
                 {gsNameEntry, 8, 2, "ReturnToFrontEnd"},
                 {gsSendPrompt, 9, 1, "SendResult"},
                 {gsSendPrompt, 9, 2, "ReturnToHighScores"},
                 {gsExitDialog, 5, 1, "AnswerExitYes"},
                 {gsExitDialog, 5, 2, "AnswerExitNo"}};
    for (const auto& c : cases) {
        host.calls.clear();
        SetGameState(c.gameState);
        Act(c.screen, c.item);
        EXPECT_EQ(host.calls, std::vector<std::string>{c.call})
            << "screen " << int(c.screen) << " item " << int(c.item);
    }
}

TEST_F(HeadlessMenus, SubScreensOpenOnTheContextWithoutTheHost) {
    Act(1, 4); // help
    EXPECT_EQ(MenuScreen, 4);
    ASSERT_TRUE(HelpImage && SubBackground);
    EXPECT_EQ(HelpImage->PictureItem, &Pictures().Items(24));
    Act(4, 2); // next page
    EXPECT_EQ(HelpPage, 2);
    EXPECT_EQ(HelpImage->PictureItem, &Pictures().Items(25));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(w.sounds.size(), 2u) << "a click for each action";
}

TEST_F(HeadlessMenus, ThePointerSelectsTheEntryUnderIt) {
    const TMenuRect r = MenuLayout[1][3];
    frontend::MouseMove(r.X + 1, r.Y + 1);
    EXPECT_EQ(SelectedItem, 3);
    EXPECT_TRUE(MainMenuItems[3]->Shown);
    EXPECT_FALSE(MainMenuItems[1]->Shown);
    frontend::Click(); // the high-score screen
    EXPECT_EQ(MenuScreen, 3);
    EXPECT_TRUE(host.calls.empty());
}

} // namespace

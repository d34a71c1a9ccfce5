// SendScore_test.cpp -- the score exchange from the send prompt against the reference server:
// success ends on the high-score screen with the row stored; a server that is down or answers
// with an error page shows the notice for 1500 ms and brings the prompt back.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <thread>

#include "ScoreServer.h"
#include "ScoreStore.h"
#include "app/GameFlow.h"
#include "app/Harness.h"
#include "app/MainForm.h"
#include "frontend/FrontEndScenario.h"
#include "state/GameState.h"
#include "support/GameDir.h"
#include "support/Wait.h"

namespace {

// The reference server on a free loopback port with a database of its own.
struct RunningServer {
    TempGameDir dir{false};
    scores::ScoreStore store{(dir / "scores.db").string()};
    scores::ScoreServer server{store, "test"};
    std::thread thread;
    int port = 0;
    RunningServer() {
        port = server.Http().bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.Http().listen_after_bind(); });
        if (!WaitFor([this] { return server.Http().is_running(); }))
            ADD_FAILURE() << "the reference server did not start";
    }
    ~RunningServer() {
        server.Http().stop();
        thread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }
};

// A game waiting at the send prompt with a stored entry, as after name entry. An empty server
// leaves out the harness's "server" line.
struct SendPrompt {
    TempGameDir dir;
    THarness h{{.seed = 3, .workdir = dir.Path()}};
    explicit SendPrompt(const std::string& server) {
        h.Frames(2);
        if (!server.empty()) {
            EXPECT_TRUE(h.RunLine("server " + server));
        }
        TmainForm& f = h.Form();
        f.DXTimer1.SetEnabled(false);
        f.DXTimer2.SetEnabled(true);
        SetGameState(gsSendPrompt);
        MenuScreen = 9;
        SelectedItem = 1;
        PlayerName.Assign("Bob");
        Country.Assign("Iceland");
        Score = 1234;
    }
};

TEST(SendScore, ReachesTheServerAndEndsOnTheHighScoreScreen) {
    RunningServer server;
    SendPrompt game(server.Url());
    ASSERT_TRUE(game.h.RunLine("key press 13")); // send
    game.h.Frames(2);
    EXPECT_EQ(game.h.Field("GameState"), "gsMenu");
    EXPECT_EQ(game.h.Field("MenuScreen"), "3");
    auto rows = server.store.Best(10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Bob");
    EXPECT_EQ(rows[0].score, 1234);
    EXPECT_EQ(rows[0].country, "Iceland");
}

// SKYVERN_SCORE_SERVER for one test.
struct ServerFromTheEnvironment {
    explicit ServerFromTheEnvironment(const std::string& url) {
        setenv("SKYVERN_SCORE_SERVER", url.c_str(), 1);
    }
    ~ServerFromTheEnvironment() { unsetenv("SKYVERN_SCORE_SERVER"); }
};

TEST(SendScore, TheEnvironmentNamesAnotherServerWithoutARebuild) {
    RunningServer server;
    std::string url = server.Url();
    url.pop_back(); // as a player may write it, without the last "/"
    ServerFromTheEnvironment env(url);
    SendPrompt game("");
    ASSERT_TRUE(game.h.RunLine("key press 13")); // send
    game.h.Frames(2);
    EXPECT_EQ(game.h.Field("GameState"), "gsMenu");
    ASSERT_EQ(server.store.Best(10).size(), 1u);
}

TEST(SendScore, TheHarnessServerLineWinsOverTheEnvironment) {
    RunningServer server;
    int gonePort;
    {
        RunningServer gone;
        gonePort = gone.port;
    }
    ServerFromTheEnvironment env("http://127.0.0.1:" + std::to_string(gonePort) + "/");
    SendPrompt game(server.Url());
    ASSERT_TRUE(game.h.RunLine("key press 13"));
    game.h.Frames(2);
    EXPECT_EQ(game.h.Field("GameState"), "gsMenu");
    ASSERT_EQ(server.store.Best(10).size(), 1u);
}

TEST(SendScore, AnErrorPageFromTheServerIsAFailure) {
    // Answers the version query like the real server and everything else with an error page.
    httplib::Server fake;
    fake.Get("/cgi/version.pl", [](const httplib::Request& req, httplib::Response& res) {
        if (req.has_param("version"))
            res.set_content("OK|fake|1|x|TOKENTOKENTOKEN2|", "text/plain");
        else
            res.set_content("<html>Internal error</html>", "text/html");
    });
    int port = fake.bind_to_any_port("127.0.0.1");
    std::thread t([&] { fake.listen_after_bind(); });
    ASSERT_TRUE(WaitFor([&] { return fake.is_running(); })) << "the fake server did not start";
    {
        SendPrompt game("http://127.0.0.1:" + std::to_string(port) + "/");
        game.h.RunLine("key press 13");
        game.h.Frames(1);
        EXPECT_EQ(game.h.Field("GameState"), "gsSendFailed");
    }
    fake.stop();
    t.join();
}

TEST(SendScore, AServerThatIsDownShowsTheNoticeThenThePromptAgain) {
    int port;
    {
        RunningServer gone; // take a free port, then close it
        port = gone.port;
    }
    SendPrompt game("http://127.0.0.1:" + std::to_string(port) + "/");
    game.h.RunLine("key press 13");
    game.h.Frames(1);
    EXPECT_EQ(game.h.Field("GameState"), "gsSendFailed");
    // 1500 ms of 16 ms frames: the notice stays 93 more frames after the first.
    game.h.Frames(92);
    EXPECT_EQ(game.h.Field("GameState"), "gsSendFailed");
    game.h.Frames(1);
    EXPECT_EQ(game.h.Field("GameState"), "gsSendPrompt");
}

// The whole way: a game played to name entry, the name stored and sent, the row on the world
// page, the game back on its high-score screen.
class SendAfterAGame : public FrontEndScenario {
  protected:
    void SetUp() override {
        h = std::make_unique<THarness>(THarness::Options{.seed = 3, .workdir = dir.Path()});
        Run({"frames 1", "server " + server.Url()});
    }
    RunningServer server;
};

TEST_F(SendAfterAGame, TheRowReachesTheWorldPage) {
    Press(kEnter); // start game
    FramesUntil("gsPlaying", 100);
    Run({"key down 17"}); // fire, sweeping up and down until the score ranks
    for (int i = 0; i < 100 && N("Score") <= 100 && F("GameState") != "gsGameOver"; ++i)
        Run({(i / 3) % 2 == 0 ? "key down 38" : "key down 40", "frames 20", "key up 38",
             "key up 40", "key down 39", "frames 8", "key up 39", "frames 20"});
    ASSERT_GT(N("Score"), 100);
    Run({"key up 17"});
    for (int i = 0; i < 5000 && F("GameState") != "gsNameEntry"; ++i)
        Run({"frames 1"});
    ASSERT_EQ(F("GameState"), "gsNameEntry");
    const int score = N("Score");
    Run({"type Aodh", "frames 1"});
    Press(kEnter); // store from the name field
    ASSERT_EQ(F("GameState"), "gsSendPrompt");
    Press(kEnter); // send
    Run({"frames 2"});
    EXPECT_EQ(F("GameState"), "gsMenu");
    EXPECT_EQ(N("MenuScreen"), 3);
    auto rows = server.store.Best(10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Aodh");
    EXPECT_EQ(rows[0].score, score);
    const std::string page = server.server.WorldPageHtml();
    EXPECT_NE(page.find("Aodh"), std::string::npos);
    EXPECT_NE(page.find(std::to_string(score)), std::string::npos);
}

} // namespace

// ScoresProcess_test.cpp -- the skyvern-scores program: start-up, a stored score, SIGTERM.
#include "ScoreStore.h"

#include "ScoresProcess.h"
#include "ServerTestUtil.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

TEST(ScoresProcessTest, KeepsACommittedScoreAcrossSigterm) {
    TempDir dir;
    const std::string db = dir.File("world.db");
    ScoresProcess process({"--listen", "127.0.0.1:0", "--db", db, "--create-db"});
    ASSERT_GT(process.Pid(), 0);
    std::string line = process.FirstLine();
    const std::string prefix =
        std::string("skyvern-scores ") + SKYVERN_VERSION + " listening on 127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    int port = std::stoi(line.substr(prefix.size()));

    httplib::Client client("127.0.0.1", port);
    auto version = client.Get("/cgi/version.pl?version&prg=Skyvern");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->body.rfind(std::string("OK|skyvern-scores|") + SKYVERN_VERSION + "|", 0),
              0u);
    std::string inf = GameSubmission("Kept", 4321, ExtractVersionToken(version->body), "Here");
    auto submitted = client.Get(("/cgi/version.pl?hs&prg=Skyvern&inf=" + inf).c_str());
    ASSERT_TRUE(submitted);
    EXPECT_EQ(submitted->body, "OK");

    ASSERT_EQ(kill(process.Pid(), SIGTERM), 0);
    EXPECT_EQ(process.Wait(), 0);
    // A clean close folds the log back into the database file.
    EXPECT_FALSE(std::filesystem::exists(db + "-wal"));

    scores::ScoreStore store(db);
    EXPECT_EQ(store.JournalMode(), "wal");
    auto rows = store.Best(10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Kept");
    EXPECT_EQ(rows[0].score, 4321);
    EXPECT_EQ(rows[0].country, "Here");
}

TEST(ScoresProcessTest, RefusesBadOptions) {
    const std::vector<std::vector<std::string>> cases = {
        {"--listen", "127.0.0.1"},
        {"--listen", "127.0.0.1:99999"},
        {"--listen", ":8642"},
        {"--db"},
        {"--port", "1"},
        {"--threads", "0"},
        {"--rate-limit", "x"},
        {"--idle-timeout", "-1"},
        {"--workers", "0"},
        {"--workers", "257"},
        {"--trusted-proxy", "proxy.example.org"},
        {"--trusted-proxy", "10.0.0.0/40"},
        {"--connections-per-address", "0"},
        {"--header-timeout", "0"},
    };
    for (const auto& args : cases) {
        ScoresProcess process(args);
        ASSERT_GT(process.Pid(), 0);
        EXPECT_EQ(process.Wait(), 2) << args[0];
    }
}

// A service's first start makes its database; a later start with the file gone refuses.
TEST(ScoresProcessTest, CreateOnceMakesTheFirstDatabaseAndNeverAReplacement) {
    TempDir dir;
    const std::string db = dir.File("scores.db");
    {
        ScoresProcess first({"--listen", "127.0.0.1:0", "--db", db, "--create-db-once"});
        ASSERT_GT(first.Port(), 0);
        ASSERT_EQ(kill(first.Pid(), SIGTERM), 0);
        EXPECT_EQ(first.Wait(), 0);
    }
    EXPECT_TRUE(std::filesystem::exists(db));
    EXPECT_TRUE(std::filesystem::exists(db + ".made"));
    {
        ScoresProcess again({"--listen", "127.0.0.1:0", "--db", db, "--create-db-once"});
        ASSERT_GT(again.Port(), 0);
        ASSERT_EQ(kill(again.Pid(), SIGTERM), 0);
        EXPECT_EQ(again.Wait(), 0);
    }
    std::filesystem::remove(db);
    ScoresProcess lost({"--listen", "127.0.0.1:0", "--db", db, "--create-db-once"});
    EXPECT_EQ(lost.Wait(), 1);
    EXPECT_FALSE(std::filesystem::exists(db));
}

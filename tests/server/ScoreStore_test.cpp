// ScoreStore_test.cpp -- the store on SQLite and on PostgreSQL: schema, token key, used tokens,
// the attempt counter; and taking over a database of the first release.
#include "ScoreStore.h"

#include "ServerTestUtil.h"
#include "TestPostgres.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ScoreStoreTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (GetParam() == "postgresql") {
            SKIP_WITHOUT_POSTGRES();
            db_ = TestPostgres::Get().NewDatabase();
        } else {
            db_ = dir_.File("scores.db");
        }
    }
    void TearDown() override {
        if (GetParam() == "postgresql" && !db_.empty()) TestPostgres::Get().DropDatabase(db_);
    }

    TempDir dir_;
    std::string db_;
};

TEST_P(ScoreStoreTest, SchemaRowsAndTokenKeyOutliveTheProcess) {
    std::string key;
    {
        scores::ScoreStore store(db_);
        EXPECT_EQ(store.SchemaVersion(), 3);
        key = store.TokenKey();
        EXPECT_EQ(key.size(), 32u);
        EXPECT_EQ(store.TokenKey(), key);
        store.Add({"Kept", 10, "Here", 1});
    }
    scores::ScoreStore again(db_);
    EXPECT_EQ(again.SchemaVersion(), 3);
    EXPECT_EQ(again.TokenKey(), key) << "a new key would void every token handed out";
    ASSERT_EQ(again.Count(), 1);
    EXPECT_EQ(again.Best(1)[0].name, "Kept");
}

TEST_P(ScoreStoreTest, ATokenStoresOneRowUntilItIsForgottenAfterExpiry) {
    scores::ScoreStore store(db_);
    const std::uint64_t before = store.Generation();
    EXPECT_TRUE(store.StoreWithToken("TOKENA", 5000, {"A", 1, "", 1}));
    EXPECT_NE(store.Generation(), before);
    EXPECT_FALSE(store.StoreWithToken("TOKENA", 5000, {"B", 2, "", 1}));
    EXPECT_TRUE(store.StoreWithToken("TOKENB", 5000, {"C", 3, "", 1}));
    EXPECT_EQ(store.Count(), 2);
    // Purging before expiry changes nothing; after it the use is forgotten (the signature
    // check refuses such a token by then).
    store.Purge(4999, 60000);
    EXPECT_FALSE(store.StoreWithToken("TOKENA", 5000, {"D", 4, "", 1}));
    store.Purge(5000, 60000);
    EXPECT_TRUE(store.StoreWithToken("TOKENA", 9000, {"E", 5, "", 1}));
    EXPECT_EQ(store.Count(), 3);
}

TEST_P(ScoreStoreTest, AttemptsAreLimitedInASlidingWindow) {
    scores::ScoreStore store(db_);
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(store.CountAttempt("10.0.0.1", i * 1000, 30, 60000)) << i;
    EXPECT_FALSE(store.CountAttempt("10.0.0.1", 30000, 30, 60000));
    EXPECT_FALSE(store.CountAttempt("10.0.0.1", 59999, 30, 60000));
    // Another address has its own allowance.
    EXPECT_TRUE(store.CountAttempt("10.0.0.2", 30000, 30, 60000));
    // The first attempt (at 0) leaves the window at 60000, the second at 61000; the refused
    // ones in between did not count.
    EXPECT_TRUE(store.CountAttempt("10.0.0.1", 60000, 30, 60000));
    EXPECT_FALSE(store.CountAttempt("10.0.0.1", 60500, 30, 60000));
    EXPECT_TRUE(store.CountAttempt("10.0.0.1", 61000, 30, 60000));
    // Purging drops only what has left the window.
    store.Purge(61500, 60000);
    EXPECT_FALSE(store.CountAttempt("10.0.0.1", 61500, 30, 60000));
    EXPECT_TRUE(store.CountAttempt("10.0.0.1", 62000, 30, 60000));
}

TEST_P(ScoreStoreTest, ASubmissionIsCountedAndStoredTogether) {
    using Submitted = scores::ScoreStore::Submitted;
    struct Step {
        const char* client;
        std::int64_t atMs;
        const char* token;
        Submitted want;
        std::int64_t rows; // afterwards
    };
    // Two attempts per address in 60 s.
    const Step steps[] = {
        {"10.0.0.1", 0, "T1", Submitted::Stored, 1},
        {"10.0.0.1", 1000, "T1", Submitted::TokenUsed, 1}, // counted all the same
        {"10.0.0.1", 2000, "T2", Submitted::TooMany, 1},   // neither counted nor spending T2
        {"10.0.0.2", 2000, "T2", Submitted::Stored, 2},
        {"10.0.0.2", 3000, "T1", Submitted::TokenUsed, 2},
        // The attempt at 0 has left the window, the refused one at 2000 never counted.
        {"10.0.0.1", 60000, "T3", Submitted::Stored, 3},
    };
    scores::ScoreStore store(db_);
    for (const Step& step : steps) {
        const std::uint64_t before = store.Generation();
        EXPECT_EQ(store.CountAndStore(step.client, step.atMs, 2, 60000, step.token, 600000,
                                      {step.token, 1, step.client, step.atMs / 1000}),
                  step.want)
            << step.client << " at " << step.atMs;
        EXPECT_EQ(store.Count(), step.rows) << step.client << " at " << step.atMs;
        EXPECT_EQ(store.Generation() != before, step.want == Submitted::Stored);
    }
    // The same counter as every other attempt.
    EXPECT_FALSE(store.CountAttempt("10.0.0.2", 4000, 2, 60000));
    EXPECT_FALSE(store.CountAttempt("10.0.0.1", 60500, 2, 60000));
}

INSTANTIATE_TEST_SUITE_P(Engines, ScoreStoreTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

TEST(ScoreStoreFileTest, TakesOverADatabaseOfTheFirstRelease) {
    TempDir dir;
    const std::string path = dir.File("old.db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    // The table and the row as the first release of the server wrote them.
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE scores (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                           " score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 65535),"
                           " country TEXT NOT NULL, time INTEGER NOT NULL);"
                           "CREATE INDEX scores_rank ON scores (score DESC, time ASC, id ASC);"
                           "INSERT INTO scores (name, score, country, time)"
                           " VALUES ('Old', 900, 'Norway', 1700000000);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    scores::ScoreStore store(path);
    EXPECT_EQ(store.SchemaVersion(), 3);
    auto rows = store.Best(10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Old");
    EXPECT_EQ(rows[0].country, "Norway");
    EXPECT_TRUE(store.StoreWithToken("T", 1, {"New", 1, "", 1}));
}

} // namespace

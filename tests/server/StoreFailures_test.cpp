// StoreFailures_test.cpp -- the skyvern-scores program while its database fails: held locks, a
// frozen PostgreSQL, a deleted file, a file-size limit. The routes that need no database keep
// answering at once, nothing acknowledged is lost, failures reach the log, SIGTERM works.
#include "ScoreStore.h"

#include "ScoresProcess.h"
#include "ServerTestUtil.h"
#include "TestPostgres.h"

#include <httplib.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

constexpr const char* kVersionQuery = "/cgi/version.pl?version&prg=Skyvern";
constexpr const char* kWorldPage = "/cgi/version.pl?prg=Skyvern&show&type=0";
constexpr const char* kCannotStore = "ERROR cannot store score";

std::unique_ptr<httplib::Client> ClientOf(int port) {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port);
    client->set_connection_timeout(5);
    client->set_read_timeout(10);
    return client;
}

// The body of a GET, or "" when there was no answer.
std::string Get(int port, const std::string& target) {
    auto res = ClientOf(port)->Get(target.c_str());
    return res ? res->body : std::string();
}

// One submission with a fresh token; the answer, or "" when there was none.
std::string SubmitOne(int port, const std::string& name) {
    std::string token = ExtractVersionToken(Get(port, kVersionQuery));
    if (token.empty()) return "";
    return Get(port, "/cgi/version.pl?hs&prg=Skyvern&inf=" + GameSubmission(name, 7, token, ""));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

std::set<std::string> StoredNames(const std::string& db) {
    scores::ScoreStore store(db);
    std::set<std::string> names;
    for (const auto& row : store.Best(1000000))
        names.insert(row.name);
    return names;
}

// Median milliseconds of `count` fresh GETs of `target`; -1 if one got no answer.
double MedianMs(int port, const std::string& target, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = SteadyClock::now();
        if (Get(port, target).empty()) return -1;
        times.push_back(
            std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool Alive(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

// How the database is made to stall.
enum class Stall { SqliteLock, PostgresLock, PostgresStopped };

struct StallCase {
    const char* name;
    Stall stall;
};

void PrintTo(const StallCase& stallCase, std::ostream* out) {
    *out << stallCase.name;
}

class StalledDatabaseTest : public ::testing::TestWithParam<StallCase> {};

TEST_P(StalledDatabaseTest, OtherRoutesAnswerAtOnceTheLastPageIsServedAndSigtermWorks) {
    const Stall stall = GetParam().stall;
    TempDir dir;
    std::string db;
    std::unique_ptr<TestPostgres> ownServer;
    if (stall == Stall::SqliteLock) {
        db = dir.File("scores.db");
        scores::ScoreStore made(db);
    } else if (stall == Stall::PostgresLock) {
        SKIP_WITHOUT_POSTGRES();
        db = TestPostgres::Get().NewDatabase();
    } else {
        SKIP_WITHOUT_POSTGRES();
        // Stopping the run's shared server would stall every other test.
        ownServer = std::make_unique<TestPostgres>(TestPostgres::Own{});
        ASSERT_FALSE(ownServer->Processes().empty());
        db = ownServer->NewDatabase();
    }
    const std::string log = dir.File("server.log");
    // Two event loops: four world page requests waiting on the database would hold both.
    ScoresProcess server(
        {"--listen", "127.0.0.1:0", "--db", db, "--threads", "2", "--rate-limit", "1000000"}, log,
        {"JOURNAL_STREAM=8:1234"});
    const int port = server.Port();
    ASSERT_GT(port, 0);
    std::set<std::string> acknowledged;
    for (int i = 0; i < 3; ++i) {
        const std::string name = "Before" + std::to_string(i);
        ASSERT_EQ(SubmitOne(port, name), "OK");
        acknowledged.insert(name);
    }
    ASSERT_NE(Get(port, kWorldPage).find("Before2"), std::string::npos);

    // The stall: a lock held by another connection, or the database server frozen.
    sqlite3* locker = nullptr;
    PGconn* pgLocker = nullptr;
    if (stall == Stall::SqliteLock) {
        ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
        sqlite3_busy_timeout(locker, 5000);
        ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    } else if (stall == Stall::PostgresLock) {
        pgLocker = PQconnectdb(db.c_str());
        ASSERT_EQ(PQstatus(pgLocker), CONNECTION_OK) << PQerrorMessage(pgLocker);
        PQclear(PQexec(pgLocker, "BEGIN"));
        PGresult* locked = PQexec(pgLocker, "LOCK TABLE scores");
        ASSERT_EQ(PQresultStatus(locked), PGRES_COMMAND_OK) << PQresultErrorMessage(locked);
        PQclear(locked);
    } else {
        ownServer->Signal(SIGSTOP);
    }
    auto release = [&] {
        if (locker) {
            sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(locker);
            locker = nullptr;
        }
        if (pgLocker) {
            PQclear(PQexec(pgLocker, "ROLLBACK"));
            PQfinish(pgLocker);
            pgLocker = nullptr;
        }
        if (ownServer) ownServer->Signal(SIGCONT);
    };
    struct Release {
        std::function<void()> run;
        ~Release() { run(); }
    } releaseAtEnd{release};

    // Clients that keep asking for the world page and submitting during the stall.
    std::atomic<bool> loading{true};
    std::mutex answersMutex;
    std::set<std::string> answers;
    std::vector<std::thread> load;
    for (int i = 0; i < 4; ++i)
        load.emplace_back([&] {
            while (loading)
                Get(port, kWorldPage);
        });
    for (int i = 0; i < 2; ++i)
        load.emplace_back([&, i] {
            for (int n = 0; loading; ++n) {
                const std::string name = "S" + std::to_string(i) + "x" + std::to_string(n);
                const std::string answer = SubmitOne(port, name);
                std::lock_guard lock(answersMutex);
                answers.insert(answer);
                if (answer == "OK") acknowledged.insert(name);
            }
        });
    std::this_thread::sleep_for(Ms(1500));

    const double versionMs = MedianMs(port, kVersionQuery, 20);
    const double homeMs = MedianMs(port, "/", 20);
    std::printf("during the stall: version query %.1f ms, home page %.1f ms (medians of 20)\n",
                versionMs, homeMs);
    EXPECT_GE(versionMs, 0);
    EXPECT_LT(versionMs, 100);
    EXPECT_GE(homeMs, 0);
    EXPECT_LT(homeMs, 100);

    // The last good page, saying how old it is when the database could not be read.
    std::this_thread::sleep_for(Ms(1500));
    const std::string page = Get(port, kWorldPage);
    EXPECT_NE(page.find("Before2"), std::string::npos) << page;
    if (stall != Stall::SqliteLock) {
        EXPECT_NE(page.find("The score database is not answering"), std::string::npos) << page;
    }

    loading = false;
    for (std::thread& thread : load)
        thread.join();
    {
        std::lock_guard lock(answersMutex);
        EXPECT_TRUE(answers.count(kCannotStore)) << "no submission was refused";
        for (const std::string& answer : answers)
            EXPECT_TRUE(answer == "OK" || answer == kCannotStore) << "answered '" << answer << "'";
    }

    // SIGTERM while the database still stalls.
    const auto stopAt = SteadyClock::now();
    ASSERT_EQ(kill(server.Pid(), SIGTERM), 0);
    EXPECT_EQ(server.Wait(), 0) << "not ended within 5 s of SIGTERM";
    std::printf("ended %.2f s after SIGTERM\n",
                std::chrono::duration<double>(SteadyClock::now() - stopAt).count());

    release();
    std::set<std::string> stored = StoredNames(db);
    for (const std::string& name : acknowledged)
        EXPECT_TRUE(stored.count(name)) << name << " was acknowledged but is not stored";
    EXPECT_FALSE(LinesStartingWith(ReadFile(log), "<3>score store failing: ").empty())
        << ReadFile(log);
    if (stall == Stall::PostgresLock) TestPostgres::Get().DropDatabase(db);
}

INSTANTIATE_TEST_SUITE_P(Stalls, StalledDatabaseTest,
                         ::testing::Values(StallCase{"SqliteLock", Stall::SqliteLock},
                                           StallCase{"PostgresLock", Stall::PostgresLock},
                                           StallCase{"PostgresStopped", Stall::PostgresStopped}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoreFailuresTest, EachRunOfFailuresIsLoggedOnceAtItsStartAndItsEnd) {
    TempDir dir;
    const std::string db = dir.File("scores.db");
    { scores::ScoreStore made(db); }
    const std::string log = dir.File("server.log");
    ScoresProcess server({"--listen", "127.0.0.1:0", "--db", db, "--rate-limit", "1000000"}, log,
                         {"JOURNAL_STREAM=8:1234"});
    const int port = server.Port();
    ASSERT_GT(port, 0);
    ASSERT_EQ(SubmitOne(port, "First"), "OK");

    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    int refused = 0;
    for (int i = 0; i < 3; ++i)
        refused += SubmitOne(port, "Locked" + std::to_string(i)) == kCannotStore;
    EXPECT_EQ(refused, 3);
    sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    // The first submission after the lock may still find the store marked failing.
    std::string answer;
    for (int i = 0; i < 20 && answer != "OK"; ++i)
        answer = SubmitOne(port, "After");
    EXPECT_EQ(answer, "OK");

    const std::string text = ReadFile(log);
    const auto starts = LinesStartingWith(text, "<3>score store failing: ");
    ASSERT_EQ(starts.size(), 1u) << text;
    EXPECT_NE(starts[0].find("locked"), std::string::npos) << starts[0];
    EXPECT_EQ(LinesStartingWith(text, "<5>score store working again after ").size(), 1u) << text;
    ASSERT_EQ(kill(server.Pid(), SIGTERM), 0);
    EXPECT_EQ(server.Wait(), 0);
}

// What happens to the database file under the running server.
enum class Loss { Deleted, Replaced, Moved };

struct LossCase {
    const char* name;
    Loss loss;
    const char* logged; // in the log line that says so
};

void PrintTo(const LossCase& lossCase, std::ostream* out) {
    *out << lossCase.name;
}

class LostDatabaseFileTest : public ::testing::TestWithParam<LossCase> {};

TEST_P(LostDatabaseFileTest, IsNoticedWithinASecondAndNothingAcknowledgedIsLost) {
    const Loss loss = GetParam().loss;
    TempDir dir;
    const std::string db = dir.File("scores.db");
    const std::string other = dir.File("other.db");
    { scores::ScoreStore made(db); }
    if (loss == Loss::Replaced) scores::ScoreStore made(other);
    const std::string log = dir.File("server.log");
    std::set<std::string> acknowledged;
    {
        ScoresProcess server({"--listen", "127.0.0.1:0", "--db", db, "--rate-limit", "1000000"},
                             log, {"JOURNAL_STREAM=8:1234"});
        const int port = server.Port();
        ASSERT_GT(port, 0);
        for (int i = 0; i < 5; ++i) {
            const std::string name = "Kept" + std::to_string(i);
            ASSERT_EQ(SubmitOne(port, name), "OK");
            acknowledged.insert(name);
        }
        int moved = 0;
        if (loss == Loss::Deleted) moved = unlink(db.c_str());
        if (loss == Loss::Replaced) moved = rename(other.c_str(), db.c_str());
        if (loss == Loss::Moved) moved = rename(db.c_str(), other.c_str());
        ASSERT_EQ(moved, 0);
        // Noticed without a submission to find it.
        std::this_thread::sleep_for(Ms(1000));
        const auto lost = LinesStartingWith(ReadFile(log), "<2>the database file ");
        ASSERT_EQ(lost.size(), 1u) << ReadFile(log);
        EXPECT_NE(lost[0].find(GetParam().logged), std::string::npos) << lost[0];
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(SubmitOne(port, "Lost" + std::to_string(i)), kCannotStore);
        EXPECT_NE(Get(port, kWorldPage).find("Kept4"), std::string::npos);
        ASSERT_EQ(kill(server.Pid(), SIGTERM), 0);
        EXPECT_EQ(server.Wait(), 0);
    }
    if (loss == Loss::Deleted) {
        EXPECT_FALSE(std::filesystem::exists(db)) << "a new database was made at the old path";
    }
    // A file put in its place is left as it was, and takes none of the lost file's log.
    if (loss == Loss::Replaced) {
        EXPECT_TRUE(StoredNames(db).empty());
    }
    // What the server held is in the copy it named.
    std::vector<std::string> copies;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("")))
        if (entry.path().filename().string().rfind("scores.db.rescued-", 0) == 0 &&
            entry.path().string().find("-wal") == std::string::npos &&
            entry.path().string().find("-shm") == std::string::npos)
            copies.push_back(entry.path().string());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_NE(ReadFile(log).find(copies[0]), std::string::npos) << ReadFile(log);
    std::set<std::string> saved = StoredNames(copies[0]);
    for (const std::string& name : acknowledged)
        EXPECT_TRUE(saved.count(name)) << name;
    EXPECT_EQ(saved.count("Lost0"), 0u);
    if (loss != Loss::Deleted) return;

    // No new empty table at the old path unless asked for.
    {
        ScoresProcess restart({"--listen", "127.0.0.1:0", "--db", db});
        EXPECT_EQ(restart.Wait(), 1);
        EXPECT_FALSE(std::filesystem::exists(db));
    }
    ScoresProcess asked({"--listen", "127.0.0.1:0", "--db", db, "--create-db"});
    EXPECT_GT(asked.Port(), 0);
    EXPECT_TRUE(std::filesystem::exists(db));
}

INSTANTIATE_TEST_SUITE_P(Losses, LostDatabaseFileTest,
                         ::testing::Values(LossCase{"Deleted", Loss::Deleted, "is gone"},
                                           LossCase{"Replaced", Loss::Replaced,
                                                    "is no longer the one opened"},
                                           LossCase{"Moved", Loss::Moved, "is gone"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoreFailuresTest, AFileSizeLimitRefusesSubmissionsAndTheServerLives) {
    TempDir dir;
    const std::string db = dir.File("scores.db");
    { scores::ScoreStore made(db); }
    const auto size = static_cast<rlim_t>(std::filesystem::file_size(db));
    // Room for the shared-memory index and a few commits in the log, no more.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = std::max<rlim_t>(size, 32 * 1024) + 96 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    ScoresProcess server({"--listen", "127.0.0.1:0", "--db", db, "--rate-limit", "1000000"});
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    const int port = server.Port();
    ASSERT_GT(port, 0);

    std::set<std::string> acknowledged;
    std::string answer;
    for (int i = 0; i < 200 && answer != kCannotStore; ++i) {
        const std::string name = "F" + std::to_string(i);
        answer = SubmitOne(port, name);
        ASSERT_TRUE(answer == "OK" || answer == kCannotStore) << "answered '" << answer << "'";
        if (answer == "OK") acknowledged.insert(name);
    }
    EXPECT_EQ(answer, kCannotStore) << "the limit was never reached";
    EXPECT_FALSE(acknowledged.empty());
    EXPECT_TRUE(Alive(server.Pid()));
    EXPECT_EQ(SubmitOne(port, "Over"), kCannotStore);
    EXPECT_EQ(Get(port, kVersionQuery).rfind("OK|skyvern-scores|", 0), 0u);
    EXPECT_TRUE(Alive(server.Pid()));
    ASSERT_EQ(kill(server.Pid(), SIGTERM), 0);
    EXPECT_EQ(server.Wait(), 0);

    std::set<std::string> stored = StoredNames(db);
    for (const std::string& name : acknowledged)
        EXPECT_TRUE(stored.count(name)) << name;
}

TEST(StoreFailuresTest, ASharedMemoryFileCutShortRefusesSubmissionsAndTheServerLives) {
    TempDir dir;
    const std::string db = dir.File("scores.db");
    { scores::ScoreStore made(db); }
    ScoresProcess server({"--listen", "127.0.0.1:0", "--db", db, "--rate-limit", "1000000"});
    const int port = server.Port();
    ASSERT_GT(port, 0);
    ASSERT_EQ(SubmitOne(port, "Mapped"), "OK");
    ASSERT_NE(Get(port, kWorldPage).find("Mapped"), std::string::npos);
    // What SQLite maps of this file is gone: touching it would raise SIGBUS.
    ASSERT_EQ(truncate((db + "-shm").c_str(), 0), 0);
    EXPECT_EQ(SubmitOne(port, "Cut"), kCannotStore);
    EXPECT_NE(Get(port, kWorldPage).find("Mapped"), std::string::npos);
    std::this_thread::sleep_for(Ms(500));
    EXPECT_EQ(SubmitOne(port, "Cut2"), kCannotStore);
    EXPECT_TRUE(Alive(server.Pid()));
    ASSERT_EQ(kill(server.Pid(), SIGTERM), 0);
    EXPECT_EQ(server.Wait(), 0);
    EXPECT_EQ(StoredNames(db), std::set<std::string>{"Mapped"});
}

} // namespace

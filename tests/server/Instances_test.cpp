// Instances_test.cpp -- several skyvern-scores processes on one PostgreSQL database: tokens good
// once at any instance, replays refused also at the same moment, concurrent submissions stored
// exactly once, no acknowledged row lost to kill -9, tokens kept across a restart, one
// submission limit for all instances.
#include "ScoreStore.h"

#include "ScoresProcess.h"
#include "ServerTestUtil.h"
#include "TestPostgres.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <latch>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kVersionQuery = "/cgi/version.pl?version&prg=Skyvern";

// One running instance and a keep-alive connection to it.
struct Instance {
    ScoresProcess process;
    int port = 0;
    explicit Instance(std::vector<std::string> args) : process(std::move(args)) {
        port = process.Port();
    }
};

std::unique_ptr<httplib::Client> ClientOf(int port) {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port);
    client->set_connection_timeout(5);
    client->set_read_timeout(10);
    client->set_keep_alive(true);
    return client;
}

// The body of a GET, or "" when there was no answer.
std::string Get(httplib::Client& client, const std::string& target,
                const httplib::Headers& headers = {}) {
    auto res = client.Get(target.c_str(), headers);
    return res ? res->body : std::string();
}

std::string Token(httplib::Client& client) {
    return ExtractVersionToken(Get(client, kVersionQuery));
}

std::string Submit(httplib::Client& client, const std::string& inf,
                   const httplib::Headers& headers = {}) {
    return Get(client, "/cgi/version.pl?hs&prg=Skyvern&inf=" + inf, headers);
}

class InstancesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_POSTGRES();
        db_ = TestPostgres::Get().NewDatabase();
    }
    void TearDown() override {
        if (!db_.empty()) TestPostgres::Get().DropDatabase(db_);
    }

    // An instance on the shared database; `limit` raises the submission limit for tests that
    // are not about it.
    std::unique_ptr<Instance> Start(std::vector<std::string> extra = {"--rate-limit", "100000"}) {
        std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--db", db_};
        args.insert(args.end(), extra.begin(), extra.end());
        auto instance = std::make_unique<Instance>(args);
        EXPECT_GT(instance->port, 0);
        return instance;
    }

    // The stored rows by name, read through a store of the test's own.
    std::map<std::string, int> RowsByName() {
        scores::ScoreStore store(db_, 1);
        std::map<std::string, int> rows;
        for (const auto& row : store.Best(100000))
            ++rows[row.name];
        return rows;
    }

    std::string db_;
};

TEST_F(InstancesTest, ATokenFromOneInstanceIsGoodOnceAtAny) {
    auto a = Start(), b = Start();
    auto atA = ClientOf(a->port), atB = ClientOf(b->port);
    const std::string token = Token(*atA);
    ASSERT_EQ(token.size(), 24u);
    EXPECT_EQ(Submit(*atB, GameSubmission("Ann", 10, token, "")), "OK");
    EXPECT_EQ(Submit(*atA, GameSubmission("Ann", 11, token, "")), "ERROR unknown token");
    EXPECT_EQ(Submit(*atB, GameSubmission("Ann", 12, token, "")), "ERROR unknown token");
    EXPECT_EQ(RowsByName(), (std::map<std::string, int>{{"Ann", 1}}));
}

TEST_F(InstancesTest, TheSameTokenAtBothAtOnceIsAcceptedOnce) {
    auto a = Start(), b = Start();
    auto atA = ClientOf(a->port), atB = ClientOf(b->port);
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        const std::string token = Token(round % 2 ? *atA : *atB);
        // Both connections are open before the race starts, so the two requests meet.
        ASSERT_FALSE(Token(*atA).empty());
        ASSERT_FALSE(Token(*atB).empty());
        std::latch start(2);
        std::string replies[2];
        auto race = [&](int which, httplib::Client& client) {
            start.arrive_and_wait();
            replies[which] =
                Submit(client, GameSubmission("R" + std::to_string(round), 1, token, ""));
        };
        std::thread first(race, 0, std::ref(*atA));
        std::thread second(race, 1, std::ref(*atB));
        first.join();
        second.join();
        std::multiset<std::string> got(std::begin(replies), std::end(replies));
        EXPECT_EQ(got, (std::multiset<std::string>{"OK", "ERROR unknown token"})) << round;
    }
    auto rows = RowsByName();
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(kRounds));
    for (const auto& [name, count] : rows)
        EXPECT_EQ(count, 1) << name;
}

TEST_F(InstancesTest, TwoHundredConcurrentSubmissionsOverTwoInstancesAreStoredOnce) {
    auto a = Start(), b = Start();
    const int ports[2] = {a->port, b->port};
    constexpr int kThreads = 20, kEach = 10;
    std::vector<std::thread> threads;
    std::atomic<int> accepted{0};
    std::mutex failuresMutex;
    std::vector<std::string> failures;
    std::latch start(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread fetches its tokens at one instance and submits at the other.
            auto issuer = ClientOf(ports[t % 2]), receiver = ClientOf(ports[1 - t % 2]);
            std::vector<std::string> tokens;
            for (int i = 0; i < kEach; ++i)
                tokens.push_back(Token(*issuer));
            start.arrive_and_wait();
            for (int i = 0; i < kEach; ++i) {
                std::string name = "P" + std::to_string(t * kEach + i);
                std::string reply = Submit(*receiver, GameSubmission(name, 100, tokens[i], ""));
                if (reply == "OK") {
                    ++accepted;
                } else {
                    std::lock_guard lock(failuresMutex);
                    failures.push_back(name + ": " + reply);
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(accepted.load(), kThreads * kEach);
    EXPECT_TRUE(failures.empty()) << failures.front();
    auto rows = RowsByName();
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(kThreads * kEach));
    for (const auto& [name, count] : rows)
        EXPECT_EQ(count, 1) << name;
}

TEST_F(InstancesTest, KillNineLosesNoAcknowledgedRow) {
    auto issuer = Start();
    std::set<std::string> acknowledged;
    std::mutex mutex;
    for (int round = 0; round < 3; ++round) {
        auto victim = Start();
        constexpr int kClients = 25;
        std::atomic<int> acks{0};
        std::vector<std::thread> clients;
        for (int c = 0; c < kClients; ++c) {
            clients.emplace_back([&, c] {
                auto tokens = ClientOf(issuer->port), target = ClientOf(victim->port);
                // Bounded: at most 200 submissions each; the kill ends it much sooner.
                for (int n = 0; n < 200; ++n) {
                    std::string name = "k" + std::to_string(round) + "c" + std::to_string(c) + "n" +
                                       std::to_string(n);
                    std::string token = Token(*tokens);
                    std::string reply = Submit(*target, GameSubmission(name, 5, token, ""));
                    if (reply != "OK") break;
                    ++acks;
                    std::lock_guard lock(mutex);
                    acknowledged.insert(name);
                }
            });
        }
        // Kill in the thick of it: once rows are coming in, from all clients at once.
        for (int wait = 0; wait < 500 && acks.load() < 50; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(kill(victim->process.Pid(), SIGKILL), 0);
        for (std::thread& client : clients)
            client.join();
        EXPECT_GT(acks.load(), 0) << round;
    }
    auto rows = RowsByName();
    for (const std::string& name : acknowledged) {
        auto it = rows.find(name);
        EXPECT_TRUE(it != rows.end() && it->second == 1)
            << name << " acknowledged but not stored once";
    }
}

TEST_F(InstancesTest, ARestartKeepsOutstandingTokensAndTheirUse) {
    auto before = Start();
    auto client = ClientOf(before->port);
    const std::string outstanding = Token(*client);
    const std::string used = Token(*client);
    ASSERT_EQ(Submit(*client, GameSubmission("Before", 1, used, "")), "OK");
    ASSERT_EQ(kill(before->process.Pid(), SIGTERM), 0);
    ASSERT_EQ(before->process.Wait(), 0);

    auto after = Start();
    auto again = ClientOf(after->port);
    EXPECT_EQ(Submit(*again, GameSubmission("After", 2, outstanding, "")), "OK");
    EXPECT_EQ(Submit(*again, GameSubmission("Replay", 3, used, "")), "ERROR unknown token");
    EXPECT_EQ(RowsByName(), (std::map<std::string, int>{{"After", 1}, {"Before", 1}}));
}

TEST_F(InstancesTest, OneSubmissionLimitForAllInstances) {
    // C sits behind a proxy on 127.0.0.1 and takes the client from X-Forwarded-For.
    auto a = Start({}), b = Start({}), c = Start({"--trusted-proxy", "127.0.0.1"});
    auto atA = ClientOf(a->port), atB = ClientOf(b->port), atC = ClientOf(c->port);
    const std::string bad = GameSubmission("Guess", 1, "ABCDEFGHIJKLMNOPQRSTUVWX", "");
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(Submit(i % 2 ? *atA : *atB, bad), "ERROR unknown token") << i;
    EXPECT_EQ(Submit(*atA, bad), "ERROR too many submissions");
    EXPECT_EQ(Submit(*atB, bad), "ERROR too many submissions");
    EXPECT_EQ(Submit(*atC, bad), "ERROR too many submissions");
    // A client behind the trusted proxy has its own allowance; the header alone, sent
    // straight to an instance that trusts no proxy, buys nothing.
    const httplib::Headers other = {{"X-Forwarded-For", "203.0.113.9"}};
    EXPECT_EQ(Submit(*atC, bad, other), "ERROR unknown token");
    EXPECT_EQ(Submit(*atA, bad, other), "ERROR too many submissions");
    EXPECT_EQ(Submit(*atC, GameSubmission("Proxied", 7, Token(*atA), ""), other), "OK");
}

} // namespace

// ScoreServer_test.cpp -- the routes of skyvern-scores over HTTP on loopback, with a test clock,
// on SQLite and on PostgreSQL.
#include "ScoreServer.h"

#include "ServerTestUtil.h"
#include "TestPostgres.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

constexpr std::int64_t kStart = 1700000000000; // some moment in 2023, in Unix milliseconds
constexpr const char* kVersionQuery = "/cgi/version.pl?version&prg=Skyvern";
constexpr const char* kWorldPage = "/cgi/version.pl?prg=Skyvern&show&type=0";

class ScoreServerTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (GetParam() == "postgresql") {
            SKIP_WITHOUT_POSTGRES();
            pgUri_ = TestPostgres::Get().NewDatabase();
            store_ = std::make_unique<scores::ScoreStore>(pgUri_);
        } else {
            store_ = std::make_unique<scores::ScoreStore>(dir_.File("scores.db"));
        }
        scores::ServerLimits limits;
        limits.threads = 4;
        server_ = std::make_unique<scores::ScoreServer>(
            *store_, "9.8.7", [this] { return now_.load(); }, limits);
        port_ = server_->Http().bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_->Http().listen_after_bind(); });
        client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
        client_->set_connection_timeout(5);
        client_->set_read_timeout(5);
    }

    void TearDown() override {
        if (server_) {
            server_->Http().stop();
            thread_.join();
        }
        server_.reset();
        store_.reset();
        if (!pgUri_.empty()) TestPostgres::Get().DropDatabase(pgUri_);
    }

    httplib::Result Get(const std::string& target) { return client_->Get(target.c_str()); }

    std::string Body(const std::string& target) {
        auto res = Get(target);
        if (!res) {
            ADD_FAILURE() << "no answer to " << target;
            return "";
        }
        EXPECT_EQ(res->status, 200) << target;
        return res->body;
    }

    std::string FreshToken() { return ExtractVersionToken(Body(kVersionQuery)); }

    std::string Submit(const std::string& inf) {
        return Body("/cgi/version.pl?hs&prg=Skyvern&inf=" + inf);
    }

    TempDir dir_;
    std::string pgUri_;
    std::atomic<std::int64_t> now_{kStart};
    std::unique_ptr<scores::ScoreStore> store_;
    std::unique_ptr<scores::ScoreServer> server_;
    std::thread thread_;
    int port_ = 0;
    std::unique_ptr<httplib::Client> client_;
};

TEST_P(ScoreServerTest, VersionReplyCarriesAFreshToken) {
    std::string reply = Body(kVersionQuery);
    EXPECT_EQ(reply.rfind("OK|skyvern-scores|9.8.7|", 0), 0u) << reply;
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply.back(), '|');
    std::string token = ExtractVersionToken(reply);
    EXPECT_GE(token.size(), 16u);
    EXPECT_EQ(token.find_first_not_of(kSymbolAlphabet), std::string::npos);
    EXPECT_NE(FreshToken(), token);
}

TEST_P(ScoreServerTest, StoresWhatTheGameSendsAndShowsIt) {
    EXPECT_EQ(Submit(GameSubmission("Bob", 1234, FreshToken(), "Norway")), "OK");
    EXPECT_EQ(Submit(GameSubmission("", 77, FreshToken(), "")), "OK");
    ASSERT_EQ(store_->Count(), 2);
    auto rows = store_->Best(10);
    EXPECT_EQ(rows[0].name, "Bob");
    EXPECT_EQ(rows[0].score, 1234);
    EXPECT_EQ(rows[0].country, "Norway");
    EXPECT_EQ(rows[0].time, kStart / 1000);

    std::string page = Body(kWorldPage);
    EXPECT_NE(page.find("<td>Bob</td><td class=\"n\">1234</td><td>Norway</td>"), std::string::npos)
        << page;
    EXPECT_NE(page.find("<td>Anonymous</td><td class=\"n\">77</td>"), std::string::npos);
    EXPECT_NE(page.find("<span>2023-11-14</span> <span>22:13</span>"), std::string::npos);
}

TEST_P(ScoreServerTest, EveryRefusalAnswersErrorAndStoresNothing) {
    struct Case {
        const char* what;
        std::function<std::string()> inf;
        const char* reply;
    };
    // A hand-made record, padded to a whole number of symbol groups.
    auto record = [](std::string text) {
        while (text.size() % 5 != 0)
            text += '0';
        return EncodeRecord(text);
    };
    std::string used = FreshToken();
    ASSERT_EQ(Submit(GameSubmission("First", 1, used, "")), "OK");
    std::string stale = FreshToken();
    const Case cases[] = {
        {"bad alphabet", [&] { return "MZXW6YT1" + GameSubmission("Bob", 1, FreshToken(), ""); },
         "ERROR bad symbol"},
        {"lower case",
         [&] {
             std::string inf = GameSubmission("Bob", 1, FreshToken(), "");
             inf[0] = static_cast<char>(inf[0] - 'A' + 'a');
             return inf;
         },
         "ERROR bad symbol"},
        {"bad length", [&] { return GameSubmission("Bob", 1, FreshToken(), "") + "AAAA"; },
         "ERROR bad length"},
        {"empty", [&] { return std::string(); }, "ERROR bad length"},
        {"wrong field order",
         [&] { return record("type=0|score=1|name=Bob|key=X|p=" + FreshToken() + "|add=|z="); },
         "ERROR bad record layout"},
        {"name too long", [&] { return GameSubmission("Bobby Bobby", 1, FreshToken(), ""); },
         "ERROR name too long"},
        {"name outside the set", [&] { return GameSubmission("<b>Bob", 1, FreshToken(), ""); },
         "ERROR bad name"},
        {"country outside the set", [&] { return GameSubmission("Bob", 1, FreshToken(), "a<b"); },
         "ERROR bad country"},
        {"separator in a value", [&] { return GameSubmission("Bob", 1, FreshToken(), "a|b"); },
         "ERROR bad record layout"},
        {"score 65536",
         [&] { return record("type=0|name=Bob|score=65536|key=X|p=" + FreshToken() + "|add=|z="); },
         "ERROR bad score"},
        {"bad padding",
         [&] {
             return record("type=0|name=Bob|score=1234|key=X|p=" + FreshToken() + "|add=|z=00000");
         },
         "ERROR bad padding"},
        {"reused token", [&] { return GameSubmission("Bob", 1, used, ""); }, "ERROR unknown token"},
        {"unknown token", [&] { return GameSubmission("Bob", 1, "ABCDEFGHIJKLMNOPQRSTUVWX", ""); },
         "ERROR unknown token"},
        {"no token", [&] { return GameSubmission("Bob", 1, "", ""); }, "ERROR unknown token"},
        {"expired token",
         [&] {
             now_ += 10 * 60 * 1000;
             return GameSubmission("Bob", 1, stale, "");
         },
         "ERROR expired token"},
    };
    for (const Case& c : cases) {
        std::string inf = c.inf();
        EXPECT_EQ(Submit(inf), c.reply) << c.what;
        EXPECT_EQ(store_->Count(), 1) << c.what;
    }
}

TEST_P(ScoreServerTest, ThirtySubmissionsAMinutePerAddress) {
    // Refused submissions count too: the limit is on attempts, not on stored scores.
    for (int i = 0; i < 29; ++i)
        ASSERT_EQ(Submit(GameSubmission("Bob", 1, "", "")), "ERROR unknown token") << i;
    ASSERT_EQ(Submit(GameSubmission("Bob", 30, FreshToken(), "")), "OK");
    std::string token = FreshToken();
    EXPECT_EQ(Submit(GameSubmission("Bob", 31, token, "")), "ERROR too many submissions");
    EXPECT_EQ(store_->Count(), 1);
    // The refusal did not use up the token; a minute later it goes through.
    now_ += 60 * 1000;
    EXPECT_EQ(Submit(GameSubmission("Bob", 31, token, "")), "OK");
    EXPECT_EQ(store_->Count(), 2);
}

TEST_P(ScoreServerTest, AnythingElseIsNotFound) {
    const char* targets[] = {
        "/index.html",
        "/cgi/version.pl",
        "/cgi/version.pl?version",
        "/cgi/version.pl?version&prg=skyvern",
        "/cgi/version.pl?version&prg=Skyvern&x=1",
        "/cgi/version.pl?version=1&prg=Skyvern",
        "/cgi/version.pl?version&prg=Skyvern&prg=Other",
        "/cgi/version.pl?hs&prg=Skyvern",
        "/cgi/version.pl?hs&prg=Skyvern&inf=A&inf=B",
        "/cgi/version.pl?prg=Skyvern&show&type=1",
        "/cgi/version.pl?prg=Skyvern&show",
        "/cgi/other.pl?version&prg=Skyvern",
        "/cgi/version.pl/x?version&prg=Skyvern",
    };
    for (const char* target : targets) {
        auto res = Get(target);
        ASSERT_TRUE(res) << target;
        EXPECT_EQ(res->status, 404) << target;
    }
    EXPECT_EQ(store_->Count(), 0);
}

TEST_P(ScoreServerTest, RefusesUrlsOverFourKilobytes) {
    std::string base = "/cgi/version.pl?hs&prg=Skyvern&inf=";
    std::string atLimit = base + std::string(4096 - base.size(), 'A');
    auto res = Get(atLimit);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "ERROR record too long");

    res = Get(atLimit + "A");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 414);
    EXPECT_EQ(store_->Count(), 0);
}

TEST_P(ScoreServerTest, WorldPageEscapesStoredText) {
    // Stored directly: the submission route would never let these characters in.
    store_->Add({"<script>", 500, "A&B \"'", kStart / 1000});
    std::string page = Body(kWorldPage);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("<td>&lt;script&gt;</td>"), std::string::npos) << page;
    EXPECT_NE(page.find("<td>A&amp;B &quot;&#39;</td>"), std::string::npos) << page;
}

TEST_P(ScoreServerTest, WorldPageShowsTheBestHundredByScoreThenTime) {
    std::vector<scores::StoredScore> rows;
    for (int i = 0; i < 120; ++i)
        rows.push_back({"P" + std::to_string(i), 1000 + i % 7, "", kStart / 1000 + i});
    store_->AddMany(rows);
    // Stored last but earlier in time than every P row with the same score.
    store_->Add({"Early", 1006, "", kStart / 1000 - 1});

    std::string page = Body(kWorldPage);
    std::vector<std::string> names;
    const std::string cell = "</td><td>";
    for (std::size_t at = page.find("<tr><td class=\"n\">"); at != std::string::npos;
         at = page.find("<tr><td class=\"n\">", at + 1)) {
        std::size_t start = page.find(cell, at) + cell.size();
        names.push_back(page.substr(start, page.find("</td>", start) - start));
    }
    ASSERT_EQ(names.size(), 100u);
    // 1006 points: Early, then P6, P13, ... (17 rows); then 1005 points from P5 on.
    EXPECT_EQ(names[0], "Early");
    EXPECT_EQ(names[1], "P6");
    EXPECT_EQ(names[2], "P13");
    EXPECT_EQ(names[18], "P5");
    // 121 rows stored; left out are all of 1000 points and the three latest of 1001.
    EXPECT_EQ(names[99], "P92");
    EXPECT_EQ(std::count(names.begin(), names.end(), "P0"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "P99"), 0);
}

TEST_P(ScoreServerTest, ServesTheScreenshotsAndNothingBesideThem) {
    const std::string png("\x89PNG\r\n\x1a\n-not-really-", 20);
    std::filesystem::create_directory(dir_.File("shots"));
    std::ofstream(dir_.File("shots/menu.png"), std::ios::binary) << png;
    EXPECT_EQ(Get("/screenshots/menu.png")->status, 404) << "nothing is served before asked";
    EXPECT_FALSE(server_->ServeScreenshots(dir_.File("no-such-folder")));
    ASSERT_TRUE(server_->ServeScreenshots(dir_.File("shots")));

    auto res = Get("/screenshots/menu.png");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "image/png");
    EXPECT_EQ(res->body, png);
    // The database sits one folder up.
    for (const char* target : {"/screenshots/../scores.db", "/screenshots/%2e%2e/scores.db",
                               "/screenshots/..%2fscores.db", "/screenshots/missing.png"}) {
        res = Get(target);
        ASSERT_TRUE(res) << target;
        EXPECT_EQ(res->status, 404) << target;
    }
}

TEST_P(ScoreServerTest, TokensFromTooFarAheadAreRefusedAndLeaveNoRow) {
    // Signed with our key but dated ahead of our clock: another instance's clock a little
    // fast is taken, one from further ahead would be remembered for as long as it claims.
    scores::TokenSigner signer(store_->TokenKey());
    struct Case {
        std::int64_t aheadMs;
        const char* reply;
    } cases[] = {{59 * 1000, "OK"},
                 {61 * 1000, "ERROR unknown token"},
                 {24LL * 3600 * 1000, "ERROR unknown token"}};
    int stored = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(Submit(GameSubmission("Ahead", 10, signer.Issue(now_ + c.aheadMs), "")), c.reply)
            << c.aheadMs;
        if (std::string(c.reply) == "OK") ++stored;
        EXPECT_EQ(store_->Count(), stored) << c.aheadMs;
    }
}

TEST_P(ScoreServerTest, HomePageLinksToTheWorldTable) {
    auto res = Get("/");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(res->body.find("href=\"cgi/version.pl?prg=Skyvern&amp;show&amp;type=0\""),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Engines, ScoreServerTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

} // namespace

TEST(ScoreServerClientTest, ForwardedForCountsOnlyFromATrustedProxy) {
    TempDir dir;
    scores::ScoreStore store(dir.File("scores.db"));
    scores::ServerLimits limits;
    limits.trustedProxies = {"127.0.0.1", "0:0:0:0:0:0:0:1", "10.0.0.0/8", "fd00:1::/32"};
    scores::ScoreServer server(store, "1", scores::SystemClockMs, limits);
    const std::optional<std::string> refused;
    struct Case {
        const char* peer;
        const char* forwardedFor;
        std::optional<std::string> client;
    } cases[] = {
        {"127.0.0.1", "", "127.0.0.1"},
        {"127.0.0.1", "203.0.113.7", "203.0.113.7"},
        {"::1", " 2001:db8::7 ", "2001:db8::7"},
        // The proxy appends what it saw; what stands before it the client may have made up.
        {"127.0.0.1", "10.1.1.1, 203.0.113.7", "203.0.113.7"},
        {"127.0.0.1", "203.0.113.7,10.1.1.1", "10.1.1.1"},
        {"127.0.0.1", "garbage, 203.0.113.7", "203.0.113.7"},
        // With a port, in brackets: the address alone.
        {"127.0.0.1", "203.0.113.7:61000", "203.0.113.7"},
        {"127.0.0.1", "[2001:db8::7]", "2001:db8::7"},
        {"127.0.0.1", "[2001:db8::7]:443", "2001:db8::7"},
        {"127.0.0.1", "::ffff:203.0.113.7", "203.0.113.7"},
        // Not an address: refused, not counted against the proxy.
        {"127.0.0.1", "unknown", refused},
        {"127.0.0.1", "203.0.113.7, ", refused},
        {"127.0.0.1", "203.0.113.7:99999", refused},
        {"127.0.0.1", "[203.0.113.7]", refused},
        {"127.0.0.1", "[2001:db8::7", refused},
        {"127.0.0.1", "2001:db8::7]:1", refused},
        {"127.0.0.1", "203.0.113.7:", refused},
        // Proxies by range.
        {"10.200.3.4", "203.0.113.8", "203.0.113.8"},
        {"fd00:1:ffff::9", "203.0.113.9", "203.0.113.9"},
        {"10.200.3.4", "junk", refused},
        // From anyone else the header is ignored.
        {"192.0.2.9", "203.0.113.7", "192.0.2.9"},
        {"127.0.0.2", "203.0.113.7", "127.0.0.2"},
        {"11.0.0.1", "203.0.113.7", "11.0.0.1"},
        {"fd00:2::1", "junk", "fd00:2::1"},
    };
    for (const Case& c : cases) {
        scores::HttpRequest request;
        request.peer = c.peer;
        request.forwardedFor = c.forwardedFor;
        EXPECT_EQ(server.ClientAddress(request), c.client) << c.peer << " / " << c.forwardedFor;
    }
}

TEST(ScoreServerClientTest, TrustedProxiesMustBeAddressesOrRanges) {
    TempDir dir;
    scores::ScoreStore store(dir.File("scores.db"));
    for (const char* bad : {"proxy.example.org", "10.0.0.0/33", "10.0.0.0/", "::1/129", ""}) {
        scores::ServerLimits limits;
        limits.trustedProxies = {bad};
        EXPECT_THROW(scores::ScoreServer(store, "1", scores::SystemClockMs, limits),
                     std::invalid_argument)
            << bad;
    }
}

// ScoreServerBase_test.cpp -- where the score server is: the harness's "server" line, then
// SKYVERN_SCORE_SERVER from the environment, then the address the game was built with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "online/ScoreServer.h"
#include "state/GameState.h"

namespace {

// Sets (or unsets) SKYVERN_SCORE_SERVER for one test and puts the old value back.
class ScoreServerEnv {
  public:
    explicit ScoreServerEnv(const char* value) {
        if (const char* old = std::getenv(kName)) old_ = old;
        if (value)
            setenv(kName, value, 1);
        else
            unsetenv(kName);
    }
    ~ScoreServerEnv() {
        if (old_)
            setenv(kName, old_->c_str(), 1);
        else
            unsetenv(kName);
    }

  private:
    static constexpr const char* kName = "SKYVERN_SCORE_SERVER";
    std::optional<std::string> old_;
};

std::string Built() {
    std::string base = SKYVERN_SCORE_SERVER;
    if (base.empty() || base.back() != '/') base += '/';
    return base;
}

TEST(ScoreServerBase, TheHarnessLineThenTheEnvironmentThenTheBuild) {
    struct {
        const char* env;      // nullptr: not set
        const char* harness;  // "": no server line
        std::string expected; // the base address in use
        bool warns;           // the environment's value is refused on standard error
    } cases[] = {
        {nullptr, "", Built(), false},
        {"", "", Built(), false},
        {"https://scores.example.org/", "", "https://scores.example.org/", false},
        {"http://192.0.2.7:8642", "", "http://192.0.2.7:8642/", false}, // the "/" is added
        {"HTTPS://LAN.example/skyvern/", "", "HTTPS://LAN.example/skyvern/", false},
        {"https://scores.example.org/", "http://192.0.2.1:1/", "http://192.0.2.1:1/", false},
        {nullptr, "http://192.0.2.1:1", "http://192.0.2.1:1/", false},
        // Not a web address the game can use: the built-in one, and a word why.
        {"scores.example.org", "", Built(), true},
        {"ftp://scores.example.org/", "", Built(), true},
        {"https://", "", Built(), true},
        {"https://scores.example.org/ x", "", Built(), true},
        {"https://scores.example.org/\n", "", Built(), true},
        {"https://scores.example.org/\x7f", "", Built(), true},
    };
    for (const auto& c : cases) {
        const std::string label = std::string("env ") + (c.env ? c.env : "(unset)") +
                                  ", server line \"" + c.harness + "\"";
        ScoreServerEnv env(c.env);
        ScoreServerOverride = c.harness;
        testing::internal::CaptureStderr();
        EXPECT_EQ(ScoreServerBase(), c.expected) << label;
        const std::string said = testing::internal::GetCapturedStderr();
        if (c.warns)
            EXPECT_NE(said.find("SKYVERN_SCORE_SERVER"), std::string::npos)
                << label << ": " << said;
        else
            EXPECT_EQ(said, "") << label;
    }
    ScoreServerOverride.clear();
}

TEST(ScoreServerBase, AnOverlongAddressIsRefused) {
    const std::string longest = "https://" + std::string(2000, 'a') + ".example/";
    ScoreServerEnv env(longest.c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(ScoreServerBase(), Built());
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
}

} // namespace

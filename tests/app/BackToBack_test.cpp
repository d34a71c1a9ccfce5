// BackToBack_test.cpp -- two harness runs in one process leave nothing behind for each other:
// each script prints the same states after the other as it does alone in a process of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/Harness.h"
#include "support/GameDir.h"

#ifdef SKYVERN_HARNESS_PROGRAM

namespace {

struct Script {
    uint32_t seed;
    std::string text;
};

// Music and sound switched off on the options screen, the home page opened through another
// score server, then a game played into the exit dialog.
const Script kSettingsAndServer{5, R"(frames 2
key press 40
key press 13
frames 2
key press 40
key press 13
key press 40
key press 13
frames 2
state
key press 40
key press 40
key press 40
key press 13
frames 2
server http://127.0.0.1:9/
key press 40
key press 40
key press 40
key press 13
frames 2
state
key press 38
key press 38
key press 38
key press 38
key press 13
frames 150
key down 38
frames 30
key up 38
state
key press 27
frames 2
state
)"};

// Defaults kept: the home page at the built-in address, help pages turned, then a game played
// with fire held until after the first enemies come.
const Script kDefaults{9, R"(frames 2
key press 40
key press 40
key press 40
key press 40
key press 13
frames 2
state
key press 38
key press 13
frames 2
key press 40
key press 13
key press 13
frames 2
state
key press 40
key press 13
key press 38
key press 38
key press 38
key press 13
frames 100
key down 17
frames 400
key up 17
state
)"};

std::string RunInThisProcess(const Script& s) {
    TempGameDir dir;
    THarness h({.seed = s.seed, .workdir = dir.Path()});
    std::istringstream in(s.text);
    std::ostringstream out;
    EXPECT_TRUE(h.RunScript(in, out)) << h.Error();
    return out.str();
}

std::string RunAlone(const Script& s) {
    TempGameDir dir;
    const std::string scriptPath = dir.Path() + "/script.txt";
    std::ofstream(scriptPath) << s.text;
    const std::string command = std::string(SKYVERN_HARNESS_PROGRAM) + " --seed " +
                                std::to_string(s.seed) + " --workdir " + dir.Path() + " " +
                                scriptPath;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return "";
    }
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

TEST(BackToBack, EachScriptGivesTheStatesItGivesAlone) {
    const std::string settingsAlone = RunAlone(kSettingsAndServer);
    const std::string defaultsAlone = RunAlone(kDefaults);
    // The runs are worth comparing: they reach what sets them apart.
    ASSERT_NE(settingsAlone.find("\"MusicOn\":0"), std::string::npos) << settingsAlone;
    ASSERT_NE(settingsAlone.find("http://127.0.0.1:9/"), std::string::npos) << settingsAlone;
    ASSERT_NE(settingsAlone.find("\"GameState\":\"gsExitDialog\""), std::string::npos);
    ASSERT_NE(defaultsAlone.find("\"HelpPage\":3"), std::string::npos) << defaultsAlone;
    ASSERT_EQ(defaultsAlone.find("http://127.0.0.1:9/"), std::string::npos) << defaultsAlone;

    // Both orders, so each script runs once after the other.
    EXPECT_EQ(RunInThisProcess(kSettingsAndServer), settingsAlone);
    EXPECT_EQ(RunInThisProcess(kDefaults), defaultsAlone);
    EXPECT_EQ(RunInThisProcess(kSettingsAndServer), settingsAlone);
}

} // namespace

#endif

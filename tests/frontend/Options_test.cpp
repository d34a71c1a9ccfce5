// Options_test.cpp -- the options screen left in every way: edits kept by a confirmed exit,
// typing ended by a main-menu click, marks that follow a display switch made under a dialog,
// and the display byte of config.dat read the same way everywhere.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "frontend/FrontEndScenario.h"

namespace {

class OptionsScreen : public FrontEndScenario {
  protected:
    // Opens the options and types into the country field.
    void TypeCountry(const std::string& text) {
        OpenScreen(2);
        PressTimes(kDown, 3);
        Press(kEnter);
        ASSERT_EQ(F("TextEditing"), "true");
        Run({"type " + text, "frames 1"});
    }
};

// How the program ends with the options screen open, after the country was typed.
struct EndCase {
    const char* name;
    std::vector<std::string> lines; // "quit": the session ends (logout, SIGTERM)
    int bossKey;                    // what config.dat holds afterwards
};

const EndCase kEndCases[] = {
    // The boss key is captured first, then the window's close box and "yes".
    {"ConfirmedExit",
     {"key press 40", "frames 1", "key press 13", "frames 1", "key press 116", "frames 1", "close",
      "frames 1", "key press 13", "frames 1"},
     kF5},
    // The close box while the boss-key dialog waits for its key.
    {"ConfirmedExitOverTheBossKeyDialog",
     {"key press 40", "frames 1", "key press 13", "frames 1", "close", "frames 1", "key press 13",
      "frames 1"},
     kF12},
    {"SessionEnd",
     {"key press 40", "frames 1", "key press 13", "frames 1", "key press 116", "frames 1", "quit",
      "frames 1"},
     kF5},
};

class OptionsAtTheEnd : public OptionsScreen, public ::testing::WithParamInterface<int> {};

TEST_P(OptionsAtTheEnd, AreSavedWithTheCountryAndTheBossKey) {
    const EndCase& c = kEndCases[GetParam()];
    TypeCountry("Peru");
    ASSERT_EQ(ConfigBytes()[6], 0) << "nothing saved yet";
    for (const std::string& line : c.lines) {
        if (line == "quit") {
            platform::Event quit;
            quit.kind = platform::EventKind::Quit;
            h->Platform().Push(quit);
        } else {
            ASSERT_TRUE(h->RunLine(line)) << h->Error();
        }
    }
    ASSERT_TRUE(h->Ended());
    const std::vector<uint8_t> bytes = ConfigBytes();
    ASSERT_EQ(bytes.size(), 158u) << "the layout stays";
    EXPECT_EQ(bytes[4], c.bossKey);
    EXPECT_EQ(bytes[6], 4);
    EXPECT_EQ(bytes[7], uint8_t(~'P'));
}

INSTANTIATE_TEST_SUITE_P(Ways, OptionsAtTheEnd, ::testing::Range(0, 3),
                         [](const auto& info) { return kEndCases[info.param].name; });

TEST_F(OptionsScreen, LeavingByAMainMenuClickEndsTyping) {
    TypeCountry("Oz");
    Click(60, 352); // the main menu's help entry
    ASSERT_EQ(N("MenuScreen"), 4);
    EXPECT_EQ(F("TextEditing"), "false");
    Press(kEsc);
    Press(kUp);
    Press(kUp);
    Press(kEnter); // options again
    ASSERT_EQ(N("MenuScreen"), 2);
    Run({"type x", "frames 1"});
    EXPECT_EQ(F("Country"), "Oz") << "typing does not resume unseen";
    EXPECT_EQ(F("TextEditing"), "false");
}

// A display switch made while a dialog stands over the options screen.
struct SwitchCase {
    const char* name;
    std::vector<std::string> openDialog, toggle, closeDialog;
};

class MarksAfterADialog : public FrontEndScenario, public ::testing::WithParamInterface<int> {};

const SwitchCase kSwitchCases[] = {
    {"ExitDialogAltEnter",
     {"close", "frames 1"},
     {"key down 18", "key down 13 alt", "key up 13 alt", "key up 18", "frames 1"},
     {"key press 27", "frames 1"}},
    {"ExitDialogMaximise",
     {"close", "frames 1"},
     {"maximize", "frames 1"},
     {"key press 27", "frames 1"}},
    {"BossKeyDialogAltEnter",
     {"key press 40", "frames 1", "key press 40", "frames 1", "key press 40", "frames 1",
      "key press 40", "frames 1", "key press 13", "frames 1"},
     {"key down 18", "key down 13 alt", "key up 13 alt", "key up 18", "frames 1"},
     {"key press 116", "frames 1"}},
    {"BossKeyDialogMaximise",
     {"key press 40", "frames 1", "key press 40", "frames 1", "key press 40", "frames 1",
      "key press 40", "frames 1", "key press 13", "frames 1"},
     {"maximize", "frames 1"},
     {"key press 116", "frames 1"}},
};

TEST_P(MarksAfterADialog, ShowTheModeInForce) {
    const SwitchCase& c = kSwitchCases[GetParam()];
    OpenScreen(2);
    for (const auto* lines : {&c.openDialog, &c.toggle, &c.closeDialog}) {
        for (const std::string& line : *lines)
            ASSERT_TRUE(h->RunLine(line)) << h->Error();
        if (lines == &c.openDialog) {
            ASSERT_NE(N("MenuScreen"), 2);
        }
    }
    ASSERT_EQ(N("MenuScreen"), 2);
    ASSERT_EQ(F("Fullscreen"), "true");
    EXPECT_FALSE(OptionMarks[1]->Shown) << "\"window\"";
    EXPECT_TRUE(OptionMarks[2]->Shown) << "\"full\"";
}

INSTANTIATE_TEST_SUITE_P(Ways, MarksAfterADialog, ::testing::Range(0, 4),
                         [](const auto& info) { return kSwitchCases[info.param].name; });

// config.dat as a hand or another tool left it: a display byte that is neither 0 nor 1.
TEST(OptionsDisplayByte, AnyNonZeroByteIsWindowedEverywhere) {
    for (uint8_t windowed : {uint8_t(2), uint8_t(255)}) {
        SCOPED_TRACE(int(windowed));
        TempGameDir dir;
        { THarness first({.seed = 1, .workdir = dir.Path()}); } // writes the default file
        std::vector<uint8_t> bytes;
        {
            std::ifstream in(dir / "config.dat", std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        ASSERT_EQ(bytes.size(), 158u);
        bytes[0] = uint8_t(windowed ^ 1); // stored scrambled
        std::ofstream(dir / "config.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

        THarness h({.seed = 1, .workdir = dir.Path()});
        auto run = [&](const std::string& line) { ASSERT_TRUE(h.RunLine(line)) << h.Error(); };
        run("frames 1");
        ASSERT_EQ(h.Field("Windowed"), std::to_string(windowed));
        EXPECT_EQ(h.Field("Fullscreen"), "false") << "on: windowed";
        run("key press 40"), run("frames 1"), run("key press 13"), run("frames 1"); // options
        ASSERT_EQ(h.Field("MenuScreen"), "2");
        EXPECT_TRUE(OptionMarks[1]->Shown);
        EXPECT_FALSE(OptionMarks[2]->Shown);
        run("key press 13"), run("frames 1"); // the display item
        EXPECT_EQ(h.Field("Fullscreen"), "true") << "the first toggle changes the mode";
        EXPECT_EQ(h.Field("Windowed"), "0");
    }
}

} // namespace

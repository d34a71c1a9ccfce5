// Options_test.cpp -- the options screen left in every way: edits kept by a confirmed exit,
// typing ended by a main-menu click, marks that follow a display switch made under a dialog,
// and the display byte of config.dat read the same way everywhere.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "frontend/FrontEndScenario.h"

namespace {

using OptionsScreen = FrontEndScenario;

TEST_F(OptionsScreen, AConfirmedExitKeepsTheCountryAndTheBossKey) {
    OpenScreen(2);
    PressTimes(kDown, 3);
    Press(kEnter); // country: typing starts
    Run({"type Peru", "frames 1"});
    Press(kDown);
    Press(kEnter); // boss key
    Press(kF5);
    ASSERT_EQ(N("MenuScreen"), 2);
    ASSERT_EQ(ConfigBytes()[4], kF12) << "nothing saved yet";
    Run({"close", "frames 1"});
    ASSERT_EQ(N("MenuScreen"), 5);
    Press(kEnter); // yes
    ASSERT_TRUE(h->Ended());
    const std::vector<uint8_t> bytes = ConfigBytes();
    ASSERT_EQ(bytes.size(), 158u) << "the layout stays";
    EXPECT_EQ(bytes[4], kF5);
    EXPECT_EQ(bytes[6], 4);
    EXPECT_EQ(bytes[7], uint8_t(~'P'));
}

TEST_F(OptionsScreen, AConfirmedExitOverTheBossKeyDialogKeepsTheCountry) {
    OpenScreen(2);
    PressTimes(kDown, 3);
    Press(kEnter);
    Run({"type Chad", "frames 1"});
    Press(kDown);
    Press(kEnter); // the boss-key dialog
    ASSERT_EQ(N("MenuScreen"), 7);
    Run({"close", "frames 1"});
    Press(kEnter); // yes
    ASSERT_TRUE(h->Ended());
    EXPECT_EQ(ConfigBytes()[6], 4);
}

TEST_F(OptionsScreen, LeavingByAMainMenuClickEndsTyping) {
    OpenScreen(2);
    PressTimes(kDown, 3);
    Press(kEnter);
    ASSERT_EQ(F("TextEditing"), "true");
    Run({"type Oz", "frames 1"});
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

// Startup_test.cpp -- the program's start on the headless backend: window, first frames,
// songs by focus, the window/full-screen switch and the faults it must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "app/Harness.h"
#include "app/MainForm.h"
#include "state/GameState.h"
#include "support/GameDir.h"

namespace {

TEST(Startup, OpensTheWindowAndRunsTheMenuLoopWithItsSong) {
    TempGameDir dir;
    THarness h({.seed = 1, .workdir = dir.Path()});
    EXPECT_EQ(h.Platform().title, "Skyvern");
    h.Frames(3);
    EXPECT_EQ(h.Field("GameState"), "gsMenu");
    EXPECT_EQ(h.Platform().frameWidth, 800);
    EXPECT_EQ(h.Platform().frameHeight, 600);
    EXPECT_EQ(h.Form().DXDraw.FlipCount(), 3u) << "one frame flipped per 16 ms";
    EXPECT_EQ(h.Platform().presents, 1u) << "the same menu frame is presented once";
    EXPECT_EQ(h.Field("Song"), "sound\\1.xm");
    EXPECT_EQ(h.Field("MessageBoxes"), "[]");
}

TEST(Startup, FocusStopsAndRestartsTheMenu) {
    TempGameDir dir;
    THarness h({.seed = 1, .workdir = dir.Path()});
    h.Frames(2);
    h.RunLine("focus lost");
    uint64_t before = h.Form().DXDraw.FlipCount();
    h.Frames(5);
    EXPECT_EQ(h.Form().DXDraw.FlipCount(), before) << "the menu loop stops in the background";
    EXPECT_EQ(h.Field("Song"), "null");
    h.RunLine("focus gained");
    h.Frames(2);
    EXPECT_GT(h.Form().DXDraw.FlipCount(), before);
    EXPECT_EQ(h.Field("Song"), "sound\\1.xm");
}

TEST(Startup, AWindowOpenedWithoutTheFocusShowsTheMenuStandingStill) {
    TempGameDir dir;
    THarness h({.seed = 1, .workdir = dir.Path(), .focused = false});
    const auto& frame = h.Platform().lastFrame;
    ASSERT_EQ(h.Platform().presents, 1u) << "a window that never shows a frame is never mapped";
    ASSERT_EQ(frame.size(), 800u * 600u);
    const auto lit = std::count_if(frame.begin(), frame.end(), [](uint32_t p) { return p != 0; });
    EXPECT_GT(lit, 800 * 600 / 2) << "the menu, not a black window";
    const std::vector<uint32_t> shown = frame;
    h.Frames(5);
    EXPECT_EQ(h.Platform().presents, 1u) << "the menu loop stands still in the background";
    platform::Event exposed;
    exposed.kind = platform::EventKind::Exposed;
    h.Platform().Push(exposed);
    h.Frames(1);
    EXPECT_EQ(h.Platform().presents, 2u) << "an exposed window is painted again";
    EXPECT_TRUE(frame == shown) << "with the same menu, not moved on";
    const uint64_t flips = h.Form().DXDraw.FlipCount();
    h.RunLine("focus gained");
    h.Frames(2);
    EXPECT_GT(h.Form().DXDraw.FlipCount(), flips) << "the menu runs once it has the focus";
}

TEST(Startup, SwitchingToFullScreenAndBack) {
    TempGameDir dir;
    THarness h({.seed = 1, .workdir = dir.Path()});
    h.Frames(1);
    h.RunLine("maximize"); // the maximise command goes to full screen and saves it
    h.Frames(1);
    EXPECT_EQ(h.Field("Fullscreen"), "true");
    EXPECT_EQ(h.Field("Windowed"), "0");
    Windowed = 1;
    h.Form().ChangeMode();
    h.Frames(1);
    EXPECT_EQ(h.Field("Fullscreen"), "false");
    EXPECT_TRUE(h.Form().DXDraw.CanDraw()) << "the display is up again after the switch";
}

TEST(Startup, MissingSongsTellOnceAndPlaySilent) {
    // The pictures and sound effects, but neither song.
    TempGameDir dir(false);
    const std::filesystem::path game = SKYVERN_GAME_DIR;
    std::filesystem::create_directory_symlink(game / "data", dir / "data");
    std::filesystem::create_directory(dir / "sound");
    std::filesystem::create_symlink(game / "sound" / "gamesound.dxw", dir / "sound/gamesound.dxw");
    THarness h({.seed = 1, .workdir = dir.Path()});
    h.Frames(2);
    EXPECT_EQ(h.Field("MessageBoxes"), "[\"Can't load music.\"]");
    EXPECT_EQ(h.Field("MusicOn"), "0");
    h.RunLine("focus lost");
    h.RunLine("focus gained");
    h.Frames(2);
    EXPECT_EQ(h.Platform().messages.size(), 1u) << "music stays off: no second message";
}

TEST(Startup, NoSoundDeviceStillPlays) {
    TempGameDir dir;
    THarness h({.seed = 1, .workdir = dir.Path(), .audio = false});
    h.Frames(2);
    EXPECT_EQ(h.Field("GameState"), "gsMenu");
    EXPECT_EQ(h.Field("MessageBoxes"), "[]");
}

TEST(Startup, NoDisplayIsAClearError) {
    TempGameDir dir;
    platform::HeadlessPlatform p;
    p.hasDisplay = false;
    platform::SetCurrent(&p);
    try {
        TmainForm form;
        FAIL() << "a window was opened without a display";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "cannot open a window: no display available");
    }
    platform::SetCurrent(nullptr);
}

TEST(Startup, AGameSongThatCannotLoadSilencesTheMenuSong) {
    // Every data file but the game's song.
    TempGameDir dir(false);
    const std::filesystem::path game = SKYVERN_GAME_DIR;
    std::filesystem::create_directory_symlink(game / "data", dir / "data");
    std::filesystem::create_directory(dir / "sound");
    for (const char* file : {"gamesound.dxw", "1.xm"})
        std::filesystem::create_symlink(game / "sound" / file, dir / "sound" / file);
    THarness h({.seed = 1, .workdir = dir.Path()});
    h.Frames(1);
    ASSERT_EQ(h.Field("Song"), "sound\\1.xm");
    ASSERT_TRUE(h.RunLine("key press 13")); // start game
    h.Frames(1);
    EXPECT_EQ(h.Field("MessageBoxes"), "[\"Can't load music.\"]");
    EXPECT_EQ(h.Field("Song"), "null") << "no music plays after the failed load";
    ASSERT_TRUE(h.RunLine("key press 123")); // the boss key
    h.RunLine("focus gained");
    h.Frames(1);
    EXPECT_EQ(h.Field("Song"), "null");
}

// The generated data files, one of them replaced by a damaged copy (its first 40 bytes).
void LinkDataWithOneDamaged(const TempGameDir& dir, const std::string& damaged) {
    const std::filesystem::path game = SKYVERN_GAME_DIR;
    for (const char* file : {"data/menu.dxg", "data/gamegraphic.dxg", "sound/gamesound.dxw",
                             "sound/1.xm", "sound/2.xm"}) {
        std::filesystem::create_directories((dir / file).parent_path());
        if (file != damaged) {
            std::filesystem::create_symlink(game / file, dir / file);
            continue;
        }
        std::ifstream in(game / file, std::ios::binary);
        char head[40] = {};
        in.read(head, sizeof head);
        std::ofstream(dir / file, std::ios::binary).write(head, sizeof head);
    }
}

TEST(Startup, ADamagedDataFileEndsTheRunWithItsMessageInABox) {
    for (const char* damaged : {"data/menu.dxg", "sound/gamesound.dxw", "data/gamegraphic.dxg"}) {
        SCOPED_TRACE(damaged);
        TempGameDir dir(false);
        LinkDataWithOneDamaged(dir, damaged);
        THarness h({.seed = 1, .workdir = dir.Path()});
        // The game's pictures load when a game starts.
        const bool ran =
            h.RunLine("frames 2") && h.RunLine("key press 13") && h.RunLine("frames 2");
        EXPECT_FALSE(ran);
        ASSERT_FALSE(h.FatalError().empty());
        EXPECT_TRUE(h.Ended());
        ASSERT_EQ(h.Platform().messages.size(), 1u);
        EXPECT_EQ(h.Platform().messages[0], h.FatalError());
        EXPECT_EQ(h.Error(), h.FatalError());
        EXPECT_FALSE(h.RunLine("frames 1")) << "the run stays ended";
        EXPECT_EQ(h.Platform().messages.size(), 1u);
    }
}

#ifdef SKYVERN_HARNESS_PROGRAM
TEST(Startup, ADamagedDataFileGivesANonZeroExitStatus) {
    TempGameDir dir(false);
    LinkDataWithOneDamaged(dir, "data/menu.dxg");
    // An empty script fails all the same when the start itself failed; a script that asks for
    // the state gets an error, not a look at a game that never started.
    for (const char* script : {"", "state\\n"}) {
        SCOPED_TRACE(script);
        const std::string command = "printf '" + std::string(script) + "' | " +
                                    SKYVERN_HARNESS_PROGRAM + " --workdir " + dir.Path() +
                                    " - 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        const int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << "\n" << out;
        EXPECT_NE(out.find("skyvern-harness: "), std::string::npos) << out;
    }
}
#endif

} // namespace

// GoldenFrames_test.cpp -- what reaches the screen, frame by frame, in one fixed seeded run:
// the main menu, every sub-screen and dialog, the level banner, play by day and by night with
// fire held, the dragon's explosion, the game-over banner, name entry and the send prompt.
// Every frame's picture is folded into one checksum per stretch of the run. The checksums were
// recorded from the game as it drew and presented every frame in full; however frames are
// composed and presented, the screen must show exactly the same pixels on every frame.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frontend/FrontEndScenario.h"
#include "world/GameField.h"

namespace {

struct Stretch {
    const char* name;
    int frames;
    uint64_t sum;
};

// Recorded from the run below before frames were composed and presented incrementally.
const Stretch kGolden[] = {
    {"start", 1, 0xA4FC5D9774E61EC6ull},
    {"main menu", 40, 0x3A467AD772336A1Dull},
    {"options, boss key", 90, 0x0D4788FAE12B5E3Eull},
    {"high scores, clear dialog", 45, 0x1CFDEBE888F1B964ull},
    {"help", 36, 0x74B36320AB2871E2ull},
    {"exit dialog", 32, 0x13746C2C646ABD63ull},
    {"level banner", 98, 0x2ADFA2FB914A4BC5ull},
    {"first game", 320, 0x3D4D6FA938B75FA3ull},
    {"explosion", 537, 0xAC7FE6E3217A75D8ull},
    {"game over", 105, 0x5DCD6AA0468720FEull},
    {"name entry, send prompt", 126, 0xB61B80A3AD233F09ull},
    {"second game", 259, 0x886BAA69A9080B93ull},
};

class GoldenFrames : public FrontEndScenario {
  protected:
    void SetUp() override {
        h = std::make_unique<THarness>(THarness::Options{.seed = kSeed, .workdir = dir.Path()});
        Play({"frames 1"});
        Close("start");
    }

    // Runs script lines like Run, but one frame at a time, folding in what the screen shows
    // after each frame (whether or not the frame presented anything).
    void Play(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines) {
            int n = 0;
            if (std::sscanf(line.c_str(), "frames %d", &n) != 1) {
                ASSERT_TRUE(h->RunLine(line)) << h->Error();
                continue;
            }
            for (int i = 0; i < n; ++i) {
                ASSERT_TRUE(h->RunLine("frames 1")) << h->Error();
                Fold();
            }
        }
    }
    void Key(int vk, int times = 1) {
        for (int i = 0; i < times; ++i)
            Play({"key press " + std::to_string(vk), "frames 1"});
    }
    void PlayUntil(const std::string& state, int limit) {
        for (int i = 0; i < limit && F("GameState") != state; ++i)
            Play({"frames 1"});
        ASSERT_EQ(F("GameState"), state);
    }
    // Selects a main-menu entry by the keyboard, from wherever the selection stands.
    void SelectMain(int item) {
        ASSERT_EQ(N("MenuScreen"), 1);
        for (int i = 0; i < 6 && N("SelectedItem") != item; ++i)
            Key(kDown);
        ASSERT_EQ(N("SelectedItem"), item);
    }
    // Fire held, sweeping up and down, pushing right against the drift now and then.
    void Sweeps(int count) {
        Play({"key down " + std::to_string(kCtrl)});
        for (int i = 0; i < count; ++i) {
            const std::string v = std::to_string(i % 2 == 0 ? kUp : kDown);
            Play({"key down " + v, "frames 20", "key up " + v, "key down 39", "frames 8",
                  "key up 39", "frames 12"});
        }
        Play({"key up " + std::to_string(kCtrl)});
    }

    // The FNV-1a fold of the screen's pixels, taken 64 bits at a time.
    void Fold() {
        const std::vector<uint32_t>& frame = h->Platform().lastFrame;
        const size_t words = frame.size() / 2;
        const auto* p = reinterpret_cast<const unsigned char*>(frame.data());
        for (size_t i = 0; i < words; ++i) {
            uint64_t w;
            std::memcpy(&w, p + 8 * i, 8);
            sum_ = (sum_ ^ w) * 0x100000001B3ull;
        }
        sum_ = (sum_ ^ frame.size()) * 0x100000001B3ull;
        ++frames_;
    }
    void Close(const char* name) {
        got_.push_back({name, frames_, sum_});
        sum_ = kBasis;
        frames_ = 0;
    }

    static constexpr uint32_t kSeed = 16; // the first game by day, the second by night
    static constexpr uint64_t kBasis = 0xCBF29CE484222325ull;
    uint64_t sum_ = kBasis;
    int frames_ = 0;
    std::vector<Stretch> got_;
};

TEST_F(GoldenFrames, EveryFrameOfAScriptedRunShowsTheRecordedPixels) {
    Play({"frames 40"});
    Close("main menu");

    SelectMain(2);
    Key(kEnter);
    Play({"frames 20"});
    Key(kDown, 3); // the country field, typed into
    Key(kEnter);
    Play({"type Wales", "frames 40"});
    Key(kDown); // the boss key: its dialog, answered by a key
    Key(kEnter);
    ASSERT_EQ(N("MenuScreen"), 7);
    Play({"frames 10"});
    Key(kF5);
    Play({"frames 10"});
    Key(kEsc);
    Close("options, boss key");

    SelectMain(3);
    Key(kEnter);
    Play({"frames 20"});
    Key(kEnter); // clear: its dialog, answered no
    ASSERT_EQ(N("MenuScreen"), 6);
    Play({"frames 10"});
    Key(kEsc);
    Play({"frames 10"});
    Key(kEsc);
    Close("high scores, clear dialog");

    SelectMain(4);
    Key(kEnter);
    Play({"frames 10"});
    Key(kRight); // next page, twice
    Key(kEnter);
    Play({"frames 10"});
    Key(kEnter);
    Play({"frames 10"});
    Key(kEsc);
    Close("help");

    Key(kEsc); // the exit dialog, answered no
    ASSERT_EQ(N("MenuScreen"), 5);
    Play({"frames 20"});
    Key(kEsc);
    Play({"frames 10"});
    Close("exit dialog");

    SelectMain(1);
    Key(kEnter);
    ASSERT_EQ(F("GameState"), "gsLevelBanner");
    ASSERT_TRUE(GameBack);
    const int firstSky = GameBack->DayFlag;
    PlayUntil("gsPlaying", 200);
    Close("level banner");

    Sweeps(8);
    Shot("golden-first-game");
    Close("first game");

    // Hands off: the dragon drifts into the grille and bursts.
    PlayUntil("gsDying", 3000);
    Play({"frames 12"});
    Shot("golden-explosion");
    Play({"frames 188"});
    ASSERT_EQ(F("GameState"), "gsPlaying");
    Close("explosion");

    // A score that takes a place in the table, then the game ended through the exit dialog.
    Score = 1000;
    Key(kEsc);
    ASSERT_EQ(F("GameState"), "gsExitDialog");
    Play({"frames 10"});
    Key(kEnter);
    PlayUntil("gsNameEntry", 200);
    Close("game over");

    Play({"type Golden", "frames 40"});
    Key(kDown); // the country field
    Play({"frames 40"});
    Key(kDown); // store
    Key(kEnter);
    ASSERT_EQ(F("GameState"), "gsSendPrompt");
    Play({"frames 20"});
    Key(kRight); // do not send: the high-score screen
    Key(kEnter);
    ASSERT_EQ(N("MenuScreen"), 3);
    Play({"frames 20"});
    Key(kEsc);
    Close("name entry, send prompt");

    SelectMain(1);
    Key(kEnter);
    ASSERT_TRUE(GameBack);
    const int secondSky = GameBack->DayFlag;
    PlayUntil("gsPlaying", 200);
    Sweeps(4);
    Shot("golden-second-game");
    Close("second game");

    EXPECT_NE(firstSky, secondSky) << "one game by day, one by night";
    std::string table;
    bool same = got_.size() == std::size(kGolden);
    for (const Stretch& g : got_) {
        char line[160];
        std::snprintf(line, sizeof line, "    {\"%s\", %d, 0x%016llXull},\n", g.name, g.frames,
                      (unsigned long long)g.sum);
        table += line;
        const Stretch* want = nullptr;
        for (const Stretch& k : kGolden)
            if (g.name == std::string(k.name)) want = &k;
        if (!want || want->frames != g.frames || want->sum != g.sum) {
            same = false;
            ADD_FAILURE() << "the stretch \"" << g.name << "\" shows other pixels";
        }
    }
    EXPECT_TRUE(same) << "this run showed:\n" << table;
}

} // namespace

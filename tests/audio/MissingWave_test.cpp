// MissingWave_test.cpp -- a wave file that lacks some of the effects the game plays: each
// missing one is silence, and the game goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/Mixer.h"
#include "graphics/DxgReader.h"
#include "graphics/DxgWriter.h"
#include "state/GameState.h"
#include "support/Scenario.h"
#include "world/Hero.h"

namespace {

// The generated wave file without the effects named.
void WriteWavesWithout(const std::filesystem::path& to, const std::vector<std::string>& drop) {
    std::ifstream in(std::filesystem::path(SKYVERN_GAME_DIR) / "sound/gamesound.dxw",
                     std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    std::vector<TWaveItemData> items = ReadWaveCollection(bytes);
    std::erase_if(items, [&](const TWaveItemData& w) {
        return std::find(drop.begin(), drop.end(), w.Name) != drop.end();
    });
    const std::vector<uint8_t> out = WriteWaveCollection(items);
    std::ofstream(to, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
}

TEST(MissingWave, AnEffectMissingFromTheWaveFilePlaysNothingAndTheGameGoesOn) {
    TempGameDir dir(false);
    const std::filesystem::path game = SKYVERN_GAME_DIR;
    std::filesystem::create_directory_symlink(game / "data", dir / "data");
    std::filesystem::create_directory(dir / "sound");
    for (const char* song : {"1.xm", "2.xm"})
        std::filesystem::create_symlink(game / "sound" / song, dir / "sound" / song);
    WriteWavesWithout(dir / "sound/gamesound.dxw", {"menu", "heroshot", "herodie"});

    THarness h({.seed = 1, .workdir = dir.Path()});
    auto run = [&](const std::string& line) { ASSERT_TRUE(h.RunLine(line)) << h.Error(); };
    run("frames 1");
    const std::string selected = h.Field("SelectedItem");
    run("key press 40"); // the menu's move sound is missing
    run("frames 1");
    EXPECT_NE(h.Field("SelectedItem"), selected) << "the menu moves on";
    run("key press 38");
    run("key press 13"); // start a game
    for (int i = 0; i < 200 && h.Field("GameState") != "gsPlaying"; ++i)
        run("frames 1");
    ASSERT_EQ(h.Field("GameState"), "gsPlaying");

    run("key down 17"); // fire: the shot's sound is missing
    run("frames 10");
    run("key up 17");
    EXPECT_NE(h.Field("Sprites.THeroWeaponSprite"), "null") << "the shots fly";
    Hero->Health = 0; // and so is the dragon's death cry
    run("frames 1");
    EXPECT_EQ(h.Field("Lives"), "2");
    for (int i = 0; i < 400 && h.Field("GameState") != "gsPlaying"; ++i)
        run("frames 1");
    EXPECT_EQ(h.Field("GameState"), "gsPlaying") << "the next life starts";
    const std::string sounds = h.Field("Sounds");
    for (const char* name : {"menu", "heroshot", "herodie"})
        EXPECT_NE(sounds.find(name), std::string::npos) << name << " was asked for";
}

} // namespace

// Music_test.cpp -- when songs start and stop, and a song that cannot be loaded.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "audio/Mixer.h"
#include "audio/Music.h"
#include "platform/headless/HeadlessPlatform.h"
#include "state/GameState.h"
#include "support/TinyXm.h"

namespace {

struct MusicTest : ::testing::Test {
    platform::HeadlessPlatform p;
    std::filesystem::path dir, old;
    MusicTest() {
        platform::SetCurrent(&p);
        old = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("skyvern-music-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "Sound");
        std::filesystem::current_path(dir);
        WriteTinyXm("Sound/1.xm");
        ResetGameState();
        TAudioMixer::Instance().Open();
    }
    ~MusicTest() override {
        SongFreeAll();
        TAudioMixer::Instance().Close();
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
        platform::SetCurrent(nullptr);
    }
};

TEST_F(MusicTest, PathsMatchWithoutRegardToCase) {
    int32_t h = SongLoadFromFile("sound\\1.xm"); // the file is Sound/1.xm
    ASSERT_NE(h, 0);
    SongPlay(h);
    EXPECT_EQ(PlayingSongPath(), "sound\\1.xm");
    EXPECT_NE(TAudioMixer::Instance().Song(), nullptr);
    SongStop(h);
    EXPECT_EQ(PlayingSongPath(), "");
    EXPECT_EQ(TAudioMixer::Instance().Song(), nullptr);
    SongStop(h); // again: harmless
    SongStop(0);
}

TEST_F(MusicTest, ANewSongReplacesTheOnePlaying) {
    int32_t first = SongLoadFromFile("sound\\1.xm");
    SongPlay(first);
    int32_t second = SongLoadFromFile("Sound\\1.xm");
    ASSERT_NE(second, first);
    SongPlay(second);
    EXPECT_EQ(PlayingSongPath(), "Sound\\1.xm");
    SongStop(first); // the old handle no longer plays: nothing happens
    EXPECT_EQ(PlayingSongPath(), "Sound\\1.xm");
}

TEST_F(MusicTest, StartMusicOnAMissingSongTellsOnceAndTurnsMusicOff) {
    MusicOn = 1;
    StartMusic("sound\\2.xm");
    EXPECT_EQ(MusicHandle, 0);
    EXPECT_EQ(MusicOn, 0);
    EXPECT_EQ(p.messages, (std::vector<std::string>{"Can't load music."}));
    StartMusic("sound\\1.xm");
    EXPECT_NE(MusicHandle, 0);
    EXPECT_EQ(p.messages.size(), 1u);
}

TEST_F(MusicTest, NotAModuleIsNotLoaded) {
    std::ofstream("sound/bad.xm") << "not a module";
    EXPECT_EQ(SongLoadFromFile("sound\\bad.xm"), 0);
}

TEST_F(MusicTest, SongsPlayWithoutASoundDevice) {
    TAudioMixer::Instance().Close();
    p.hasAudio = false;
    EXPECT_FALSE(TAudioMixer::Instance().Open());
    int32_t h = SongLoadFromFile("sound\\1.xm");
    ASSERT_NE(h, 0) << "a missing device is silence, not a broken song";
    SongPlay(h);
    EXPECT_EQ(PlayingSongPath(), "sound\\1.xm");
}

TEST_F(MusicTest, TheMixerRendersTheSongAndLoops) {
    int32_t h = SongLoadFromFile("sound\\1.xm");
    SongPlay(h);
    std::vector<int16_t> out(2 * 44100 * 3);
    // Three seconds of a one-row song: it must keep playing (looping), never stop the mixer.
    p.RenderAudio(out.data(), 44100 * 3);
    EXPECT_NE(TAudioMixer::Instance().Song(), nullptr);
}

TEST_F(MusicTest, AFailedLoadLeavesNoSongPlaying) {
    std::ofstream("Sound/bad.xm") << "not a module";
    for (const char* path : {"sound\\2.xm", "sound\\bad.xm"}) { // missing, damaged
        SCOPED_TRACE(path);
        MusicOn = 1;
        StartMusic("sound\\1.xm");
        ASSERT_EQ(PlayingSongPath(), "sound\\1.xm");
        StartMusic(path);
        EXPECT_EQ(MusicOn, 0);
        EXPECT_EQ(PlayingSongPath(), "") << "the earlier song does not play on";
        EXPECT_EQ(TAudioMixer::Instance().Song(), nullptr);
    }
}

} // namespace

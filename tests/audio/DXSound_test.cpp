// DXSound_test.cpp -- sound effects on the headless audio device: copies and their limit, the
// restart of the oldest copy, looped entries, the component's notices and silence without a
// device.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/DXSound.h"
#include "audio/Mixer.h"
#include "graphics/DxgWriter.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// A mono 16-bit PCM wave holding one constant value, so the mix shows how many copies sound.
TWave ConstantWave(int frames, int16_t value, uint32_t rate = 44100) {
    TWave w;
    const uint16_t channels = 1, bits = 16, align = 2;
    const uint32_t byteRate = rate * align;
    auto put16 = [&](uint16_t v) {
        w.Format.push_back(uint8_t(v));
        w.Format.push_back(uint8_t(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(uint16_t(v));
        put16(uint16_t(v >> 16));
    };
    put16(1); // PCM
    put16(channels);
    put32(rate);
    put32(byteRate);
    put16(align);
    put16(bits);
    for (int i = 0; i < frames; ++i) {
        w.Data.push_back(uint8_t(value));
        w.Data.push_back(uint8_t(uint16_t(value) >> 8));
    }
    return w;
}

struct SoundTest : ::testing::Test {
    platform::HeadlessPlatform p;
    std::unique_ptr<TDXSound> sound;
    std::unique_ptr<TDXWaveList> list;

    void Start(bool device) {
        p.hasAudio = device;
        platform::SetCurrent(&p);
        TAudioMixer::Instance().Open();
        sound = std::make_unique<TDXSound>();
        list = std::make_unique<TDXWaveList>();
        list->SetDXSound(sound.get());
        sound->Loaded();
    }
    void SetUp() override { Start(true); }
    void TearDown() override {
        list.reset();
        sound.reset();
        TAudioMixer::Instance().Close();
        platform::SetCurrent(nullptr);
    }

    TWaveCollectionItem& Add(const char* name, TWave wave, int32_t maxPlaying,
                             bool looped = false) {
        TWaveCollectionItem& item = list->Items.Add();
        item.SetName(name);
        item.Wave = std::move(wave);
        item.SetMaxPlayingCount(maxPlaying);
        item.SetLooped(looped);
        item.Restore();
        return item;
    }
    // Pulls `frames` from the device; returns the left sample of the last frame.
    int Render(int frames) {
        std::vector<int16_t> out(size_t(frames) * 2);
        p.RenderAudio(out.data(), frames);
        return out[out.size() - 2];
    }
};

TEST_F(SoundTest, ALimitOfTwoRestartsTheOldestCopyAndMovesItToTheEnd) {
    TWaveCollectionItem& w = Add("heroshot", ConstantWave(1000, 1000), 2);
    w.Play(false);
    w.Play(false);
    ASSERT_EQ(w.PlayBuffers().size(), 2u);
    TSoundBuffer* first = w.PlayBuffers()[0].get();
    TSoundBuffer* second = w.PlayBuffers()[1].get();
    EXPECT_EQ(Render(100), 2000) << "both copies sound";

    w.Play(false); // third: the first copy starts again from the beginning
    ASSERT_EQ(w.PlayBuffers().size(), 2u) << "never more copies than the limit";
    EXPECT_EQ(w.PlayBuffers()[0].get(), second);
    EXPECT_EQ(w.PlayBuffers()[1].get(), first);
    EXPECT_EQ(first->Position(), 0u);
    EXPECT_EQ(second->Position(), 100u);
    EXPECT_EQ(Render(50), 2000);

    w.Play(false); // fourth: now the second copy is the oldest
    EXPECT_EQ(w.PlayBuffers()[0].get(), first);
    EXPECT_EQ(w.PlayBuffers()[1].get(), second);
    EXPECT_EQ(second->Position(), 0u);
    EXPECT_EQ(first->Position(), 50u);
}

TEST_F(SoundTest, NoLimitSoundsEveryPlayAtOnceAndReusesFreeCopies) {
    TWaveCollectionItem& w = Add("mandie", ConstantWave(300, 1000), 0);
    for (int i = 0; i < 5; ++i)
        w.Play(false);
    EXPECT_EQ(w.PlayBuffers().size(), 5u);
    EXPECT_EQ(Render(10), 5000) << "five copies at once";
    Render(400); // all have ended
    for (auto& copy : w.PlayBuffers())
        EXPECT_FALSE(copy->IsPlaying());
    w.Play(false);
    EXPECT_EQ(w.PlayBuffers().size(), 5u) << "a free copy is reused, none is made";
    EXPECT_TRUE(w.PlayBuffers()[0]->IsPlaying());
    for (size_t i = 1; i < 5; ++i)
        EXPECT_FALSE(w.PlayBuffers()[i]->IsPlaying());
}

TEST_F(SoundTest, ALoopedEntryPlayedTwiceKeepsOneLoopFromTheStart) {
    TWaveCollectionItem& w = Add("drone", ConstantWave(200, 700), 0, true);
    w.Play(false);
    EXPECT_EQ(Render(350), 700);
    ASSERT_NE(w.MasterBuffer(), nullptr);
    EXPECT_TRUE(w.MasterBuffer()->IsPlaying()) << "still looping past its end";
    EXPECT_EQ(w.MasterBuffer()->Position(), 150u);
    w.Play(false);
    EXPECT_EQ(w.MasterBuffer()->Position(), 0u) << "restarted from the beginning";
    EXPECT_TRUE(w.PlayBuffers().empty()) << "a looped entry never uses copies";
    EXPECT_EQ(Render(10), 700) << "one loop, not two";
    w.SetLooped(false); // changing Looped stops it
    EXPECT_FALSE(w.MasterBuffer()->IsPlaying());
}

TEST_F(SoundTest, MaxPlayingCountStoresNoNegativeAndAChangeFreesTheCopies) {
    TWaveCollectionItem& w = Add("bonus", ConstantWave(100, 1), 2);
    w.SetMaxPlayingCount(-3);
    EXPECT_EQ(w.MaxPlayingCount(), 0);
    w.Play(false);
    w.Play(false);
    w.SetMaxPlayingCount(0); // no change: the copies stay
    EXPECT_EQ(w.PlayBuffers().size(), 2u);
    w.SetMaxPlayingCount(1);
    EXPECT_TRUE(w.PlayBuffers().empty());
}

TEST_F(SoundTest, WavesAreConvertedOnceAndCopiesShareTheSamples) {
    // 100 frames at 22050 Hz become 200 device frames at 44100 Hz, stereo.
    TWaveCollectionItem& w = Add("menu", ConstantWave(100, 500, 22050), 0);
    ASSERT_NE(w.MasterBuffer(), nullptr);
    EXPECT_EQ(w.MasterBuffer()->Frames(), 200u);
    w.Play(false);
    w.Play(false);
    for (auto& copy : w.PlayBuffers())
        EXPECT_EQ(copy->Data().get(), w.MasterBuffer()->Data().get());
}

TEST_F(SoundTest, EntriesWithoutSamplesAndUnknownNames) {
    TWaveCollectionItem& empty = Add("empty", TWave{}, 0);
    empty.Play(false);
    EXPECT_TRUE(empty.PlayBuffers().empty());
    TWaveCollectionItem& loop = Add("emptyloop", TWave{}, 0, true);
    try {
        loop.Play(false);
        FAIL() << "a looped entry without samples has no buffer to loop";
    } catch (const EDirectSoundBufferError& e) {
        EXPECT_STREQ(e.what(), "IDirectSoundBuffer not made");
    }
    try {
        list->Items.FindWave("nothing");
        FAIL();
    } catch (const EWaveCollectionError& e) {
        EXPECT_STREQ(e.what(), "Wave 'nothing' not found");
    }
    EXPECT_EQ(&list->Items.FindWave("EMPTY"), &empty) << "names compare without case";
}

TEST_F(SoundTest, FinaliseFreesTheBuffersAndInitialiseBuildsThemAgain) {
    TWaveCollectionItem& w = Add("looser", ConstantWave(100, 1), 1);
    w.Play(false);
    EXPECT_TRUE(w.Ready());
    sound->Finalize();
    EXPECT_FALSE(w.Ready());
    EXPECT_EQ(w.MasterBuffer(), nullptr);
    EXPECT_TRUE(w.PlayBuffers().empty());
    w.Play(false); // not ready: nothing, no error
    EXPECT_EQ(TAudioMixer::Instance().ActiveBuffers(), 0u);
    sound->Initialize();
    EXPECT_TRUE(w.Ready());
    EXPECT_NE(w.MasterBuffer(), nullptr) << "the restore notice builds every buffer";
}

TEST_F(SoundTest, TheGameFileHoldsEveryEffectReadyToPlay) {
    list->Items.LoadFromFile(std::string(SKYVERN_GAME_DIR) + "/sound/gamesound.dxw");
    for (const char* name : {"bonus", "herodie", "catapultdie", "mandie", "catapult", "manshot",
                             "heroshot", "menu", "looser", "nextlevel"}) {
        TWaveCollectionItem& w = list->Items.FindWave(name);
        EXPECT_TRUE(w.Ready()) << name;
        ASSERT_NE(w.MasterBuffer(), nullptr) << name << ": built during the load";
        EXPECT_GT(w.MasterBuffer()->Frames(), 0u) << name;
        EXPECT_FALSE(w.Looped()) << name;
    }
}

struct SilentSoundTest : SoundTest {
    void SetUp() override { Start(false); }
};

TEST_F(SilentSoundTest, WithoutADeviceEveryPlayIsSilent) {
    EXPECT_FALSE(sound->Initialized());
    list->Items.LoadFromFile(std::string(SKYVERN_GAME_DIR) + "/sound/gamesound.dxw");
    TWaveCollectionItem& w = list->Items.FindWave("menu");
    EXPECT_FALSE(w.Ready());
    w.Play(false);
    EXPECT_EQ(w.MasterBuffer(), nullptr);
    EXPECT_TRUE(w.PlayBuffers().empty());
    try {
        sound->Initialize();
        FAIL() << "there is no device to open";
    } catch (const EDirectSoundError& e) {
        EXPECT_STREQ(e.what(), "DirectSound cannot be initialized");
    }
}

} // namespace

// Every effect is converted to the device format at start-up: a very low rate must cost the
// file's error, not memory in proportion to the rate's smallness.
TEST_F(SoundTest, AWaveTooSlowToConvertWithinBoundsIsRefused) {
    struct Case {
        uint32_t Rate;
        bool Made;
    };
    for (Case c : {Case{1, false}, Case{100, false}, Case{600, false}, Case{800, true},
                   Case{22050, true}, Case{96000, true}}) {
        SCOPED_TRACE(c.Rate);
        TWave wave = ConstantWave(256, 1000, c.Rate);
        if (c.Made) {
            auto buffer = sound->MakeBuffer(wave);
            EXPECT_EQ(buffer->Frames(), size_t(256) * 44100 / c.Rate);
        } else {
            EXPECT_THROW(sound->MakeBuffer(wave), EDirectSoundBufferError);
            EXPECT_TRUE(
                ConvertToDevice(wave.Data.data(), wave.Data.size(), 1, 16, int(c.Rate), 44100)
                    .empty());
        }
    }
    // In a file the refusal stops the load, as any other bad wave does.
    EXPECT_THROW(Add("slow", ConstantWave(256, 1000, 1), 0), EDirectSoundBufferError);
}

// All waves of a file are converted at start-up: together they may take memory in proportion to
// the file only, however each one alone stays within its growth.
TEST_F(SoundTest, AFileWhoseWavesConvertBeyondItsBudgetIsRefused) {
    auto file = [](uint32_t rate) {
        std::vector<TWaveItemData> items(3);
        for (size_t i = 0; i < items.size(); ++i) {
            items[i].Name = "w" + std::to_string(i);
            items[i].Wave = ConstantWave(40000, 1000, rate);
        }
        return WriteWaveCollection(items);
    };
    const std::vector<uint8_t> slow = file(800), plain = file(22050);
    // Each 800 Hz wave grows 110 times (8.8 MB), within the growth a single wave may take;
    // the three together pass the floor of the budget of a file this small.
    const TWave one = ConstantWave(40000, 1000, 800);
    ASSERT_LT(ConvertedBytes(one, 44100), ConversionBudget(slow.size()));
    ASSERT_GT(3 * ConvertedBytes(one, 44100), ConversionBudget(slow.size()));
    EXPECT_NO_THROW(sound->MakeBuffer(one));

    try {
        list->Items.LoadFromStream(slow);
        ADD_FAILURE() << "a file over its conversion budget was loaded";
    } catch (const EDirectSoundBufferError& e) {
        EXPECT_STREQ(e.what(), "Sound Buffer cannot be made");
    }

    list->Items.LoadFromStream(plain);
    ASSERT_EQ(list->Items.Count(), 3);
    // The budget counts each entry's buffer once, however often the sound restarts.
    for (int round = 0; round < 3; ++round) {
        sound->Finalize();
        sound->Initialize();
        sound->Restore();
        for (int i = 0; i < 3; ++i)
            EXPECT_NE(list->Items.Items(i).MasterBuffer(), nullptr) << round << " " << i;
    }
}

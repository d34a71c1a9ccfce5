// MixLimiter_test.cpp -- the mix never clips: the limiter on its own, and the real mixer fed
// by a busy fight of the real game (the song and every effect the fight starts).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/Mixer.h"
#include "state/GameState.h"
#include "support/Scenario.h"

namespace {

bool Clipped(int16_t s) {
    return s >= 32767 || s <= -32767;
}
int N(THarness& h, const std::string& field) {
    return std::atoi(h.Field(field).c_str());
}

TEST(MixLimiter, LevelsThatFitPassUntouchedAndPeaksStayBelowFullScale) {
    struct Case {
        const char* what;
        int32_t level; // a square wave of this height on both channels
        bool untouched;
    } cases[] = {
        {"quiet", 3000, true},
        {"loud but fitting", TMixLimiter::kCeiling, true},
        {"just over", 33000, false},
        {"four explosions at full scale", 4 * 32767, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMixLimiter limiter;
        std::vector<int32_t> in(2 * 4410);
        for (size_t f = 0; f < in.size() / 2; ++f)
            in[2 * f] = in[2 * f + 1] = (f / 50) % 2 ? c.level : -c.level;
        std::vector<int16_t> out(in.size());
        limiter.Process(in.data(), out.data(), int(in.size() / 2), 44100);
        int16_t peak = 0;
        for (size_t i = 0; i < out.size(); ++i) {
            peak = std::max<int16_t>(peak, int16_t(std::abs(out[i])));
            if (c.untouched) {
                ASSERT_EQ(out[i], in[i]) << "sample " << i;
            }
        }
        EXPECT_LE(peak, TMixLimiter::kCeiling);
        if (!c.untouched) {
            EXPECT_GE(peak, TMixLimiter::kCeiling - 1) << "turned down, not off";
        }
    }
}

TEST(MixLimiter, AfterABurstTheGainComesBackSmoothly) {
    TMixLimiter limiter;
    std::vector<int32_t> burst(2 * 100, 90000), quiet(2 * 44100, 1000);
    std::vector<int16_t> out(quiet.size());
    limiter.Process(burst.data(), out.data(), 100, 44100);
    EXPECT_NEAR(limiter.Gain(), 30000.0 / 90000, 1e-9);
    limiter.Process(quiet.data(), out.data(), 44100, 44100);
    for (size_t f = 1; f < 44100; ++f)
        ASSERT_GE(out[2 * f], out[2 * f - 2]) << "rises without a step back, frame " << f;
    EXPECT_GT(out[2 * 1000], 334) << "coming back";
    EXPECT_LT(out[2 * 1000], 600) << "but still well down a few hundredths of a second after";
    EXPECT_EQ(limiter.Gain(), 1.0) << "and at full gain within a second";
    EXPECT_EQ(out.back(), 1000);
}

// A real game's fight, with every frame's share of the mix pulled from the device as a sound
// card would: the song, shots, explosions and deaths all at once.
TEST(FightMix, ABusyFightThroughTheRealMixerHasNoClippedSample) {
    TempGameDir dir;
    THarness h({.seed = 7, .workdir = dir.Path()});
    auto run = [&](const std::string& line) { ASSERT_TRUE(h.RunLine(line)) << h.Error(); };
    run("frames 1");
    run("key press 13");
    for (int i = 0; i < 200 && h.Field("GameState") != "gsPlaying"; ++i)
        run("frames 1");
    ASSERT_EQ(h.Field("GameState"), "gsPlaying");
    Level = 6; // enemies come at a later level's pace
    h.StateJson(true);

    run("key down 17"); // fire all the time, sweeping up and down, away from the grille
    bool right = false;
    std::vector<int16_t> block(2 * 706);
    long clipped = 0, loud = 0, explosions = 0;
    int16_t peak = 0;
    const int kFrames = 22 * 1000 / 16; // 22 seconds
    for (int frame = 0; frame < kFrames; ++frame) {
        if (frame % 90 == 0) run(frame % 180 ? "key up 38" : "key up 40");
        if (frame % 90 == 0) run(frame % 180 ? "key down 40" : "key down 38");
        const bool wantRight = N(h, "Hero.X") < 300;
        if (wantRight != right) run(wantRight ? "key down 39" : "key up 39");
        right = wantRight;
        Lives = 3; // the fight goes on: the deaths' bursts are part of it
        run("frames 1");
        // 16 ms of sound at 44.1 kHz: 705.6 frames, as 705 and 706 in turn.
        const int frames = frame % 5 < 3 ? 706 : 705;
        h.Platform().RenderAudio(block.data(), frames);
        for (int i = 0; i < 2 * frames; ++i) {
            clipped += Clipped(block[i]);
            loud += std::abs(block[i]) > 20000;
            peak = std::max<int16_t>(peak, int16_t(std::abs(block[i])));
        }
        if (frame % 60 == 59) {
            const std::string sounds = h.Field("Sounds");
            for (const char* name : {"mandie", "catapultdie", "herodie"})
                for (size_t at = sounds.find(name); at != std::string::npos;
                     at = sounds.find(name, at + 1))
                    ++explosions;
            h.StateJson(true);
        }
    }
    RecordProperty("explosions", std::to_string(explosions));
    RecordProperty("peak", std::to_string(peak));
    std::printf("fight: %ld explosions, peak %d, %ld samples above 20000, %ld clipped\n",
                explosions, peak, loud, clipped);
    EXPECT_GE(explosions, 10) << "a busy fight";
    EXPECT_GT(loud, 0) << "loud enough to have clipped";
    EXPECT_EQ(clipped, 0);
}

} // namespace

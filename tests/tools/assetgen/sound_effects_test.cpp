// The ten sound effects: names and order, length, level, and silence at both ends.
#include "audio/SoundEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace assetgen {
namespace {

struct Expected {
    const char* name;
    double minMs, maxMs;
    int maxPlayingCount;
};

// Lengths and copy limits as the asset catalogue proposes them, in wave-collection order.
constexpr Expected kExpected[] = {
    {"bonus", 300, 400, 2},       {"herodie", 600, 900, 3},  {"catapultdie", 500, 700, 2},
    {"mandie", 300, 500, 4},      {"catapult", 300, 450, 3}, {"manshot", 150, 250, 4},
    {"heroshot", 40, 120, 2},     {"menu", 50, 90, 2},       {"looser", 1300, 1700, 1},
    {"nextlevel", 1000, 1500, 1},
};

double Dbfs(int level) {
    return 20.0 * std::log10(std::max(level, 1) / 32768.0);
}

int PeakOf(const std::vector<int16_t>& s, std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t i = from; i < to && i < s.size(); ++i)
        peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    return peak;
}

class SoundEffectsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { effects = new std::vector<SoundEffect>(MakeSoundEffects()); }
    static void TearDownTestSuite() {
        delete effects;
        effects = nullptr;
    }
    static std::vector<SoundEffect>* effects;
};

std::vector<SoundEffect>* SoundEffectsTest::effects = nullptr;

TEST_F(SoundEffectsTest, TheTenNamesInOrderWithTheirPlayingLimits) {
    ASSERT_EQ(effects->size(), std::size(kExpected));
    for (std::size_t i = 0; i < effects->size(); ++i) {
        const SoundEffect& e = (*effects)[i];
        EXPECT_EQ(e.name, kExpected[i].name);
        EXPECT_FALSE(e.looped) << e.name << ": a looped effect would never stop";
        EXPECT_EQ(e.maxPlayingCount, kExpected[i].maxPlayingCount) << e.name;
        EXPECT_TRUE(e.sampleRate == 22050 || e.sampleRate == 44100) << e.name;
    }
}

TEST_F(SoundEffectsTest, LengthLevelAndQuietEnds) {
    for (std::size_t i = 0; i < effects->size(); ++i) {
        const SoundEffect& e = (*effects)[i];
        const Expected& x = kExpected[i];
        SCOPED_TRACE(e.name);
        const std::vector<int16_t>& s = e.samples;
        const double rate = e.sampleRate;
        const double ms = 1000.0 * static_cast<double>(s.size()) / rate;
        EXPECT_GE(ms, x.minMs);
        EXPECT_LE(ms, x.maxMs);

        // Loud enough to hear, below full scale, and never pinned at the rails.
        const int peak = PeakOf(s, 0, s.size());
        EXPECT_GE(Dbfs(peak), -12.0);
        EXPECT_LE(Dbfs(peak), -1.0);

        // No click: both ends sit at silence and the sound ramps in and out.
        EXPECT_LE(std::abs(s.front()), 16);
        EXPECT_LE(std::abs(s.back()), 16);
        const auto ms2 = [&](double m) { return static_cast<std::size_t>(m * rate / 1000.0); };
        EXPECT_LE(Dbfs(PeakOf(s, 0, ms2(0.25))), -30.0) << "abrupt start";
        EXPECT_LE(Dbfs(PeakOf(s, s.size() - ms2(2.0), s.size())), -40.0) << "abrupt end";
        // ...but it still answers the event at once.
        EXPECT_GE(Dbfs(PeakOf(s, 0, ms2(30.0))), -24.0) << "late start";

        // Centred: no offset that would thump when the effect starts or stops.
        double sum = 0.0;
        for (int16_t v : s)
            sum += v;
        EXPECT_LT(std::fabs(sum / static_cast<double>(s.size())), 100.0);
    }
}

TEST_F(SoundEffectsTest, EveryEffectIsItsOwnSound) {
    for (std::size_t i = 0; i < effects->size(); ++i)
        for (std::size_t j = i + 1; j < effects->size(); ++j)
            EXPECT_NE((*effects)[i].samples, (*effects)[j].samples)
                << (*effects)[i].name << " and " << (*effects)[j].name;
}

TEST_F(SoundEffectsTest, SameBytesOnEveryRun) {
    const std::vector<SoundEffect> again = MakeSoundEffects();
    ASSERT_EQ(again.size(), effects->size());
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_EQ(again[i].samples, (*effects)[i].samples) << again[i].name;
}

} // namespace
} // namespace assetgen

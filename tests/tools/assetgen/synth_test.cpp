// Synth building blocks: our own transcendental functions, fades and plucked-string tuning.
#include "audio/Synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace assetgen {
namespace {

TEST(SynthMath, MatchesLibmClosely) {
    for (double x = -7.3; x < 7.3; x += 0.0137) {
        EXPECT_NEAR(SinTurns(x), std::sin(2.0 * std::numbers::pi * x), 1e-12) << x;
        EXPECT_NEAR(CosTurns(x), std::cos(2.0 * std::numbers::pi * x), 1e-12) << x;
        EXPECT_NEAR(Exp2(x * 3.0) / std::exp2(x * 3.0), 1.0, 1e-13) << x;
        EXPECT_NEAR(Tanh(x), std::tanh(x), 1e-13) << x;
    }
    EXPECT_NEAR(NoteHz(69), 440.0, 1e-9);
    EXPECT_NEAR(NoteHz(57), 220.0, 1e-9);
    // Sixty decibels down after the given time.
    EXPECT_NEAR(std::pow(DecayFactor(0.5, 1000.0), 500.0), 0.001, 1e-9);
}

TEST(SynthRng, StaysInRangeAndRepeats) {
    NoiseRng a(42), b(42);
    for (int i = 0; i < 10000; ++i) {
        const double u = a.Uniform();
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
        const int k = a.Below(7);
        EXPECT_GE(k, 0);
        EXPECT_LT(k, 7);
        b.Uniform();
        b.Below(7);
    }
    EXPECT_EQ(a.Next(), b.Next());
    EXPECT_EQ(NoiseRng(0).Below(0), 0);
}

TEST(SynthFades, StartAndEndAtZero) {
    Signal s(100, 1.0);
    FadeIn(s, 10);
    FadeOut(s, 10);
    EXPECT_EQ(s.front(), 0.0);
    EXPECT_EQ(s.back(), 0.0);
    EXPECT_EQ(s[50], 1.0);
    for (std::size_t i = 1; i < 10; ++i)
        EXPECT_GT(s[i], s[i - 1]);
}

// The pluck's period must match the asked pitch, fraction of a sample included.
class PluckTuning : public ::testing::TestWithParam<double> {};

TEST_P(PluckTuning, PeriodMatchesPitch) {
    const double rate = 22050.0;
    const double hz = GetParam();
    NoiseRng rng(7);
    PluckParams p;
    p.hz = hz;
    p.seconds = 0.6;
    const Signal s = Pluck(p, rate, rng);
    // Autocorrelation peak near the expected period, refined by a parabola.
    const std::size_t start = s.size() / 3, window = 2048;
    const double expected = rate / hz;
    auto corr = [&](int lag) {
        double c = 0.0;
        for (std::size_t i = start; i < start + window; ++i)
            c += s[i] * s[i + lag];
        return c;
    };
    int best = static_cast<int>(expected * 0.9);
    for (int lag = best; lag <= static_cast<int>(expected * 1.1) + 1; ++lag)
        if (corr(lag) > corr(best)) best = lag;
    const double c0 = corr(best - 1), c1 = corr(best), c2 = corr(best + 1);
    const double measured = best + 0.5 * (c0 - c2) / (c0 - 2.0 * c1 + c2);
    EXPECT_NEAR(measured / expected, 1.0, 0.003) << hz << " Hz";
    EXPECT_LT(Peak(s), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Pitches, PluckTuning,
                         ::testing::Values(98.0, 220.0, 331.7, 587.33, 987.77));

} // namespace
} // namespace assetgen

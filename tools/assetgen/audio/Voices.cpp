// Voices.cpp -- instrument voices shared by the songs and the sound effects.
#include "audio/Voices.h"

#include <algorithm>

namespace assetgen {

double RecorderWave(double turns) {
    return SinTurns(turns) + 0.09 * SinTurns(2 * turns) + 0.05 * SinTurns(3 * turns) +
           0.012 * SinTurns(5 * turns);
}

Signal RecorderNote(double hz, double seconds, double rate, NoiseRng& rng, double droopSemitones) {
    const std::size_t n = SamplesFor(seconds, rate);
    Signal s(n);
    Svf breath, chiff;
    double phase = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double depth = 0.006 * std::clamp((t - 0.12) / 0.25, 0.0, 1.0);
        const double bend = Exp2(-droopSemitones / 12.0 * (t / seconds) * (t / seconds));
        phase += hz * bend * (1.0 + depth * SinTurns(5.2 * t)) / rate;
        const double noise = breath.Step(rng.Bipolar(), 2600.0, 0.8, rate).band;
        const double tongue = chiff.Step(rng.Bipolar(), 3200.0, 1.2, rate).band * Exp(-t / 0.012);
        s[i] = RecorderWave(phase) + 0.05 * noise + 0.6 * tongue;
    }
    FadeIn(s, SamplesFor(0.025, rate));
    FadeOut(s, SamplesFor(std::min(0.08, seconds / 3), rate));
    return s;
}

Signal FrameDrumHit(double seconds, double rate, NoiseRng& rng) {
    const std::size_t n = SamplesFor(seconds, rate);
    Signal s(n);
    double ph1 = 0.0, ph2 = 0.0;
    OnePoleLowPass skin;
    const double body = DecayFactor(0.45, rate), overtone = DecayFactor(0.18, rate);
    double a1 = 1.0, a2 = 0.35;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double f = 58.0 + 62.0 * Exp(-t / 0.025);
        ph1 += f / rate;
        ph2 += 1.59 * f / rate;
        const double noise = skin.Step(rng.Bipolar(), 1400.0, rate) * Exp(-t / 0.012);
        s[i] = a1 * SinTurns(ph1) + a2 * SinTurns(ph2) + 0.9 * noise;
        a1 *= body;
        a2 *= overtone;
    }
    FadeIn(s, SamplesFor(0.0005, rate));
    FadeOut(s, SamplesFor(0.04, rate));
    return s;
}

} // namespace assetgen

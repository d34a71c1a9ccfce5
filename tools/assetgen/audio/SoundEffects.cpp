// SoundEffects.cpp -- synthesis of the ten sound effects. Each is short, starts and ends at
// silence, and is scaled to a peak that suits how often it plays.
#include "audio/SoundEffects.h"

#include "audio/Synth.h"
#include "audio/Voices.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr double kRate = 22050.0;
constexpr double kLog2Of10 = 3.321928094887362;

double Seconds(std::size_t i) {
    return static_cast<double>(i) / kRate;
}

// Fades, level and conversion shared by every effect.
std::vector<int16_t> Finish(Signal s, double peakDb, double fadeInSeconds, double fadeOutSeconds) {
    RemoveDc(s, kRate);
    FadeIn(s, SamplesFor(fadeInSeconds, kRate));
    FadeOut(s, SamplesFor(fadeOutSeconds, kRate));
    const double peak = Peak(s);
    if (peak > 0.0) Scale(s, Exp2(peakDb / 20.0 * kLog2Of10) / peak);
    return ToPcm16(s);
}

// Sparse clicks, as of wood fibres or embers: `density` clicks per second on average.
Signal Crackle(double seconds, double density, NoiseRng& rng) {
    Signal s(SamplesFor(seconds, kRate), 0.0);
    const uint32_t threshold = static_cast<uint32_t>(density / kRate * 4294967296.0);
    for (std::size_t i = 0; i + 8 < s.size(); ++i) {
        if (rng.Next() >= threshold) continue;
        const double a = 0.4 + 0.6 * rng.Uniform();
        const double sign = rng.Next() & 1 ? 1.0 : -1.0;
        for (std::size_t k = 0; k < 8; ++k)
            s[i + k] += sign * a * (k % 2 ? -0.6 : 1.0) / (1 + k);
    }
    return s;
}

// A falling sine: the body of thumps, booms and thuds.
Signal Boom(double seconds, double startHz, double endHz, double sweepSeconds,
            double decaySeconds) {
    Signal s(SamplesFor(seconds, kRate));
    double phase = 0.0, amp = 1.0;
    const double decay = DecayFactor(decaySeconds, kRate);
    for (std::size_t i = 0; i < s.size(); ++i) {
        phase += (endHz + (startHz - endHz) * Exp(-Seconds(i) / sweepSeconds)) / kRate;
        s[i] = amp * SinTurns(phase);
        amp *= decay;
    }
    return s;
}

// Hero's fire pistol: a short breath of flame, bright at first and darkening.
Signal HeroShot(NoiseRng& rng) {
    Signal s(SamplesFor(0.11, kRate));
    Svf flame, body;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Seconds(i);
        const double env = t < 0.008 ? t / 0.008 : Exp(-(t - 0.008) / 0.028);
        const double cutoff = 700.0 + 3800.0 * Exp(-t / 0.035);
        const double noise = rng.Bipolar();
        s[i] = env * (flame.Step(noise, cutoff, 0.9, kRate).low +
                      0.7 * body.Step(noise, 320.0, 1.5, kRate).band);
    }
    MixInto(s, Crackle(0.11, 60.0, rng), 0, 0.25);
    return s;
}

// Bow twang with an arrow's whizz; the falling whistle also passes for the flash pistol's zap.
Signal ManShot(NoiseRng& rng) {
    PluckParams p;
    p.hz = 104.0;
    p.seconds = 0.2;
    p.decaySeconds = 0.35;
    p.brightness = 0.6;
    p.damping = 0.3;
    p.pickPosition = 0.1;
    Signal s = Pluck(p, kRate, rng);
    Scale(s, 1.0 / std::max(Peak(s), 1e-9));
    Signal whizz(s.size());
    Svf f;
    for (std::size_t i = 0; i < whizz.size(); ++i) {
        const double t = Seconds(i);
        const double env = SinTurns(0.5 * std::min(t / 0.19, 1.0)); // swells and dies away
        const double hz = 900.0 + 2000.0 * Exp(-t / 0.07);
        whizz[i] = env * f.Step(rng.Bipolar(), hz, 6.0, kRate).band;
    }
    Scale(whizz, 1.0 / std::max(Peak(whizz), 1e-9));
    MixInto(s, whizz, 0, 0.35);
    return s;
}

// Catapult launch: the arm's knock and thump, then the burning stone's whoosh and crackle.
Signal Catapult(NoiseRng& rng) {
    const double length = 0.4;
    Signal s = Boom(length, 95.0, 48.0, 0.03, 0.2);
    Signal knock(SamplesFor(0.05, kRate));
    for (std::size_t i = 0; i < knock.size(); ++i) {
        const double t = Seconds(i);
        knock[i] = (SinTurns(230.0 * t) + 0.6 * SinTurns(540.0 * t)) * Exp(-t / 0.012);
    }
    MixInto(s, knock, 0, 0.5);
    Signal whoosh(SamplesFor(length, kRate));
    Svf f;
    for (std::size_t i = 0; i < whoosh.size(); ++i) {
        const double t = Seconds(i);
        const double env = SinTurns(0.5 * std::clamp((t - 0.03) / 0.37, 0.0, 1.0));
        whoosh[i] = env * env * f.Step(rng.Bipolar(), 300.0 + 1400.0 * env, 0.8, kRate).low;
    }
    Scale(whoosh, 1.0 / std::max(Peak(whoosh), 1e-9));
    MixInto(s, whoosh, 0, 0.55);
    Signal crackle = Crackle(length, 90.0, rng);
    for (std::size_t i = 0; i < crackle.size(); ++i)
        crackle[i] *= std::clamp((Seconds(i) - 0.05) / 0.15, 0.0, 1.0);
    MixInto(s, crackle, 0, 0.3);
    return s;
}

// The dragon's death and every stone's burst: a heavy explosion with rumble and debris.
Signal HeroDie(NoiseRng& rng) {
    const double length = 0.8;
    Signal s = Boom(length, 110.0, 34.0, 0.06, 0.6);
    Signal blast(SamplesFor(length, kRate));
    Svf f, rumble;
    for (std::size_t i = 0; i < blast.size(); ++i) {
        const double t = Seconds(i);
        const double attack = std::min(1.0, t / 0.004);
        const double noise = rng.Bipolar();
        const double cutoff = 250.0 + 5000.0 * Exp(-t / 0.09);
        blast[i] = attack * (f.Step(noise, cutoff, 0.7, kRate).low * Exp(-t / 0.16) +
                             1.6 * rumble.Step(noise, 140.0, 0.7, kRate).low * Exp(-t / 0.3));
    }
    Scale(blast, 1.0 / std::max(Peak(blast), 1e-9));
    MixInto(s, blast, 0, 0.9);
    Signal debris = Crackle(length, 120.0, rng);
    for (std::size_t i = 0; i < debris.size(); ++i)
        debris[i] *= Exp(-Seconds(i) / 0.2);
    MixInto(s, debris, SamplesFor(0.02, kRate), 0.25);
    s.resize(SamplesFor(length, kRate));
    // Gentle saturation gives the crash weight without hard clipping.
    for (double& v : s)
        v = Tanh(1.4 * v);
    return s;
}

// An enemy falls: a short cry gliding down, then the thud of the body.
Signal ManDie(NoiseRng& rng) {
    const double length = 0.45;
    const double cryLength = 0.26;
    Signal cry(SamplesFor(cryLength, kRate));
    Svf f1, f2;
    double phase = 0.0;
    for (std::size_t i = 0; i < cry.size(); ++i) {
        const double t = Seconds(i);
        const double glide = t / cryLength;
        const double f0 = (330.0 - 140.0 * glide) * (1.0 + 0.01 * SinTurns(23.0 * t));
        phase += f0 / kRate;
        // A band-limited sawtooth stands in for the voice.
        double source = 0.0;
        const int harmonics = static_cast<int>(3500.0 / f0);
        for (int k = 1; k <= harmonics; ++k)
            source += SinTurns(k * phase) / k;
        // Vowel moving from "ah" to "oh".
        const double v = f1.Step(source, 820.0 - 220.0 * glide, 5.0, kRate).band +
                         0.6 * f2.Step(source, 1250.0 - 400.0 * glide, 6.0, kRate).band;
        const double env = std::min(1.0, t / 0.015) * (1.0 - glide * glide);
        cry[i] = env * v;
    }
    Scale(cry, 1.0 / std::max(Peak(cry), 1e-9));
    Signal s(SamplesFor(length, kRate), 0.0);
    MixInto(s, cry, 0, 0.8);
    Signal thud = Boom(length - 0.27, 95.0, 52.0, 0.02, 0.12);
    Svf dust;
    for (std::size_t i = 0; i < thud.size(); ++i)
        thud[i] += 0.5 * dust.Step(rng.Bipolar(), 600.0, 0.7, kRate).low * Exp(-Seconds(i) / 0.015);
    MixInto(s, thud, SamplesFor(0.27, kRate), 1.0);
    return s;
}

// The catapult breaks: knocks of timber and a spray of splinters.
Signal CatapultDie(NoiseRng& rng) {
    const double length = 0.65;
    Signal s = Boom(length, 80.0, 45.0, 0.03, 0.15);
    Scale(s, 0.7);
    const double onsets[] = {0.0, 0.03, 0.07, 0.12, 0.19, 0.27, 0.37, 0.48};
    for (double onset : onsets) {
        Signal knock(SamplesFor(0.12, kRate));
        const double fa = 160.0 + 260.0 * rng.Uniform();
        const double fb = fa * (2.1 + 0.6 * rng.Uniform());
        const double fc = fa * (3.7 + 0.9 * rng.Uniform());
        const double tau = 0.02 + 0.03 * rng.Uniform();
        for (std::size_t i = 0; i < knock.size(); ++i) {
            const double t = Seconds(i);
            knock[i] = (SinTurns(fa * t) + 0.6 * SinTurns(fb * t) + 0.35 * SinTurns(fc * t)) *
                       Exp(-t / tau);
        }
        MixInto(s, knock, SamplesFor(onset, kRate), 0.9 * Exp(-onset / 0.25));
    }
    Signal splinters(SamplesFor(length, kRate));
    Svf f;
    double burst = 0.0;
    for (std::size_t i = 0; i < splinters.size(); ++i) {
        const double t = Seconds(i);
        if (t < 0.58 && rng.Uniform() < 0.0022 * Exp(-t / 0.3)) burst = 0.5 + 0.5 * rng.Uniform();
        burst *= 0.995;
        splinters[i] = burst * f.Step(rng.Bipolar(), 2800.0, 0.9, kRate).high;
    }
    MixInto(s, splinters, 0, 0.4);
    s.resize(SamplesFor(length, kRate));
    return s;
}

// A bell-like chime: sine plus the inharmonic partial of a small bell.
Signal Chime(double hz, double seconds) {
    Signal s(SamplesFor(seconds, kRate));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Seconds(i);
        s[i] = SinTurns(hz * t) * Exp(-t / 0.25) + 0.3 * SinTurns(2.76 * hz * t) * Exp(-t / 0.08) +
               0.12 * SinTurns(5.4 * hz * t) * Exp(-t / 0.03);
    }
    FadeIn(s, 20);
    return s;
}

// Bonus picked up: a quick rising G major arpeggio, the bright chord of the Dorian mode.
Signal Bonus(NoiseRng&) {
    Signal s(SamplesFor(0.36, kRate), 0.0);
    const int notes[] = {79, 83, 86, 91};
    for (int k = 0; k < 4; ++k) {
        const double start = 0.045 * k;
        MixInto(s, Chime(NoteHz(notes[k]), 0.36 - start), SamplesFor(start, kRate),
                k == 3 ? 1.0 : 0.75);
    }
    return s;
}

// Menu tick: a muted pluck, soft and short.
Signal MenuTick(NoiseRng& rng) {
    PluckParams p;
    p.hz = NoteHz(64);
    p.seconds = 0.07;
    p.decaySeconds = 0.09;
    p.brightness = 0.35;
    p.damping = 0.5;
    p.pickPosition = 0.3;
    Signal s = Pluck(p, kRate, rng);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] *= Exp(-Seconds(i) / 0.025);
    return s;
}

Signal PluckNote(int midi, double seconds, NoiseRng& rng) {
    PluckParams p;
    p.hz = NoteHz(midi);
    p.seconds = seconds;
    p.decaySeconds = 1.2;
    p.brightness = 0.7;
    Signal s = Pluck(p, kRate, rng);
    Scale(s, 1.0 / std::max(Peak(s), 1e-9));
    FadeOut(s, SamplesFor(0.1, kRate));
    return s;
}

// Level advances: the motif's rising opening, landing on a held fifth over a strummed chord.
Signal NextLevel(NoiseRng& rng) {
    const double length = 1.35;
    Signal s(SamplesFor(length, kRate), 0.0);
    const int run[] = {69, 74, 76, 77, 79};
    for (int k = 0; k < 5; ++k)
        MixInto(s, RecorderNote(NoteHz(run[k]), 0.11, kRate, rng), SamplesFor(0.09 * k, kRate),
                0.7);
    const double land = 0.45;
    MixInto(s, RecorderNote(NoteHz(81), length - land, kRate, rng), SamplesFor(land, kRate), 0.8);
    const int chord[] = {50, 57, 62, 69};
    for (int k = 0; k < 4; ++k)
        MixInto(s, PluckNote(chord[k], length - land - 0.02 * k, rng),
                SamplesFor(land + 0.02 * k, kRate), 0.35);
    Signal drum = FrameDrumHit(0.5, kRate, rng);
    MixInto(s, drum, SamplesFor(land, kRate), 0.5);
    s.resize(SamplesFor(length, kRate));
    return s;
}

// Game over: the motif's fall, slowed, sinking to the low tonic with a sigh.
Signal Looser(NoiseRng& rng) {
    const double length = 1.5;
    Signal s(SamplesFor(length, kRate), 0.0);
    struct Step {
        int midi;
        double start, seconds;
    } steps[] = {
        {77, 0.0, 0.2}, {76, 0.19, 0.2}, {74, 0.38, 0.2}, {72, 0.57, 0.26}, {69, 0.82, 0.68}};
    for (const Step& st : steps) {
        const bool last = st.midi == 69;
        MixInto(s, RecorderNote(NoteHz(st.midi), st.seconds, kRate, rng, last ? 0.6 : 0.0),
                SamplesFor(st.start, kRate), 0.75);
        MixInto(s, PluckNote(st.midi - 12, st.seconds, rng), SamplesFor(st.start, kRate), 0.3);
    }
    MixInto(s, PluckNote(50, 0.6, rng), SamplesFor(0.85, kRate), 0.4);
    s.resize(SamplesFor(length, kRate));
    return s;
}

struct Recipe {
    const char* name;
    Signal (*make)(NoiseRng&);
    double peakDb; // frequent effects sit lower so they do not tire
    double fadeIn, fadeOut;
    int maxPlayingCount;
};

// Order matters: it is the order of the entries in the wave collection.
constexpr Recipe kRecipes[] = {
    {"bonus", Bonus, -4.0, 0.002, 0.03, 2},
    {"herodie", HeroDie, -1.5, 0.002, 0.08, 3},
    {"catapultdie", CatapultDie, -3.0, 0.002, 0.05, 2},
    {"mandie", ManDie, -4.0, 0.003, 0.03, 4},
    {"catapult", Catapult, -5.0, 0.003, 0.04, 3},
    {"manshot", ManShot, -7.0, 0.002, 0.03, 4},
    {"heroshot", HeroShot, -9.0, 0.003, 0.02, 2},
    {"menu", MenuTick, -9.0, 0.001, 0.015, 2},
    {"looser", Looser, -5.0, 0.003, 0.1, 1},
    {"nextlevel", NextLevel, -4.0, 0.003, 0.1, 1},
};

} // namespace

std::vector<SoundEffect> MakeSoundEffects() {
    std::vector<SoundEffect> out;
    uint32_t seed = 0x5EED0001u;
    for (const Recipe& r : kRecipes) {
        NoiseRng rng(seed++);
        SoundEffect e{r.name, static_cast<int>(kRate), {}, false, r.maxPlayingCount};
        e.samples = Finish(r.make(rng), r.peakDb, r.fadeIn, r.fadeOut);
        out.push_back(std::move(e));
    }
    return out;
}

} // namespace assetgen

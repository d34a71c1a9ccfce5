// SongInstruments.cpp -- synthesis of the songs' sample instruments.
#include "audio/SongInstruments.h"

#include "audio/Synth.h"
#include "audio/Voices.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

// A sample made at 8363 * 2^(k/12) Hz plays at its own rate on C-4 when its relative note is k,
// so tuning needs no finetune at all.
constexpr double kRateHigh = 33452.0; // k = 24
constexpr int kRateHighSemitones = 24;
constexpr double kRateLow = 16726.0; // k = 12
constexpr int kRateLowSemitones = 12;
constexpr int kMiddleC = 60;

XmSample MakeSample(const char* name, Signal s, int rootMidi, int rateSemitones) {
    const double peak = Peak(s);
    if (peak > 0.0) Scale(s, 0.95 / peak);
    XmSample out;
    out.name = name;
    out.data = ToPcm16(s);
    out.relativeNote = rateSemitones + kMiddleC - rootMidi;
    return out;
}

int Ticks(double seconds, double ticksPerSecond) {
    return std::max(1, static_cast<int>(seconds * ticksPerSecond + 0.5));
}

// Volume lost per tick after key-off: the player counts down from 32768.
int Fadeout(double seconds, double ticksPerSecond) {
    return std::clamp(static_cast<int>(32768.0 / (seconds * ticksPerSecond) + 0.5), 1, 0xFFF);
}

// Noise that repeats every `length` samples without a seam: the filter runs round the ring
// twice and only the settled second lap is kept.
Signal PeriodicBandNoise(std::size_t length, double centreHz, double q, double rate,
                         NoiseRng& rng) {
    Signal ring(length);
    for (double& v : ring)
        v = rng.Bipolar();
    Svf f;
    Signal out(length);
    for (int lap = 0; lap < 2; ++lap)
        for (std::size_t i = 0; i < length; ++i)
            out[i] = f.Step(ring[i], centreHz, q, rate).band;
    double energy = 0.0;
    for (double v : out)
        energy += v * v;
    Scale(out, 1.0 / std::sqrt(energy / static_cast<double>(length)));
    return out;
}

// Loop length holding exactly `cycles` periods of the root; the rounding error is a few
// hundredths of a cent.
std::size_t LoopLength(int rootMidi, int cycles, double rate) {
    return static_cast<std::size_t>(cycles * rate / NoteHz(rootMidi) + 0.5);
}

} // namespace

XmInstrument MakeRecorder(double ticksPerSecond) {
    constexpr int kRoot = 72;
    constexpr int kCycles = 256;
    const double rate = kRateHigh;
    const std::size_t loop = LoopLength(kRoot, kCycles, rate);
    const std::size_t attack = SamplesFor(0.08, rate);
    NoiseRng rng(0x7EC0DE12u);
    const Signal breath = PeriodicBandNoise(loop, 2600.0, 0.8, rate, rng);

    Signal s(attack + loop);
    Svf chiffFilter;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t j = i % loop; // the loop repeats this index exactly
        const double ph = static_cast<double>(j) * kCycles / static_cast<double>(loop);
        double v = RecorderWave(ph) + 0.035 * breath[j];
        if (i < attack) {
            const double t = static_cast<double>(i) / static_cast<double>(attack);
            const double rise = 0.5 - 0.5 * CosTurns(0.5 * t);
            // The tongued "chiff": a breath burst that has died out before the loop starts.
            const double chiff =
                chiffFilter.Step(rng.Bipolar(), 3200.0, 1.2, rate).band * (1.0 - t) * (1.0 - t);
            v = v * rise + 0.5 * chiff;
        }
        s[i] = v;
    }

    XmInstrument ins;
    ins.name = "recorder";
    ins.sample = MakeSample("recorder", std::move(s), kRoot, kRateHighSemitones);
    ins.sample.looped = true;
    ins.sample.loopStart = static_cast<uint32_t>(attack);
    ins.sample.loopLength = static_cast<uint32_t>(loop);
    ins.volumeEnvelope = {{0, 40},
                          {static_cast<uint16_t>(Ticks(0.05, ticksPerSecond)), 64},
                          {static_cast<uint16_t>(Ticks(0.35, ticksPerSecond)), 54}};
    ins.sustainPoint = 2;
    ins.fadeout = Fadeout(0.18, ticksPerSecond);
    // A gentle vibrato that grows in on held notes, about 5 Hz.
    ins.vibratoType = 0;
    ins.vibratoSweep = Ticks(0.45, ticksPerSecond);
    ins.vibratoDepth = 7;
    ins.vibratoRate = std::clamp(static_cast<int>(5.0 * 256.0 / ticksPerSecond + 0.5), 1, 63);
    return ins;
}

XmInstrument MakeBass(double ticksPerSecond) {
    constexpr int kRoot = 36;
    constexpr int kCycles = 16;
    const double rate = kRateLow;
    const std::size_t loop = LoopLength(kRoot, kCycles, rate);
    const std::size_t attack = SamplesFor(0.1, rate);
    Signal s(attack + loop);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t j = i % loop;
        const double ph = static_cast<double>(j) * kCycles / static_cast<double>(loop);
        double v = SinTurns(ph) + 0.35 * SinTurns(2 * ph) + 0.12 * SinTurns(3 * ph) +
                   0.04 * SinTurns(4 * ph);
        if (i < attack) {
            // A soft finger attack: upper harmonics that fade out before the loop.
            const double t = static_cast<double>(i) / static_cast<double>(attack);
            const double fade = 0.5 + 0.5 * CosTurns(0.5 * t);
            v += (0.45 * SinTurns(3 * ph) + 0.25 * SinTurns(5 * ph)) * fade * fade;
            v *= std::min(1.0, static_cast<double>(i) / 40.0);
        }
        s[i] = v;
    }
    XmInstrument ins;
    ins.name = "bass";
    ins.sample = MakeSample("bass", std::move(s), kRoot, kRateLowSemitones);
    ins.sample.looped = true;
    ins.sample.loopStart = static_cast<uint32_t>(attack);
    ins.sample.loopLength = static_cast<uint32_t>(loop);
    ins.volumeEnvelope = {{0, 64},
                          {static_cast<uint16_t>(Ticks(0.3, ticksPerSecond)), 46},
                          {static_cast<uint16_t>(Ticks(0.9, ticksPerSecond)), 38}};
    ins.sustainPoint = 2;
    ins.fadeout = Fadeout(0.12, ticksPerSecond);
    return ins;
}

XmInstrument MakePluck() {
    constexpr int kRoot = 57;
    const double rate = kRateLow;
    NoiseRng rng(0x91C4A5E7u);
    PluckParams p;
    p.hz = NoteHz(kRoot);
    p.seconds = 1.8;
    p.decaySeconds = 3.5;
    p.brightness = 0.7;
    p.damping = 0.5;
    p.pickPosition = 0.18;
    Signal s = Pluck(p, rate, rng);
    RemoveDc(s, rate);
    // Tame the attack peak so the ringing body carries in the mix.
    const double drive = 2.5 / Peak(s);
    for (double& v : s)
        v = Tanh(drive * v);
    FadeIn(s, 6);
    FadeOut(s, SamplesFor(0.3, rate));
    XmInstrument ins;
    ins.name = "pluck";
    ins.sample = MakeSample("pluck", std::move(s), kRoot, kRateLowSemitones);
    return ins;
}

XmInstrument MakeFrameDrum() {
    NoiseRng rng(0xD0D0CAFEu);
    XmInstrument ins;
    ins.name = "frame drum";
    ins.sample =
        MakeSample("frame drum", FrameDrumHit(0.5, kRateHigh, rng), kMiddleC, kRateHighSemitones);
    return ins;
}

XmInstrument MakeDrumSlap() {
    const double rate = kRateHigh;
    NoiseRng rng(0x51A9B00Du);
    const std::size_t n = SamplesFor(0.22, rate);
    Signal s(n);
    Svf band;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double slap = band.Step(rng.Bipolar(), 1900.0, 1.4, rate).band * Exp(-t / 0.016);
        const double ring = 0.45 * SinTurns(420.0 * t) * Exp(-t / 0.05) +
                            0.2 * SinTurns(870.0 * t) * Exp(-t / 0.03);
        s[i] = 2.2 * slap + ring;
    }
    FadeIn(s, 8);
    FadeOut(s, SamplesFor(0.03, rate));
    XmInstrument ins;
    ins.name = "drum slap";
    ins.sample = MakeSample("drum slap", std::move(s), kMiddleC, kRateHighSemitones);
    return ins;
}

XmInstrument MakeJingles() {
    const double rate = kRateHigh;
    NoiseRng rng(0x7A3B0123u);
    const std::size_t n = SamplesFor(0.32, rate);
    Signal s(n, 0.0);
    // A few zils struck a hair apart, each ringing with inharmonic partials.
    const double partials[] = {5310.0, 6170.0, 7420.0, 8630.0, 9870.0, 11240.0};
    const double onsets[] = {0.0, 0.007, 0.016};
    const double gains[] = {1.0, 0.7, 0.45};
    for (int hit = 0; hit < 3; ++hit) {
        const std::size_t start = SamplesFor(onsets[hit], rate);
        for (double f : partials) {
            const double detune = 1.0 + 0.01 * rng.Bipolar();
            const double phase = rng.Uniform();
            const double tau = 0.06 + 0.07 * rng.Uniform();
            for (std::size_t i = start; i < n; ++i) {
                const double t = static_cast<double>(i - start) / rate;
                s[i] += gains[hit] * 0.3 * SinTurns(phase + f * detune * t) * Exp(-t / tau);
            }
        }
    }
    Svf hiss;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        s[i] += 0.8 * hiss.Step(rng.Bipolar(), 7000.0, 0.7, rate).high * Exp(-t / 0.025);
    }
    FadeIn(s, 8);
    FadeOut(s, SamplesFor(0.05, rate));
    XmInstrument ins;
    ins.name = "jingles";
    ins.sample = MakeSample("jingles", std::move(s), kMiddleC, kRateHighSemitones);
    return ins;
}

} // namespace assetgen

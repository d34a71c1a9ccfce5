// Synth.cpp -- building blocks for the game's synthesized sounds.
#include "audio/Synth.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kLog2E = 1.4426950408889634;
constexpr double kLog2Of1000 = 9.965784284662087; // 60 dB
} // namespace

uint32_t NoiseRng::Next() {
    uint32_t x = state_;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state_ = x;
    return x;
}

double NoiseRng::Uniform() {
    return static_cast<double>(Next() >> 8) * (1.0 / 16777216.0);
}

double NoiseRng::Bipolar() {
    return Uniform() * 2.0 - 1.0;
}

int NoiseRng::Below(int n) {
    if (n <= 0) return 0;
    return static_cast<int>((static_cast<uint64_t>(Next()) * static_cast<uint64_t>(n)) >> 32);
}

double SinTurns(double turns) {
    double x = turns - std::floor(turns + 0.5); // [-0.5, 0.5)
    if (x > 0.25)
        x = 0.5 - x;
    else if (x < -0.25)
        x = -0.5 - x;
    const double y = x * kTwoPi; // |y| <= pi/2: the series converges to full precision
    const double y2 = y * y;
    double r = 1.0;
    for (int k = 9; k >= 1; --k)
        r = 1.0 - y2 * r / static_cast<double>((2 * k) * (2 * k + 1));
    return y * r;
}

double CosTurns(double turns) {
    return SinTurns(turns + 0.25);
}

double Exp2(double x) {
    x = std::clamp(x, -1000.0, 1000.0);
    const double n = std::floor(x);
    const double y = (x - n) * kLn2;
    double r = 1.0;
    for (int k = 16; k >= 1; --k)
        r = 1.0 + y * r / static_cast<double>(k);
    return std::ldexp(r, static_cast<int>(n));
}

double Exp(double x) {
    return Exp2(x * kLog2E);
}

double Tanh(double x) {
    if (x > 20.0) return 1.0;
    if (x < -20.0) return -1.0;
    const double e = Exp(2.0 * x);
    return (e - 1.0) / (e + 1.0);
}

double NoteHz(double midiNote) {
    return 440.0 * Exp2((midiNote - 69.0) / 12.0);
}

double DecayFactor(double seconds, double rate) {
    return Exp2(-kLog2Of1000 / (seconds * rate));
}

std::size_t SamplesFor(double seconds, double rate) {
    return static_cast<std::size_t>(seconds * rate + 0.5);
}

void MixInto(Signal& dst, const Signal& src, std::size_t offset, double gain) {
    if (dst.size() < offset + src.size()) dst.resize(offset + src.size(), 0.0);
    for (std::size_t i = 0; i < src.size(); ++i)
        dst[offset + i] += src[i] * gain;
}

void Scale(Signal& s, double gain) {
    for (double& v : s)
        v *= gain;
}

double Peak(const Signal& s) {
    double p = 0.0;
    for (double v : s)
        p = std::max(p, std::fabs(v));
    return p;
}

void FadeIn(Signal& s, std::size_t samples) {
    samples = std::min(samples, s.size());
    for (std::size_t i = 0; i < samples; ++i) {
        // sin^2 rather than (1 - cos) / 2: it is exactly zero at the start.
        const double g = SinTurns(0.25 * static_cast<double>(i) / static_cast<double>(samples));
        s[i] *= g * g;
    }
}

void FadeOut(Signal& s, std::size_t samples) {
    samples = std::min(samples, s.size());
    const std::size_t start = s.size() - samples;
    for (std::size_t i = 0; i < samples; ++i) {
        // Reaches exactly zero on the last sample.
        const double g =
            SinTurns(0.25 * static_cast<double>(samples - 1 - i) / static_cast<double>(samples));
        s[start + i] *= g * g;
    }
}

void RemoveDc(Signal& s, double rate, double cornerHz) {
    const double r = 1.0 - kTwoPi * cornerHz / rate;
    double xPrev = 0.0, yPrev = 0.0;
    for (double& v : s) {
        const double y = v - xPrev + r * yPrev;
        xPrev = v;
        yPrev = y;
        v = y;
    }
}

Svf::Out Svf::Step(double in, double cutoffHz, double q, double rate) {
    const double turns = std::clamp(cutoffHz, 10.0, 0.45 * rate) / (2.0 * rate);
    const double g = SinTurns(turns) / CosTurns(turns);
    const double k = 1.0 / std::max(q, 0.05);
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = in - ic2_;
    const double v1 = a1 * ic1_ + a2 * v3;
    const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {v2, v1, in - k * v1 - v2};
}

double OnePoleLowPass::Step(double in, double cutoffHz, double rate) {
    const double a = 1.0 - Exp(-kTwoPi * cutoffHz / rate);
    y_ += a * (in - y_);
    return y_;
}

Signal Pluck(const PluckParams& p, double rate, NoiseRng& rng) {
    const std::size_t total = SamplesFor(p.seconds, rate);
    Signal y(total, 0.0);
    const double period = rate / p.hz;
    const double s = std::clamp(p.damping, 0.05, 0.5);
    // The two-tap loop filter delays by about s samples; the allpass makes up the fraction.
    const int n = std::max(2, static_cast<int>(std::floor(period - s - 0.1)));
    const double d = period - s - n;
    const double c = (1.0 - d) / (1.0 + d);
    const double g = Exp2(-kLog2Of1000 * period / (p.decaySeconds * rate));

    // Excitation: the string's shape at release, a triangle peaking at the pick, roughened with
    // noise for the bright attack; the noise is notched at the pick position like the string.
    const std::size_t len = static_cast<std::size_t>(n) + 1;
    const double apex = std::clamp(p.pickPosition, 0.05, 0.95) * static_cast<double>(len);
    Signal noise(len);
    OnePoleLowPass pick;
    const double pickHz = 400.0 + p.brightness * p.brightness * 0.45 * rate;
    for (double& v : noise)
        v = pick.Step(rng.Bipolar(), pickHz, rate);
    const std::size_t notch = std::max<std::size_t>(1, static_cast<std::size_t>(apex + 0.5));
    Signal exc(len);
    for (std::size_t i = 0; i < len; ++i) {
        const double x = static_cast<double>(i);
        const double shape =
            x < apex ? x / apex
                     : (static_cast<double>(len) - x) / (static_cast<double>(len) - apex);
        const double rough = noise[i] - (i >= notch ? noise[i - notch] : 0.0);
        exc[i] = shape + p.brightness * 0.6 * rough;
    }
    double mean = 0.0;
    for (double v : exc)
        mean += v;
    mean /= static_cast<double>(len);
    for (std::size_t i = 0; i < len && i < total; ++i)
        y[i] = exc[i] - mean;

    double vPrev = 0.0, wPrev = 0.0;
    for (std::size_t i = len; i < total; ++i) {
        const double v = g * ((1.0 - s) * y[i - n] + s * y[i - n - 1]);
        const double w = c * v + vPrev - c * wPrev;
        vPrev = v;
        wPrev = w;
        y[i] = w;
    }
    return y;
}

std::vector<int16_t> ToPcm16(const Signal& s) {
    std::vector<int16_t> out(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double v = std::clamp(s[i] * 32767.0, -32767.0, 32767.0);
        out[i] = static_cast<int16_t>(v < 0.0 ? v - 0.5 : v + 0.5);
    }
    return out;
}

} // namespace assetgen

// Mixer.cpp -- the audio callback and sound buffers.
#include "audio/Mixer.h"

#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/SoundBuffer.h"
#include "platform/Platform.h"

AudioLock::AudioLock() {
    platform::Current().LockAudio();
}
AudioLock::~AudioLock() {
    platform::Current().UnlockAudio();
}

TAudioMixer& TAudioMixer::Instance() {
    static TAudioMixer mixer;
    return mixer;
}

bool TAudioMixer::Open() {
    if (open_) return true;
    open_ = platform::Current().OpenAudio(kDefaultFrequency,
                                          [this](int16_t* out, int frames) { Mix(out, frames); });
    if (open_) frequency_ = platform::Current().AudioFrequency();
    return open_;
}

void TAudioMixer::Close() {
    if (open_) platform::Current().CloseAudio();
    open_ = false;
    song_ = nullptr;
    for (TSoundBuffer* b : buffers_)
        b->playing_ = false;
    buffers_.clear();
    limiter_.Reset();
}

void TAudioMixer::SetSong(void* ctx) {
    AudioLock lock;
    song_ = ctx;
}

void TAudioMixer::Start(TSoundBuffer* buffer) {
    AudioLock lock;
    if (std::find(buffers_.begin(), buffers_.end(), buffer) == buffers_.end())
        buffers_.push_back(buffer);
}

void TAudioMixer::Remove(TSoundBuffer* buffer) {
    AudioLock lock;
    std::erase(buffers_, buffer);
}

void TAudioMixer::Mix(int16_t* out, int frames) {
    const size_t n = size_t(frames) * 2;
    acc_.assign(n, 0);
    if (song_) {
        music_.resize(n);
        if (xmp_play_buffer(static_cast<xmp_context>(song_), music_.data(), int(n * 2), 0) == 0)
            for (size_t i = 0; i < n; ++i)
                acc_[i] = music_[i];
    }
    for (size_t b = 0; b < buffers_.size();) {
        TSoundBuffer* buf = buffers_[b];
        const auto& pcm = *buf->samples_;
        const size_t total = pcm.size() / 2;
        size_t pos = buf->position_;
        for (size_t f = 0; f < size_t(frames) && buf->playing_; ++f) {
            if (pos >= total) {
                if (buf->looping_ && total > 0) {
                    pos = 0;
                } else {
                    buf->playing_ = false;
                    break;
                }
            }
            acc_[2 * f] += pcm[2 * pos];
            acc_[2 * f + 1] += pcm[2 * pos + 1];
            ++pos;
        }
        if (pos >= total && !buf->looping_) buf->playing_ = false;
        buf->position_ = pos;
        if (buf->playing_)
            ++b;
        else
            buffers_.erase(buffers_.begin() + b);
    }
    limiter_.Process(acc_.data(), out, frames, frequency_);
}

// ---------------------------------------------------------------- limiter

void TMixLimiter::Process(const int32_t* in, int16_t* out, int frames, int rate) {
    // Per frame: two thirds of the way back to full gain in kReleaseSeconds.
    const double release = 1.0 - std::exp(-1.0 / (kReleaseSeconds * (rate > 0 ? rate : 44100)));
    for (int f = 0; f < frames; ++f) {
        const int32_t l = in[2 * f], r = in[2 * f + 1];
        const int32_t peak = std::max(std::abs(l), std::abs(r));
        if (gain_ < 1.0) {
            gain_ += (1.0 - gain_) * release;
            if (gain_ > 1.0 - 1e-4) gain_ = 1.0; // a step of a few steps of 16 bits: unheard
        }
        // Exactly enough at once: the frame lands on the ceiling, never past it.
        if (peak * gain_ > kCeiling) gain_ = double(kCeiling) / peak;
        if (gain_ >= 1.0) {
            out[2 * f] = int16_t(l);
            out[2 * f + 1] = int16_t(r);
        } else {
            out[2 * f] = int16_t(std::lround(l * gain_));
            out[2 * f + 1] = int16_t(std::lround(r * gain_));
        }
    }
}

// ---------------------------------------------------------------- sound buffer

TSoundBuffer::TSoundBuffer(Samples samples) : samples_(std::move(samples)) {}

TSoundBuffer::~TSoundBuffer() {
    TAudioMixer::Instance().Remove(this);
}

std::unique_ptr<TSoundBuffer> TSoundBuffer::Duplicate() const {
    auto copy = std::make_unique<TSoundBuffer>(samples_);
    copy->Frequency = Frequency;
    copy->Pan = Pan;
    copy->Volume = Volume;
    return copy;
}

void TSoundBuffer::Play(bool looping) {
    {
        AudioLock lock;
        looping_ = looping;
        playing_ = samples_ && !samples_->empty();
    }
    if (playing_) TAudioMixer::Instance().Start(this);
}

void TSoundBuffer::Stop() {
    AudioLock lock;
    playing_ = false;
}

void TSoundBuffer::SetPosition(size_t frame) {
    AudioLock lock;
    position_ = frame;
}

size_t TSoundBuffer::Position() const {
    AudioLock lock;
    return position_;
}

std::vector<int16_t> ConvertToDevice(const uint8_t* data, size_t bytes, int channels,
                                     int bitsPerSample, int rate, int deviceRate) {
    std::vector<int16_t> out;
    if (!ConversionBounded(bytes, channels, bitsPerSample, rate, deviceRate)) return out;
    const size_t frameBytes = size_t(channels) * (bitsPerSample / 8);
    const size_t inFrames = bytes / frameBytes;
    auto sample = [&](size_t frame, int ch) -> int {
        const uint8_t* p = data + frame * frameBytes + ch * (bitsPerSample / 8);
        if (bitsPerSample == 8) return (int(p[0]) - 128) << 8;
        return int16_t(uint16_t(p[0] | (p[1] << 8)));
    };
    const size_t outFrames = inFrames * uint64_t(deviceRate) / uint64_t(rate);
    out.resize(outFrames * 2);
    for (size_t f = 0; f < outFrames; ++f) {
        // Linear interpolation between neighbouring source frames.
        uint64_t num = uint64_t(f) * uint64_t(rate);
        size_t i = size_t(num / uint64_t(deviceRate));
        double t = double(num % uint64_t(deviceRate)) / deviceRate;
        size_t j = std::min(i + 1, inFrames - 1);
        for (int ch = 0; ch < 2; ++ch) {
            int c = channels == 2 ? ch : 0;
            double v = sample(i, c) * (1 - t) + sample(j, c) * t;
            out[2 * f + ch] = int16_t(std::clamp(int(v + (v < 0 ? -0.5 : 0.5)), -32768, 32767));
        }
    }
    return out;
}

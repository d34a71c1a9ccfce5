// SoundBuffer.h -- a sound buffer: shared converted PCM (stereo, device rate) plus its own
// position and playing/looping flags. Duplicates share the samples, so starting an effect
// costs no decoding or copying. The mixer plays every started buffer.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/WaveFormat.h"

class TSoundBuffer {
  public:
    using Samples = std::shared_ptr<const std::vector<int16_t>>; // interleaved stereo

    explicit TSoundBuffer(Samples samples);
    ~TSoundBuffer(); // leaves the mixer
    TSoundBuffer(const TSoundBuffer&) = delete;
    TSoundBuffer& operator=(const TSoundBuffer&) = delete;

    std::unique_ptr<TSoundBuffer> Duplicate() const;
    void Play(bool looping);
    void Stop();
    void SetPosition(size_t frame);
    size_t Position() const; // the next frame to mix
    bool IsPlaying() const { return playing_; }
    bool Looping() const { return looping_; }
    size_t Frames() const { return samples_ ? samples_->size() / 2 : 0; }
    const Samples& Data() const { return samples_; }

    // Kept as set; 0 = the wave's own rate, centre, full volume (the game never changes them).
    int Frequency = 0, Pan = 0, Volume = 0;

  private:
    friend class TAudioMixer;
    Samples samples_;
    size_t position_ = 0; // in frames; touched by the audio thread while playing
    std::atomic<bool> playing_{false};
    bool looping_ = false;
};

// Converts PCM of any common layout (8/16-bit, mono/stereo, any rate) to the device's
// interleaved stereo 16-bit at `deviceRate`. Empty when the format is not plain PCM or the
// conversion would not be bounded.
std::vector<int16_t> ConvertToDevice(const uint8_t* data, size_t bytes, int channels,
                                     int bitsPerSample, int rate, int deviceRate);

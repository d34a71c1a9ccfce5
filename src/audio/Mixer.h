// Mixer.h -- the one audio callback of the game: it renders the playing song (libxmp), adds
// every playing sound buffer and brings the sum to 16 bits through a peak limiter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TSoundBuffer;
struct xmp_context_opaque;

// Explosions over the song add up past full scale. Below the ceiling the mix passes untouched,
// sample for sample; a peak above it turns the gain down at once by just enough (both
// channels alike, so the stereo picture stays), and the gain comes back smoothly. Nothing is
// cut off flat, and the song and effects keep their levels whenever they fit.
class TMixLimiter {
  public:
    static constexpr int32_t kCeiling = 30000; // about -0.8 dB below full scale
    static constexpr double kReleaseSeconds = 0.1;

    // `frames` stereo frames of the sum (any size) to 16 bits, at `rate` frames a second.
    void Process(const int32_t* in, int16_t* out, int frames, int rate);
    double Gain() const { return gain_; }
    void Reset() { gain_ = 1.0; }

  private:
    double gain_ = 1.0;
};

class TAudioMixer {
  public:
    static TAudioMixer& Instance();

    // Opens the platform's audio device. False (and silence) when there is none.
    bool Open();
    void Close();
    bool IsOpen() const { return open_; }
    // The device rate; the rate songs and buffers are made for even without a device.
    int Frequency() const { return frequency_; }

    // The song to render (a libxmp context with its player started), or nullptr.
    void SetSong(void* xmpContext);
    void* Song() const { return song_; }

    void Start(TSoundBuffer* buffer); // begins mixing a buffer (its flags already set)
    void Remove(TSoundBuffer* buffer);
    size_t ActiveBuffers() const { return buffers_.size(); }

    // The callback body: fills `frames` stereo frames.
    void Mix(int16_t* out, int frames);

    static constexpr int kDefaultFrequency = 44100;

  private:
    bool open_ = false;
    int frequency_ = kDefaultFrequency;
    void* song_ = nullptr;
    std::vector<TSoundBuffer*> buffers_;
    std::vector<int32_t> acc_;
    std::vector<int16_t> music_;
    TMixLimiter limiter_;
};

// RAII bracket around changes the audio thread can see.
struct AudioLock {
    AudioLock();
    ~AudioLock();
};

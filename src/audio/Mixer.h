// Mixer.h -- the one audio callback of the game: it renders the playing song (libxmp) and
// adds every playing sound buffer, saturating to 16 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TSoundBuffer;
struct xmp_context_opaque;

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
};

// RAII bracket around changes the audio thread can see.
struct AudioLock {
    AudioLock();
    ~AudioLock();
};

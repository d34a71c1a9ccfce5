// SdlAudio.h -- the SDL backend's sound output: one stereo s16 device fed by the game's mixer
// callback, kept open by a thread of its own, which reopens the device whenever it is missing
// (a sound server that starts after the game) or lost (one that restarts during play).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Platform.h"

namespace platform {

class SdlAudioOutput {
  public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput() { Stop(); }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    // Called by the platform's OpenAudio. Tries the device once at once, then leaves it to the
    // keeper thread. While no device plays, the callback still runs at the device's pace into
    // nothing, so songs and effects move on as if heard and nothing piles up for the return.
    void Start(int frequency, AudioCallback callback);
    void Stop(); // joins the keeper and closes the device
    bool Started() const { return thread_.joinable(); }
    // A real device is playing (rather than the silent pace).
    bool DeviceOpen() const { return deviceOpen_; }
    int Frequency() const { return frequency_; }
    // Held while the callback runs; the game takes it around changes the mixer reads.
    void Lock() { mixLock_.lock(); }
    void Unlock() { mixLock_.unlock(); }

  private:
    void Run();         // the keeper thread
    bool TryOpen();     // keeper (or Start, before the keeper runs)
    void CloseDevice(); // keeper
    void RunSilent(uint32_t& lastTick);
    void SayOnce(const char* what, const char* why);
    static void Trampoline(void* self, uint8_t* stream, int len);

    AudioCallback callback_;
    int frequency_ = 0;
    std::recursive_mutex mixLock_;
    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
    uint32_t device_ = 0; // SDL_AudioDeviceID; touched by the keeper only once it runs
    bool subsystem_ = false;
    std::atomic<bool> deviceOpen_{false};
    bool told_ = false; // said that we play without sound, since the last device
    std::vector<int16_t> scratch_;
};

} // namespace platform

// SdlAudio.cpp -- the sound device, reopened in the background when it is missing or lost.
#include "platform/sdl/SdlAudio.h"

#include <SDL.h>

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

namespace {
constexpr int kBufferFrames = 1024;
// How often a missing device is tried again, and a playing one checked for loss: a sound
// server that comes up is heard within about a second.
constexpr auto kRetry = std::chrono::milliseconds(1000);
constexpr auto kSilentStep = std::chrono::milliseconds(20);
constexpr auto kWatch = std::chrono::milliseconds(250);
} // namespace

void SdlAudioOutput::Start(int frequency, AudioCallback callback) {
    Stop();
    callback_ = std::move(callback);
    frequency_ = frequency;
    stop_ = false;
    told_ = false;
    // Mixers list the stream under the game's name and as a game's sound. PulseAudio takes the
    // role from the client's properties; a value the player set stays.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Skyvern");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Skyvern");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "Game");
    setenv("PULSE_PROP_media.role", "game", 0);
    std::string driver;
    if (TryOpen()) {
        if (const char* current = SDL_GetCurrentAudioDriver()) driver = current;
    }
    // Later tries start the audio drivers afresh, so that a sound server which comes up is
    // found even where another driver answered before. Only the sound servers' driver
    // (PipeWire serves it too) and the one that played first: the others (ALSA without a card)
    // would fill standard error at every try. A driver the player chose stays chosen. Set
    // here, before the keeper runs, since SDL's hints are not for two threads at once.
    std::string retry = "pulseaudio";
    if (!driver.empty() && driver != retry) retry += "," + driver;
    SDL_SetHint(SDL_HINT_AUDIODRIVER, retry.c_str());
    thread_ = std::thread([this] { Run(); });
}

void SdlAudioOutput::Stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(wakeLock_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    CloseDevice();
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
    callback_ = nullptr;
}

bool SdlAudioOutput::TryOpen() {
    if (!subsystem_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            SayOnce("no sound device", SDL_GetError());
            return false;
        }
        subsystem_ = true;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = frequency_;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = &SdlAudioOutput::Trampoline;
    want.userdata = this;
    // No changes allowed: every effect was converted for this rate once, at load.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device_) {
        SayOnce("no sound device", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
        return false;
    }
    if (told_) std::fprintf(stderr, "skyvern: sound device open again\n");
    told_ = false;
    deviceOpen_ = true;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlAudioOutput::CloseDevice() {
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
    deviceOpen_ = false;
}

void SdlAudioOutput::SayOnce(const char* what, const char* why) {
    if (told_) return;
    told_ = true;
    if (why && *why)
        std::fprintf(stderr, "skyvern: %s (%s); playing without sound until one is there\n", what,
                     why);
    else
        std::fprintf(stderr, "skyvern: %s; playing without sound until one is there\n", what);
}

void SdlAudioOutput::RunSilent(uint32_t& lastTick) {
    // The pace of a device, rendered into nothing.
    const uint32_t now = SDL_GetTicks();
    int frames = int(uint64_t(now - lastTick) * uint64_t(frequency_) / 1000);
    if (frames <= 0) return;
    if (frames > frequency_) frames = frequency_; // a long stall is not made up
    lastTick += uint32_t(uint64_t(frames) * 1000 / uint64_t(frequency_));
    if (frames >= frequency_) lastTick = now;
    scratch_.resize(size_t(kBufferFrames) * 2);
    std::lock_guard<std::recursive_mutex> lock(mixLock_);
    while (frames > 0) {
        const int n = frames < kBufferFrames ? frames : kBufferFrames;
        if (callback_) callback_(scratch_.data(), n);
        frames -= n;
    }
}

void SdlAudioOutput::Run() {
    using Clock = std::chrono::steady_clock;
    auto nextTry = Clock::now() + kRetry;
    uint32_t silentTick = SDL_GetTicks();
    std::unique_lock<std::mutex> lock(wakeLock_);
    while (!stop_) {
        if (device_ && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
            // Lost (the sound server went away): play on in silence and look for it again.
            CloseDevice();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystem_ = false;
            SayOnce("the sound device was lost", nullptr);
            nextTry = Clock::now() + kRetry;
            silentTick = SDL_GetTicks();
        }
        if (!device_) {
            if (Clock::now() >= nextTry) {
                lock.unlock();
                const bool opened = TryOpen();
                lock.lock();
                nextTry = Clock::now() + kRetry;
                if (opened) continue;
            }
            lock.unlock();
            RunSilent(silentTick);
            lock.lock();
            wake_.wait_for(lock, kSilentStep);
        } else {
            silentTick = SDL_GetTicks();
            wake_.wait_for(lock, kWatch);
        }
    }
}

void SdlAudioOutput::Trampoline(void* self, uint8_t* stream, int len) {
    auto* out = static_cast<SdlAudioOutput*>(self);
    std::lock_guard<std::recursive_mutex> lock(out->mixLock_);
    if (out->callback_)
        out->callback_(reinterpret_cast<int16_t*>(stream), len / 4);
    else
        std::memset(stream, 0, size_t(len));
}

} // namespace platform

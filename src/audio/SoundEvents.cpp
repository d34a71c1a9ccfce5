// SoundEvents.cpp -- sound effects by name.
#include "audio/SoundEvents.h"

std::function<void(const char*)> SoundPlayer;

namespace {
std::vector<std::string> played;
}

void PlaySoundByName(const char* name) {
    // Bounded: a run that never asks for its sounds must not grow without end.
    if (played.size() >= 4096) played.erase(played.begin(), played.begin() + 2048);
    played.emplace_back(name);
    if (SoundPlayer) SoundPlayer(name);
}

std::vector<std::string> TakeSoundsPlayed() {
    std::vector<std::string> out;
    out.swap(played);
    return out;
}

const std::vector<std::string>& SoundsPlayed() { return played; }

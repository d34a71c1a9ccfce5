// SoundEvents.cpp -- sound effects by name.
#include "audio/SoundEvents.h"

#include "state/GameState.h"
#include "state/WorldContext.h"

void PlaySoundByName(const char* name) {
    std::vector<std::string>& played = Globals.SoundsPlayed;
    // Bounded: a run that never asks for its sounds must not grow without end.
    if (played.size() >= 4096) played.erase(played.begin(), played.begin() + 2048);
    played.emplace_back(name);
    if (World.PlaySound) World.PlaySound(name);
}

std::vector<std::string> TakeSoundsPlayed() {
    std::vector<std::string> out;
    out.swap(Globals.SoundsPlayed);
    return out;
}

const std::vector<std::string>& SoundsPlayed() {
    return Globals.SoundsPlayed;
}

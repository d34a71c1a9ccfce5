// SoundEffects.h -- the ten named sound effects of sound/gamesound.dxw, synthesized as 16-bit
// mono PCM.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct SoundEffect {
    std::string name;
    int sampleRate;
    std::vector<int16_t> samples;
    bool looped = false; // the game plays each effect once per event and never stops one
    int maxPlayingCount; // copies sounding at once; 0 = no limit
};

// The ten effects, always in this order: bonus, herodie, catapultdie, mandie, catapult,
// manshot, heroshot, menu, looser, nextlevel.
std::vector<SoundEffect> MakeSoundEffects();

} // namespace assetgen

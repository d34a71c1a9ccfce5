// Random.cpp -- the game's random generator; its seed lives in the global state.
#include "state/Random.h"

#include <chrono>

#include "state/GameState.h"

void Randomize(uint32_t s) {
    Globals.RandSeed = s;
}
uint32_t RandSeed() {
    return Globals.RandSeed;
}

int32_t Random(int32_t n) {
    uint32_t& seed = Globals.RandSeed;
    seed = seed * 134775813u + 1u;
    if (n <= 0) return 0;
    return int32_t((uint64_t(seed) * uint32_t(n)) >> 32);
}

uint32_t ClockSeed() {
    if (Globals.ForcedClockSeed) return *Globals.ForcedClockSeed;
    return uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
}
void OverrideClockSeed(uint32_t s) {
    Globals.ForcedClockSeed = s;
}
void ClearClockSeedOverride() {
    Globals.ForcedClockSeed.reset();
}

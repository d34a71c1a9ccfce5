// Random.cpp -- the game's random generator.
#include "app/Random.h"

namespace {
uint32_t seed = 0;
}

void Randomize(uint32_t s) { seed = s; }
uint32_t RandSeed() { return seed; }

int32_t Random(int32_t n) {
    seed = seed * 134775813u + 1u;
    if (n <= 0) return 0;
    return int32_t((uint64_t(seed) * uint32_t(n)) >> 32);
}

#include <chrono>
#include <optional>

namespace {
std::optional<uint32_t> forcedSeed;
}

uint32_t ClockSeed() {
    if (forcedSeed) return *forcedSeed;
    return uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
}
void OverrideClockSeed(uint32_t s) { forcedSeed = s; }
void ClearClockSeedOverride() { forcedSeed.reset(); }

// Random.h -- the game's one random generator: a 32-bit linear congruential generator, so a
// seed gives the same game on every compiler and machine. Nothing else may draw from it.
#pragma once

#include <cstdint>

void Randomize(uint32_t seed);
uint32_t RandSeed();
// 0 .. n - 1, and 0 for n <= 0.
int32_t Random(int32_t n);

// The seed FormCreate takes "from the clock"; the harness fixes it with --seed.
uint32_t ClockSeed();
void OverrideClockSeed(uint32_t seed);
void ClearClockSeedOverride();

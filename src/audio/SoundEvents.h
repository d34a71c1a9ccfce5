// SoundEvents.h -- playing a sound effect by name, as every game and menu event does. The
// name is recorded (the harness reports it) and handed to the wave library when one is set.
#pragma once

#include <string>
#include <vector>

// Records the name, then plays it through the world context's player when one is set.
void PlaySoundByName(const char* name);
// Names played since the last call; the list is emptied.
std::vector<std::string> TakeSoundsPlayed();
// Names played since the last take, without emptying it.
const std::vector<std::string>& SoundsPlayed();

// SoundEvents.h -- playing a sound effect by name, as every game and menu event does. The
// name is recorded (the harness reports it) and handed to the wave library when one is set.
#pragma once

#include <functional>
#include <string>
#include <vector>

void PlaySoundByName(const char* name);
// The player installed by the main form once the wave library exists.
extern std::function<void(const char* name)> SoundPlayer;
// Names played since the last call; the list is emptied.
std::vector<std::string> TakeSoundsPlayed();
// Names played since the last take, without emptying it.
const std::vector<std::string>& SoundsPlayed();

// Music.h -- the module player the game calls for its two songs: load a module file into a
// handle, play it (looping, replacing any song that plays), stop it. Rendered by the mixer.
#pragma once

#include <cstdint>
#include <string>

// 0 when the file is missing or not a module.
int32_t SongLoadFromFile(const char* path);
void SongPlay(int32_t handle);
void SongStop(int32_t handle); // 0 or a stopped handle: harmless

// The path of the song playing ("" when none): shown by the harness.
std::string PlayingSongPath();
// Frees every loaded song (program end, tests).
void SongFreeAll();

// Load and play `path` into MusicHandle; on failure "Can't load music." and MusicOn off.
void StartMusic(const char* path);

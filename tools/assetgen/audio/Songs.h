// Songs.h -- the two songs of the game as XM module bytes: sound/1.xm and sound/2.xm.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

std::vector<uint8_t> MakeMenuSong(); // bytes of sound/1.xm: calm, about 90 BPM
std::vector<uint8_t> MakeGameSong(); // bytes of sound/2.xm: driving, about 140 BPM

} // namespace assetgen

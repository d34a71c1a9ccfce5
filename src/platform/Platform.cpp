// Platform.cpp -- TEMP: the current backend pointer only, until the real platform layer lands.
#include "platform/Platform.h"

namespace platform {

namespace {
Platform* current = nullptr;
} // namespace

Platform& Current() { return *current; }
void SetCurrent(Platform* platform) { current = platform; }

} // namespace platform

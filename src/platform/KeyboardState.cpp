// KeyboardState.cpp -- virtual keys held through any of their physical keys.
#include "platform/KeyboardState.h"

#include <cstddef>

namespace platform {

void KeyboardState::Key(int physical, int vk, bool down) {
    if (physical < 0 || physical >= kPhysicalKeys || vk <= 0 || vk > 255) return;
    uint8_t& was = vkOf_[std::size_t(physical)];
    if (down) {
        if (was) return; // auto-repeat, or a down whose up never came
        was = uint8_t(vk);
        ++held_[std::size_t(vk)];
    } else if (was) {
        --held_[was]; // the virtual key it went down as, whatever the layout says now
        was = 0;
    }
}

void KeyboardState::Clear() {
    vkOf_.fill(0);
    held_.fill(0);
}

void KeyboardState::CopyTo(uint8_t keys[256]) const {
    for (int vk = 0; vk < 256; ++vk)
        keys[vk] = held_[std::size_t(vk)] ? 0x80 : 0;
}

} // namespace platform

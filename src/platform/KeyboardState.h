// KeyboardState.h -- the virtual-key state that the input component polls, kept by a backend
// from the key events of physical keys. Several physical keys give one virtual key (left and
// right Ctrl, Shift and Alt; Return and keypad Enter), so a virtual key is down while any of
// its physical keys is, and releasing one of a held pair leaves it down.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

class KeyboardState {
  public:
    static constexpr int kPhysicalKeys = 512; // scan codes 0..511

    // Called by a backend for each key event: physical key `physical` (its scan code) gives
    // virtual key `vk`. Auto-repeated downs are harmless; codes out of range are ignored.
    void Key(int physical, int vk, bool down);
    // Every key up at once (the window lost the keyboard).
    void Clear();
    // By virtual-key code, bit 7 set while the key is down.
    void CopyTo(uint8_t keys[256]) const;

  private:
    std::array<uint8_t, kPhysicalKeys> vkOf_{}; // 0: that physical key is up
    std::array<uint8_t, 256> held_{};           // physical keys down per virtual key
};

} // namespace platform

// KeyboardState_test.cpp -- a virtual key held through either of its physical keys.
#include <gtest/gtest.h>

#include "platform/KeyboardState.h"

namespace {

bool Down(const platform::KeyboardState& k, int vk) {
    uint8_t keys[256];
    k.CopyTo(keys);
    return keys[vk] & 0x80;
}

TEST(KeyboardState, APairedKeyStaysDownWhileEitherIsHeld) {
    // Scan codes of the two keys of each pair, and their virtual key.
    struct {
        const char* pair;
        int first, second, vk;
    } cases[] = {{"Ctrl", 224, 228, 17},
                 {"Shift", 225, 229, 16},
                 {"Alt", 226, 230, 18},
                 {"Return and keypad Enter", 40, 88, 13}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pair);
        for (bool firstUpFirst : {true, false}) {
            platform::KeyboardState k;
            k.Key(c.first, c.vk, true);
            k.Key(c.second, c.vk, true);
            k.Key(firstUpFirst ? c.first : c.second, c.vk, false);
            EXPECT_TRUE(Down(k, c.vk)) << "the other key is still held";
            k.Key(firstUpFirst ? c.second : c.first, c.vk, false);
            EXPECT_FALSE(Down(k, c.vk));
        }
    }
}

TEST(KeyboardState, RepeatsStrayUpsAndLostFocusLeaveNothingStuck) {
    platform::KeyboardState k;
    k.Key(224, 17, true);
    k.Key(224, 17, true); // auto-repeat
    k.Key(224, 17, false);
    EXPECT_FALSE(Down(k, 17)) << "one release ends a repeated press";
    k.Key(228, 17, false); // an up without its down (pressed before the window had focus)
    k.Key(224, 17, true);
    EXPECT_TRUE(Down(k, 17));
    k.Key(44, 32, true);
    k.Clear();
    EXPECT_FALSE(Down(k, 17));
    EXPECT_FALSE(Down(k, 32));
    k.Key(224, 17, false); // its up after the focus came back
    k.Key(4, 65, true);
    EXPECT_TRUE(Down(k, 65));
    for (int bad : {-1, platform::KeyboardState::kPhysicalKeys})
        k.Key(bad, 65, false);
    k.Key(5, 0, true);
    k.Key(5, 256, true);
    EXPECT_TRUE(Down(k, 65)) << "out-of-range codes change nothing";
}

TEST(KeyboardState, AReleaseUndoesTheKeyItsPressGave) {
    // A layout switch between press and release gives the release another virtual key.
    platform::KeyboardState k;
    k.Key(20, 'Q', true);
    k.Key(20, 'A', false);
    EXPECT_FALSE(Down(k, 'Q'));
    EXPECT_FALSE(Down(k, 'A'));
}

} // namespace

// KeyMap_test.cpp -- the SDL backend's key translation on keyboards that are not QWERTY: what
// SDL reports for a key (its scan code, by position, and its key code, by the layout's label)
// becomes an event by label and a polled key by position.
#include <gtest/gtest.h>

#include "platform/sdl/SdlPlatform.h"

namespace {

// SDL's scan codes of the keys used here (positions on a US keyboard).
constexpr int kScanA = 4, kScanD = 7, kScanQ = 20, kScanS = 22, kScanW = 26, kScanY = 28,
              kScanZ = 29, kScanSemicolon = 51, kScanF12 = 69;
// SDL's key codes for characters are the characters; F12 has its own.
constexpr int kSymF12 = (1 << 30) | kScanF12;

struct Key {
    const char* what;
    int scancode, keycode;
    int eventVk, polledVk;
};

void Check(const char* layout, std::initializer_list<Key> keys) {
    for (const Key& k : keys) {
        EXPECT_EQ(platform::VirtualKeyFromSdl(k.keycode, k.scancode), k.eventVk)
            << layout << ": " << k.what << " as an event";
        EXPECT_EQ(platform::PositionalVirtualKey(k.scancode), k.polledVk)
            << layout << ": " << k.what << " in the polled state";
    }
}

TEST(KeyMap, AnAzertyKeyboardSteersWithTheKeysWhereWasdAre) {
    Check("fr", {
                    {"Z, where W is", kScanW, 'z', 'Z', 'W'},
                    {"Q, where A is", kScanA, 'q', 'Q', 'A'},
                    {"A, where Q is", kScanQ, 'a', 'A', 'Q'},
                    {"S", kScanS, 's', 'S', 'S'},
                    {"D", kScanD, 'd', 'D', 'D'},
                    {"W, where Z is", kScanZ, 'w', 'W', 'Z'},
                    {"M, right of L", kScanSemicolon, 'm', 'M', 186},
                    {"F12, the boss key", kScanF12, kSymF12, 123, 123},
                });
}

TEST(KeyMap, AQwertzKeyboardSwapsOnlyZAndY) {
    Check("de", {
                    {"W", kScanW, 'w', 'W', 'W'},
                    {"A", kScanA, 'a', 'A', 'A'},
                    {"S", kScanS, 's', 'S', 'S'},
                    {"D", kScanD, 'd', 'D', 'D'},
                    {"Z, where Y is", kScanY, 'z', 'Z', 'Y'},
                    {"Y, where Z is", kScanZ, 'y', 'Y', 'Z'},
                });
}

TEST(KeyMap, AUsKeyboardGivesTheSameKeyBothWays) {
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(platform::PositionalVirtualKey(kScanA + i),
                  platform::VirtualKeyFromSdl('a' + i, kScanA + i))
            << char('A' + i);
}

} // namespace

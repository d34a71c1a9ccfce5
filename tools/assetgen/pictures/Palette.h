// Palette.h -- the one palette every picture is drawn from (0xRRGGBB), grouped by material.
#pragma once

#include <cstdint>

namespace assetgen::pal {

// Ink and parchment: the front end, the status bar and every painted label.
inline constexpr uint32_t Ink = 0x3B2A1A;
inline constexpr uint32_t Sepia = 0x7A5A36;
inline constexpr uint32_t ParchmentLight = 0xF3E7C4;
inline constexpr uint32_t Parchment = 0xE9D8A6;
inline constexpr uint32_t ParchmentShadow = 0xD2BC84;
inline constexpr uint32_t ParchmentDeep = 0xA88A52;
inline constexpr uint32_t Gold = 0xC9A227;
inline constexpr uint32_t GoldLight = 0xF0D77A;
inline constexpr uint32_t GoldDark = 0x8A6A14;
inline constexpr uint32_t Rubric = 0xB3121B;
inline constexpr uint32_t RubricDark = 0x6E0A10;

// Outline of every game sprite: a warm near-black, so it is never the text colour 0.
inline constexpr uint32_t Outline = 0x1E1410;

// Day sky.
inline constexpr uint32_t AzureDeep = 0x2C64A8;
inline constexpr uint32_t Azure = 0x5E9ED8;
inline constexpr uint32_t Horizon = 0xD4E8F0;
inline constexpr uint32_t Cloud = 0xF8F6EE;
inline constexpr uint32_t CloudShadow = 0xBCCCDD;

// Night sky and dusk.
inline constexpr uint32_t Indigo = 0x16163E;
inline constexpr uint32_t Violet = 0x3E2C68;
inline constexpr uint32_t NightHorizon = 0x7A5A8C;
inline constexpr uint32_t Dusk = 0xE89A5C;
inline constexpr uint32_t Star = 0xFFF6D8;
inline constexpr uint32_t Moon = 0xF2EBC8;
inline constexpr uint32_t MoonShadow = 0xC2B894;

// Far range: hazy blue-grey.
inline constexpr uint32_t FarLight = 0xC2D0DC;
inline constexpr uint32_t Far = 0x9AAEC2;
inline constexpr uint32_t FarShadow = 0x7C91A9;

// Middle range: warmer, darker rock.
inline constexpr uint32_t RockLight = 0xA88A6C;
inline constexpr uint32_t Rock = 0x7E6654;
inline constexpr uint32_t RockShadow = 0x564640;
inline constexpr uint32_t Basalt = 0x3E3236;

// Near ground and trees: the most saturated.
inline constexpr uint32_t LeafLight = 0x7DB84E;
inline constexpr uint32_t Leaf = 0x3F8432;
inline constexpr uint32_t LeafShadow = 0x22552A;
inline constexpr uint32_t Earth = 0x6E4A2A;
inline constexpr uint32_t EarthShadow = 0x45301E;

// Fire and lava: white-yellow core to orange to red.
inline constexpr uint32_t FireWhite = 0xFFFBE0;
inline constexpr uint32_t FireYellow = 0xFFD94A;
inline constexpr uint32_t FireOrange = 0xFF8A1E;
inline constexpr uint32_t FireRed = 0xD8361A;
inline constexpr uint32_t Ember = 0x7E1A0C;
inline constexpr uint32_t Smoke = 0x6A605C;
inline constexpr uint32_t SmokeLight = 0xA09690;

// Ice and lightning.
inline constexpr uint32_t IceWhite = 0xF4FEFF;
inline constexpr uint32_t IceLight = 0xA8EEFF;
inline constexpr uint32_t Ice = 0x3EC4EC;
inline constexpr uint32_t IceDeep = 0x1C70B0;
inline constexpr uint32_t BoltLight = 0xE6CCFF;
inline constexpr uint32_t Bolt = 0xA45CFF;
inline constexpr uint32_t BoltDeep = 0x5A2CB0;

// The dragon: emerald scales, gold belly, amber wing membrane.
inline constexpr uint32_t EmeraldLight = 0x48C47C;
inline constexpr uint32_t Emerald = 0x1E8450;
inline constexpr uint32_t EmeraldShadow = 0x0E4E30;
inline constexpr uint32_t BellyLight = 0xF6DE8C;
inline constexpr uint32_t Belly = 0xE0B44C;
inline constexpr uint32_t BellyShadow = 0xA87C28;
inline constexpr uint32_t AmberLight = 0xF8C464;
inline constexpr uint32_t Amber = 0xE08E2C;
inline constexpr uint32_t AmberShadow = 0xA0561A;

// Enemies: muted reds and browns, skin, steel, wood.
inline constexpr uint32_t ClothLight = 0xB84E40;
inline constexpr uint32_t Cloth = 0x8C2E26;
inline constexpr uint32_t ClothShadow = 0x5A1A16;
inline constexpr uint32_t LeatherLight = 0xA87A4C;
inline constexpr uint32_t Leather = 0x7A5432;
inline constexpr uint32_t LeatherShadow = 0x4C321E;
inline constexpr uint32_t SkinLight = 0xE8BC92;
inline constexpr uint32_t Skin = 0xC89068;
inline constexpr uint32_t SkinShadow = 0x8E5E40;
inline constexpr uint32_t SteelLight = 0xCCD2D8;
inline constexpr uint32_t Steel = 0x8C949C;
inline constexpr uint32_t SteelShadow = 0x565C64;
inline constexpr uint32_t WoodLight = 0xB88450;
inline constexpr uint32_t Wood = 0x8A5C30;
inline constexpr uint32_t WoodShadow = 0x5A3A1C;
inline constexpr uint32_t White = 0xFFFFFF;

} // namespace assetgen::pal

// Manifest.h -- dxgtool's manifest: a line-based text listing a collection's entries with every
// property and the PNG or WAV file holding each entry's picture or sound.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/DxgReader.h"

struct TManifestPicture {
    std::string Name;
    std::string File; // relative to the manifest; "-" for an empty picture
    int32_t PatternWidth = 0, PatternHeight = 0, SkipWidth = 0, SkipHeight = 0;
    bool SystemMemory = false;
    bool Transparent = true;
    uint32_t TransparentColor = 0;
    int BitCount = 24;
};

struct TManifestWave {
    std::string Name;
    std::string File; // relative to the manifest
    bool Looped = false;
    int32_t MaxPlayingCount = 0;
};

struct TManifest {
    TCollectionKind Kind = TCollectionKind::Unknown;
    std::vector<uint8_t> ColorTable = std::vector<uint8_t>(1024, 0); // pictures only
    std::vector<TManifestPicture> Pictures;
    std::vector<TManifestWave> Waves;
};

std::string WriteManifest(const TManifest& manifest);
// Throws std::runtime_error "line N: ..." for a line it cannot take.
TManifest ParseManifest(const std::string& text);

// Names are written with backslash, control bytes and DEL as \xHH, so a line holds any name.
std::string EscapeName(std::string_view name);
std::string UnescapeName(std::string_view text); // throws std::invalid_argument

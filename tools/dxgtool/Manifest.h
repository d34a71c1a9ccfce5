// Manifest.h -- dxgtool's manifest: a line-based text listing a collection's entries with every
// property and the PNG or WAV file holding each entry's picture or sound.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/DxgReader.h"

// A manifest entry is the collection's own entry plus the file that holds its picture or sound
// (relative to the manifest). The picture or sound itself is not part of the manifest text.
struct TManifestPicture : TPictureItemData {
    std::string File; // a PNG, the stored graphic as it is, or "-" for no picture
};

struct TManifestWave : TWaveItemData {
    std::string File; // a WAV
};

struct TManifest {
    TCollectionKind Kind = TCollectionKind::Unknown;
    std::array<uint8_t, 1024> ColorTable{}; // pictures only
    std::vector<TManifestPicture> Pictures;
    std::vector<TManifestWave> Waves;
};

std::string WriteManifest(const TManifest& manifest);
// Throws std::runtime_error "line N: ..." for a line it cannot take.
TManifest ParseManifest(const std::string& text);

// Names are written with backslash, control bytes and DEL as \xHH, so a line holds any name.
std::string EscapeName(std::string_view name);
std::string UnescapeName(std::string_view text); // throws std::invalid_argument

// Pictures.h -- the picture half of the asset generator: every entry of the menu and game picture
// files, the window icon, and contact sheets for reviewing them.
#pragma once

#include "graphics/DxgWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// The colour key of every keyed entry: magenta, as a TColor (0x00BBGGRR).
inline constexpr uint32_t kKeyColor = 0x00FF00FF;

// Entries of data/menu.dxg in file order (indices 0..6 and 24..33 are reached by index).
std::vector<TPictureItemData> MakeMenuPictures();

// Entries of data/gamegraphic.dxg in file order (indices 1 and 25..27 are reached by index).
std::vector<TPictureItemData> MakeGamePictures();

// One PNG showing every entry with each frame outlined and labelled with its name and index;
// keyed pixels show as a checkerboard.
void WriteContactSheets(const std::vector<TPictureItemData>& entries, const std::string& title,
                        const std::string& pngPath);

// The dragon's head as a square icon, 0xAARRGGBB pixels, rows top-down.
std::vector<uint32_t> MakeDragonIcon(int size);

// The same icon as a scalable SVG document.
std::string MakeDragonSvg();

} // namespace assetgen

// Stubs.cpp -- temporary placeholders (removed as the real art lands).
#include "Art.h"
#include "Canvas.h"
#include "Front.h"
#include "pictures/Pictures.h"

namespace assetgen {
std::vector<uint32_t> MakeDragonIcon(int) { return {}; }
std::string MakeDragonSvg() { return {}; }
}

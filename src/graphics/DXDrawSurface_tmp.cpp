// DXDrawSurface_tmp.cpp -- TEMPORARY link-only placeholders for the collection reader until its
// branch is merged; drop this file at merge. Weak, so the real definitions win, and throwing:
// nothing may rely on them and no test reaches them.
#include <stdexcept>

#include "graphics/DxgReader.h"

__attribute__((weak)) TPictureCollectionData ReadPictureCollection(std::span<const uint8_t>) {
    throw std::logic_error("TEMP: reader not linked yet");
}
__attribute__((weak)) std::vector<uint8_t> ReadWholeFile(const std::string&) {
    throw std::logic_error("TEMP: reader not linked yet");
}

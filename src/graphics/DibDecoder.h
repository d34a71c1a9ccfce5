// DibDecoder.h -- turning the graphics stored in "Picture.Data" (packed DIB, BMP file, icon)
// into TPicture pixels. Faults raise EInvalidGraphic with the game's messages.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/Picture.h"

// Largest picture we agree to decode: each side at most kMaxDibSide and at most kMaxDibPixels
// pixels in all, so a lying header cannot make us allocate gigabytes.
constexpr int32_t kMaxDibSide = 32768;
constexpr int64_t kMaxDibPixels = int64_t(1) << 25;
// A run-length picture may expand its data by at most this factor.
constexpr int64_t kMaxRleExpansion = 1024;

// The pixels all pictures of one file may decode to together: kDecodeBudgetPerByte for every
// byte of the file, and never less than kDecodeBudgetFloor. Run-length and other small entries
// can each expand up to the caps above, so only a total in proportion to the file keeps a
// small hostile file from taking gigabytes. Plain pictures spend under 8 pixels per byte, and
// the flattest run-length picture under 128, so real files stay far below the total.
constexpr int64_t kDecodeBudgetPerByte = 32;
constexpr int64_t kDecodeBudgetFloor = int64_t(1) << 22;

class TDecodeBudget {
  public:
    explicit TDecodeBudget(size_t fileBytes)
        : left_(std::max(kDecodeBudgetFloor, kDecodeBudgetPerByte * int64_t(fileBytes))) {}
    // Takes `pixels` from what is left, before they are allocated; "DIB is invalid" when the
    // file has spent its budget.
    void Spend(int64_t pixels);

  private:
    int64_t left_;
};

// A packed DIB: header (40 or 12 bytes), masks, colour table, rows. `pixelOffset`, when not 0,
// is where the rows start inside `dib` (BMP files say so in their file header). An icon image
// stores its colour rows and then an AND mask, its header counting both: `iconImage` halves the
// height and decodes the colour rows only.
// Pixels are taken from `budget` when one is given.
TPicture DecodeDib(std::span<const uint8_t> dib, size_t pixelOffset = 0, bool iconImage = false,
                   TDecodeBudget* budget = nullptr);

// A BMP file: the 14-byte "BM" file header, then a DIB. Its info header may also be one of the
// longer later ones (52, 56, 108 or 124 bytes), with the bit-field masks inside it.
TPicture DecodeBmpFile(std::span<const uint8_t> file, TDecodeBudget* budget = nullptr);

// An ICO (or CUR) file: the largest DIB image of the directory. Images stored as PNG are not
// decoded; an icon holding nothing else gives an empty picture.
TPicture DecodeIcon(std::span<const uint8_t> file, TDecodeBudget* budget = nullptr);

// The bytes of a "Picture.Data" property: the graphic's class name as a short string, then the
// graphic's own data ("TDIB", "TBitmap", "TIcon", "TMetafile"). Metafiles and unknown classes
// give an empty picture.
TPicture DecodePictureData(std::span<const uint8_t> data, TDecodeBudget* budget = nullptr);

// DxgReader.h -- reading picture-collection (.dxg) and wave-collection (.dxw) files: the
// one-resource header, the "TPF0" component stream and each entry's properties. One reader
// serves both file kinds; the image and wave libraries turn the result into their entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "graphics/Picture.h"
#include "graphics/Types.h"

// Errors of the stream itself: "Invalid stream format", "Property %s does not exist",
// "Invalid property value".
struct EReadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Errors while decoding a picture ("DIB is invalid", "Bitcount in invalid (%d)", ...).
struct EInvalidGraphic : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// "Wave is invalid"
struct EWaveStreamError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One picture entry as stored: what the reader gives, the writer takes and dxgtool lists,
// extracts and packs. Properties left out of the file keep these defaults.
struct TPictureItemData {
    std::string Name;
    TPicture Picture;
    int32_t PatternWidth = 0, PatternHeight = 0, SkipWidth = 0, SkipHeight = 0;
    bool SystemMemory = false;
    bool Transparent = true;
    TColor TransparentColor = 0;
    // "Picture.Data" as stored when it holds a graphic that decodes to no picture (a metafile,
    // an unknown class, an icon of PNG images only), so that rewriting the entry keeps it.
    std::vector<uint8_t> PictureData;
    // The depth (24 or 32) at which a writer stores Picture as a "TDIB"; reading leaves 24.
    int BitCount = 24;
};

struct TPictureCollectionData {
    std::array<uint8_t, 1024> ColorTable{};
    std::vector<TPictureItemData> Items;
};

// The recording of a wave entry: the "fmt " chunk bytes (a WAVEFORMATEX) and the "data" bytes.
struct TWave {
    std::vector<uint8_t> Format;
    std::vector<uint8_t> Data;
    bool Empty() const { return Data.empty(); }
    // Fields of the format block (0 when the block is too short).
    uint16_t FormatTag() const;
    uint16_t Channels() const;
    uint32_t SamplesPerSec() const;
    uint16_t BitsPerSample() const;
};

// One wave entry as stored, shared by the reader, the writer and dxgtool like the above.
struct TWaveItemData {
    std::string Name;
    bool Looped = false;
    int32_t MaxPlayingCount = 0; // negative values are stored as 0
    TWave Wave;
};

// Both throw EReadError / EInvalidGraphic / EWaveStreamError with the game's messages.
TPictureCollectionData ReadPictureCollection(std::span<const uint8_t> bytes);
std::vector<TWaveItemData> ReadWaveCollection(std::span<const uint8_t> bytes);

// Which collection a file holds, told by its root class name.
enum class TCollectionKind { Unknown, Pictures, Waves };
struct TCollectionHeader {
    TCollectionKind Kind = TCollectionKind::Unknown;
    std::string RootClassName; // as stored ("TPictureCollectionComponent", ...)
};
// Reads the resource header and the stream's start only; same errors as the readers.
TCollectionHeader PeekCollectionKind(std::span<const uint8_t> bytes);

// Parses a RIFF WAVE file image ("Wave is invalid" when it does not start with RIFF/WAVE).
TWave ReadRiffWave(std::span<const uint8_t> bytes);

// Reads a whole file; throws EReadError "Cannot open file "%s". %s" when it cannot be opened,
// or when it holds more than `maxBytes` (the reason then "File too large"), which is checked
// before anything is read where the size is known, and as the bytes come in where it is not.
std::vector<uint8_t> ReadWholeFile(const std::string& path, size_t maxBytes = SIZE_MAX);

// The bytes of a picture or wave collection file. The resource header is checked before
// anything else is read, so what cannot be a collection file ("/dev/zero", a huge sparse
// file) costs "Invalid stream format" at once. A regular file is mapped, so only the bytes
// the reader walks are ever touched; a pipe or device is read no further than the length its
// header states.
class TCollectionFile {
  public:
    // Opens the file only: throws EReadError "Cannot open file "%s". %s".
    explicit TCollectionFile(const std::string& path);
    ~TCollectionFile();
    TCollectionFile(const TCollectionFile&) = delete;
    TCollectionFile& operator=(const TCollectionFile&) = delete;

    // The file's bytes, read (or mapped) at the first call. Throws EReadError "Invalid stream
    // format" for a bad header, or "Cannot open file ..." when reading fails.
    std::span<const uint8_t> Bytes();

  private:
    std::string path_;
    int fd_ = -1;
    bool regular_ = false;
    size_t size_ = 0;
    bool loaded_ = false;
    std::span<const uint8_t> bytes_;
    void* mapped_ = nullptr;
    std::vector<uint8_t> read_;
};

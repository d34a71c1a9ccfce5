// DxgReader.cpp -- the resource header, the root of the component stream and the entry
// properties of picture (.dxg) and wave (.dxw) collection files; RIFF WAVE parsing.
#include "graphics/DxgReader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "graphics/ComponentStream.h"
#include "graphics/DibDecoder.h"

namespace {

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The one-resource header: 0xFF, type 10, a zero-terminated name, flags and a length. Only the
// first byte and the type are checked, within the first 79 bytes (zero-filled when the file is
// shorter); the component stream starts right after the name's terminator + 6 bytes.
size_t StreamStart(std::span<const uint8_t> bytes) {
    std::array<uint8_t, 80> head{};
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), 79), head.begin());
    if (head[0] != 0xFF || U16(&head[1]) != 10) StreamFormatError();
    size_t n = 0;
    while (head[3 + n] != 0)
        ++n; // head[79] is always 0
    return n + 10;
}

// "TPF0", an optional prefix byte, the root's class name (returned) and component name.
std::string ReadRootStart(TComponentReader& r) {
    auto signature = r.ReadBytes(4);
    if (std::memcmp(signature.data(), "TPF0", 4) != 0) StreamFormatError();
    uint8_t prefix = r.PeekByte();
    if ((prefix & 0xF0) == 0xF0) {
        r.ReadByte();
        if (prefix & 2) r.ReadInteger(); // a child position, meaningless for a root
    }
    std::string className = r.ReadShortString();
    r.ReadShortString();
    return className;
}

[[noreturn]] void NoSuchProperty(const std::string& name) {
    throw EReadError("Property " + name + " does not exist");
}

// A "List" collection: items of an optional order value, the list marker, then properties up
// to a zero byte. A non-empty collection replaces what an earlier one read.
template <class Item, class SetProperty>
void ReadCollection(TComponentReader& r, std::vector<Item>& items, SetProperty setProperty) {
    r.CheckValue(vaCollection);
    if (!r.EndOfList()) items.clear();
    while (!r.EndOfList()) {
        TValueType next = r.NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) r.ReadInteger();
        r.CheckValue(vaList);
        Item& item = items.emplace_back();
        while (!r.EndOfList()) {
            std::string name = r.ReadShortString();
            setProperty(item, name);
        }
        r.ReadListEnd();
    }
    r.ReadListEnd();
}

// The root's property list, then its (empty) list of children. `setProperty` returns false
// for a name the root does not have.
template <class SetProperty> void ReadRootProperties(TComponentReader& r, SetProperty setProperty) {
    while (!r.EndOfList()) {
        std::string name = r.ReadShortString();
        if (!setProperty(name)) NoSuchProperty(name);
    }
    r.ReadListEnd();
    r.ReadListEnd();
}

void SetPictureProperty(TComponentReader& r, TPictureItemData& item, const std::string& name,
                        TDecodeBudget& budget) {
    if (SameText(name, "Name")) {
        item.Name = r.ReadString();
    } else if (SameText(name, "PatternWidth")) {
        item.PatternWidth = r.ReadInteger();
    } else if (SameText(name, "PatternHeight")) {
        item.PatternHeight = r.ReadInteger();
    } else if (SameText(name, "SkipWidth")) {
        item.SkipWidth = r.ReadInteger();
    } else if (SameText(name, "SkipHeight")) {
        item.SkipHeight = r.ReadInteger();
    } else if (SameText(name, "SystemMemory")) {
        item.SystemMemory = r.ReadBoolean();
    } else if (SameText(name, "Transparent")) {
        item.Transparent = r.ReadBoolean();
    } else if (SameText(name, "TransparentColor")) {
        if (r.NextValue() == vaIdent) {
            if (!IdentToColor(r.ReadIdent(), item.TransparentColor)) PropertyValueError();
        } else {
            item.TransparentColor = TColor(r.ReadInteger());
        }
    } else if (SameText(name, "Picture.Data")) {
        auto data = r.ReadBinary();
        item.Picture = DecodePictureData(data, &budget);
        if (item.Picture.Empty())
            item.PictureData.assign(data.begin(), data.end());
        else
            item.PictureData.clear();
    } else {
        NoSuchProperty(name);
    }
}

void SetWaveProperty(TComponentReader& r, TWaveItemData& item, const std::string& name) {
    if (SameText(name, "Name")) {
        item.Name = r.ReadString();
    } else if (SameText(name, "Looped")) {
        item.Looped = r.ReadBoolean();
    } else if (SameText(name, "MaxPlayingCount")) {
        item.MaxPlayingCount = std::max(0, r.ReadInteger());
    } else if (SameText(name, "Wave.WAVE")) {
        item.Wave = ReadRiffWave(r.ReadBinary());
    } else {
        NoSuchProperty(name);
    }
}

} // namespace

TPictureCollectionData ReadPictureCollection(std::span<const uint8_t> bytes) {
    TComponentReader r(bytes, StreamStart(bytes));
    ReadRootStart(r);
    TPictureCollectionData data;
    TDecodeBudget budget(bytes.size());
    ReadRootProperties(r, [&](const std::string& name) {
        if (SameText(name, "List.ColorTable")) {
            auto table = r.ReadBinary();
            std::copy_n(table.begin(), std::min(table.size(), data.ColorTable.size()),
                        data.ColorTable.begin());
        } else if (SameText(name, "List")) {
            ReadCollection(r, data.Items, [&](TPictureItemData& item, const std::string& prop) {
                SetPictureProperty(r, item, prop, budget);
            });
        } else {
            return false;
        }
        return true;
    });
    return data;
}

std::vector<TWaveItemData> ReadWaveCollection(std::span<const uint8_t> bytes) {
    TComponentReader r(bytes, StreamStart(bytes));
    ReadRootStart(r);
    std::vector<TWaveItemData> items;
    ReadRootProperties(r, [&](const std::string& name) {
        if (!SameText(name, "List")) return false;
        ReadCollection(r, items, [&](TWaveItemData& item, const std::string& prop) {
            SetWaveProperty(r, item, prop);
        });
        return true;
    });
    return items;
}

TCollectionHeader PeekCollectionKind(std::span<const uint8_t> bytes) {
    TComponentReader r(bytes, StreamStart(bytes));
    TCollectionHeader header;
    header.RootClassName = ReadRootStart(r);
    if (SameText(header.RootClassName, "TPictureCollectionComponent"))
        header.Kind = TCollectionKind::Pictures;
    else if (SameText(header.RootClassName, "TWaveCollectionComponent"))
        header.Kind = TCollectionKind::Waves;
    return header;
}

TWave ReadRiffWave(std::span<const uint8_t> bytes) {
    auto invalid = [] { throw EWaveStreamError("Wave is invalid"); };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        invalid();
    TWave wave;
    size_t pos = 12;
    // Chunks follow each other with no pad byte after odd lengths: the walk goes by the
    // stated lengths alone, until no whole chunk header is left or an identifier is zero.
    while (bytes.size() - pos >= 8) {
        const uint8_t* id = bytes.data() + pos;
        uint32_t length = U32(id + 4);
        pos += 8;
        if (U32(id) == 0) break;
        size_t left = bytes.size() - pos;
        bool isFormat = std::memcmp(id, "fmt ", 4) == 0;
        if (isFormat || std::memcmp(id, "data", 4) == 0) {
            if (length > left) invalid();
            auto& target = isFormat ? wave.Format : wave.Data;
            target.assign(bytes.begin() + pos, bytes.begin() + pos + length);
        } else if (length > left) {
            break;
        }
        pos += length;
    }
    return wave;
}

uint16_t TWave::FormatTag() const {
    return Format.size() >= 2 ? U16(&Format[0]) : 0;
}
uint16_t TWave::Channels() const {
    return Format.size() >= 4 ? U16(&Format[2]) : 0;
}
uint32_t TWave::SamplesPerSec() const {
    return Format.size() >= 8 ? U32(&Format[4]) : 0;
}
uint16_t TWave::BitsPerSample() const {
    return Format.size() >= 16 ? U16(&Format[14]) : 0;
}

namespace {

[[noreturn]] void CannotOpen(const std::string& path, int error) {
    throw EReadError("Cannot open file \"" + path + "\". " + std::strerror(error));
}

// Up to `count` bytes from the descriptor's position into `out`; fewer only at the end.
bool ReadUpTo(int fd, std::vector<uint8_t>& out, size_t count) {
    uint8_t buffer[65536];
    while (count > 0) {
        ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, count));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        out.insert(out.end(), buffer, buffer + got);
        count -= size_t(got);
    }
    return true;
}

// The stream length the one-resource header states, once the header is known to be whole.
size_t StatedStreamLength(std::span<const uint8_t> bytes) {
    size_t start = StreamStart(bytes);
    if (bytes.size() < start) StreamFormatError();
    return U32(bytes.data() + start - 4);
}

} // namespace

TCollectionFile::TCollectionFile(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) CannotOpen(path, errno);
    struct stat st {};
    int error = ::fstat(fd_, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (error) {
        ::close(fd_);
        CannotOpen(path, error);
    }
    regular_ = S_ISREG(st.st_mode);
    size_ = regular_ ? size_t(st.st_size) : 0;
}

TCollectionFile::~TCollectionFile() {
    if (mapped_) ::munmap(mapped_, size_);
    ::close(fd_);
}

std::span<const uint8_t> TCollectionFile::Bytes() {
    if (loaded_) return bytes_;
    // The header lies within the first 80 bytes.
    if (!ReadUpTo(fd_, read_, 80)) CannotOpen(path_, errno);
    StreamStart(read_);
    if (regular_ && size_ > 0) {
        void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (map != MAP_FAILED) {
            mapped_ = map;
            bytes_ = {static_cast<const uint8_t*>(map), size_};
            read_.clear();
            loaded_ = true;
            return bytes_;
        }
    }
    // A stream of unknown size: the rest as far as the header says the stream goes.
    size_t total = StreamStart(read_) + StatedStreamLength(read_);
    if (total > read_.size() && !ReadUpTo(fd_, read_, total - read_.size()))
        CannotOpen(path_, errno);
    bytes_ = read_;
    loaded_ = true;
    return bytes_;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, size_t maxBytes) {
    auto fail = [&](int error) -> std::vector<uint8_t> { CannotOpen(path, error); };
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(error);
    }
    std::vector<uint8_t> bytes;
    if (S_ISREG(st.st_mode)) {
        if (uint64_t(st.st_size) > maxBytes) {
            ::close(fd);
            return fail(EFBIG);
        }
        bytes.reserve(size_t(st.st_size));
    }
    uint8_t buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || size_t(got) > maxBytes - bytes.size()) {
            int error = got < 0 ? errno : EFBIG;
            ::close(fd);
            return fail(error);
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    ::close(fd);
    return bytes;
}

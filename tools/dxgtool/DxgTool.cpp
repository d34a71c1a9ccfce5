// DxgTool.cpp -- dxgtool's commands: list a collection, extract it to PNG/WAV files and a
// manifest, pack a manifest back into a collection file.
#include "DxgTool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "Manifest.h"
#include "PngFile.h"
#include "audio/WaveFormat.h"
#include "graphics/DxgReader.h"
#include "graphics/DxgWriter.h"
#include "graphics/PatternCount.h"

const char* const kDxgToolHelp = R"(Usage:
  dxgtool list FILE             one line per entry, fields separated by tabs
  dxgtool extract FILE DIR      one PNG per picture (WAV per wave) and DIR/manifest.txt
  dxgtool pack MANIFEST OUT     build a collection file from a manifest
  dxgtool --help

FILE is a picture collection (.dxg) or a wave collection (.dxw); the kind is told by the
root class stored in the file.

list, picture collection:
  index name width height PatternWidth PatternHeight SkipWidth SkipHeight Transparent
  TransparentColor PatternCount
  (Transparent 0/1, TransparentColor as 0x%08X, PatternCount the frames the built entry has)
list, wave collection:
  index name Looped MaxPlayingCount formatTag channels samplesPerSec bitsPerSample dataBytes

Manifest format (text, one "key value" per line; blank lines and lines starting with # are
ignored):
  collection pictures|waves      first line that counts
  colortable HEX                 pictures only, optional: 1024 bytes as 2048 hex digits
  picture | wave                 starts a new entry; the keys below apply to the latest entry
  name NAME                      backslash, control bytes and DEL written as \xHH
  file PATH                      PNG or WAV, relative to the manifest ("-": empty picture);
                                 a picture file that is not a PNG holds the entry's stored
                                 graphic as it is (extract writes such .bin files for
                                 graphics it cannot show as PNG: metafiles, unknown classes)
 pictures:
  patternwidth N, patternheight N, skipwidth N, skipheight N   (decimal or 0x hex)
  systemmemory 0|1, transparent 0|1, transparentcolor 0xBBGGRR-style TColor
  bitcount 24|32                 depth of the DIB written by pack
 waves:
  looped 0|1, maxplayingcount N
Defaults for keys left out: 0, transparent 1, bitcount 24. Entries keep their order.
pack refuses what the game would: an entry its reader does not take (a picture over the size
cap, ...), a wave its mixer does not play (not 8- or 16-bit PCM in 1 or 2 channels, no rate,
a rate too low to convert), or waves that together convert to more than the file's budget.
Errors print the library's message and exit with status 1; usage errors exit with 2.
)";

namespace {

namespace fs = std::filesystem;

// What pack reads of a manifest and of each entry's file: far more than any real one holds
// (the largest picture the reader takes is 128 MB as pixels), so a device without end or a
// wrong path to a huge file fails instead of filling memory.
constexpr size_t kMaxManifestBytes = size_t(64) << 20;
constexpr size_t kMaxEntryFileBytes = size_t(512) << 20;

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("Cannot create file \"" + path + "\". " + std::strerror(errno));
    size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    bool ok = written == bytes.size() && std::fclose(f) == 0;
    if (!ok) throw std::runtime_error("Cannot write file \"" + path + "\"");
}

std::string Hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

// "012_hero.png": the index keeps names unique and ordered, the name keeps them readable.
std::string EntryFileName(size_t index, const std::string& name, const char* extension) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03zu", index);
    std::string file = prefix;
    if (!name.empty()) file += '_';
    for (char c : name.substr(0, 40)) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_';
        file += plain ? c : '_';
    }
    return file + extension;
}

TCollectionKind KindOf(std::span<const uint8_t> bytes) {
    TCollectionHeader header = PeekCollectionKind(bytes);
    if (header.Kind == TCollectionKind::Unknown)
        throw std::runtime_error("Unknown collection class \"" + header.RootClassName + "\"");
    return header.Kind;
}

void List(const std::string& path, std::ostream& out) {
    TCollectionFile file(path);
    auto bytes = file.Bytes();
    if (KindOf(bytes) == TCollectionKind::Pictures) {
        auto data = ReadPictureCollection(bytes);
        for (size_t i = 0; i < data.Items.size(); ++i) {
            const auto& p = data.Items[i];
            out << i << '\t' << EscapeName(p.Name) << '\t' << p.Picture.Width() << '\t'
                << p.Picture.Height() << '\t' << p.PatternWidth << '\t' << p.PatternHeight << '\t'
                << p.SkipWidth << '\t' << p.SkipHeight << '\t' << int(p.Transparent) << '\t'
                << Hex32(p.TransparentColor) << '\t' << BuiltPatternCount(p) << '\n';
        }
    } else {
        auto waves = ReadWaveCollection(bytes);
        for (size_t i = 0; i < waves.size(); ++i) {
            const auto& w = waves[i];
            out << i << '\t' << EscapeName(w.Name) << '\t' << int(w.Looped) << '\t'
                << w.MaxPlayingCount << '\t' << w.Wave.FormatTag() << '\t' << w.Wave.Channels()
                << '\t' << w.Wave.SamplesPerSec() << '\t' << w.Wave.BitsPerSample() << '\t'
                << w.Wave.Data.size() << '\n';
        }
    }
}

void Extract(const std::string& path, const std::string& dir) {
    TCollectionFile file(path);
    auto bytes = file.Bytes();
    TManifest manifest;
    manifest.Kind = KindOf(bytes);
    fs::create_directories(dir);
    if (manifest.Kind == TCollectionKind::Pictures) {
        auto data = ReadPictureCollection(bytes);
        manifest.ColorTable = data.ColorTable;
        for (size_t i = 0; i < data.Items.size(); ++i) {
            TManifestPicture& m = manifest.Pictures.emplace_back();
            TPictureItemData& p = m;
            p = std::move(data.Items[i]);
            if (!p.PictureData.empty()) {
                // A graphic we cannot show as PNG goes out and comes back as its stored bytes.
                m.File = EntryFileName(i, p.Name, ".bin");
                WriteFileBytes((fs::path(dir) / m.File).string(), p.PictureData);
            } else if (p.Picture.Empty()) {
                m.File.assign(1, '-'); // no picture: no file
            } else {
                m.File = EntryFileName(i, p.Name, ".png");
                WritePng((fs::path(dir) / m.File).string(), p.Picture.Width(), p.Picture.Height(),
                         p.Picture.Pixels());
            }
        }
    } else {
        auto waves = ReadWaveCollection(bytes);
        for (size_t i = 0; i < waves.size(); ++i) {
            TManifestWave& m = manifest.Waves.emplace_back();
            static_cast<TWaveItemData&>(m) = std::move(waves[i]);
            m.File = EntryFileName(i, m.Name, ".wav");
            WriteFileBytes((fs::path(dir) / m.File).string(), WriteRiffWave(m.Wave));
        }
    }
    std::string text = WriteManifest(manifest);
    WriteFileBytes((fs::path(dir) / "manifest.txt").string(),
                   std::vector<uint8_t>(text.begin(), text.end()));
}

std::string EntryName(const char* kind, size_t index, const std::string& name,
                      const std::string& file) {
    return std::string(kind) + " " + std::to_string(index) + " \"" + EscapeName(name) + "\" (" +
           file + ")";
}

// The packed pictures go through the game's own reader. A refusal is put down to the first
// entry that the reader refuses alone; failing that, to the file as a whole.
void CheckPictures(const TPictureCollectionData& data, const std::vector<uint8_t>& bytes,
                   const std::vector<std::string>& files) {
    try {
        ReadPictureCollection(bytes);
        return;
    } catch (const std::exception& whole) {
        for (size_t i = 0; i < data.Items.size(); ++i) {
            TPictureCollectionData one;
            one.ColorTable = data.ColorTable;
            one.Items = {data.Items[i]};
            try {
                ReadPictureCollection(WritePictureCollection(one));
            } catch (const std::exception& e) {
                throw std::runtime_error(EntryName("picture", i, data.Items[i].Name, files[i]) +
                                         ": " + e.what());
            }
        }
        throw std::runtime_error(std::string("the pictures together: ") + whole.what());
    }
}

// Each wave as the mixer would take it, then all of them against the file's budget, then the
// packed file through the game's reader.
void CheckWaves(const std::vector<TWaveItemData>& items, const std::vector<uint8_t>& bytes,
                const std::vector<std::string>& files) {
    uint64_t converted = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const TWave& wave = items[i].Wave;
        if (wave.Empty()) continue; // the game makes no buffer for a wave without samples
        const std::string why = WaveRefusal(wave, kDeviceFrequency);
        if (!why.empty())
            throw std::runtime_error(EntryName("wave", i, items[i].Name, files[i]) + ": " + why);
        converted += ConvertedBytes(wave, kDeviceFrequency);
    }
    const uint64_t budget = ConversionBudget(bytes.size());
    if (converted > budget)
        throw std::runtime_error("the waves together convert to " + std::to_string(converted) +
                                 " bytes, more than the " + std::to_string(budget) +
                                 " a file of this size may take");
    ReadWaveCollection(bytes);
}

void Pack(const std::string& manifestPath, const std::string& outPath) {
    auto text = ReadWholeFile(manifestPath, kMaxManifestBytes);
    TManifest manifest;
    try {
        manifest = ParseManifest(std::string(text.begin(), text.end()));
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(manifestPath + ": " + e.what());
    }
    fs::path base = fs::path(manifestPath).parent_path();
    std::vector<uint8_t> bytes;
    std::vector<std::string> files;
    if (manifest.Kind == TCollectionKind::Pictures) {
        TPictureCollectionData data;
        data.ColorTable = manifest.ColorTable;
        for (TManifestPicture& m : manifest.Pictures) {
            files.push_back(m.File);
            TPictureItemData& e = data.Items.emplace_back(std::move(m));
            if (m.File == "-") continue;
            std::string path = (base / m.File).string();
            std::vector<uint8_t> fileBytes = ReadWholeFile(path, kMaxEntryFileBytes);
            if (IsPng(fileBytes)) {
                TPngImage png = ReadPng(path);
                e.Picture.Assign(png.Width, png.Height, std::move(png.Pixels));
            } else {
                e.PictureData = std::move(fileBytes);
            }
        }
        bytes = WritePictureCollection(data);
        CheckPictures(data, bytes, files);
    } else {
        std::vector<TWaveItemData> items;
        for (TManifestWave& m : manifest.Waves) {
            files.push_back(m.File);
            TWaveItemData& e = items.emplace_back(std::move(m));
            e.Wave = ReadRiffWave(ReadWholeFile((base / m.File).string(), kMaxEntryFileBytes));
        }
        bytes = WriteWaveCollection(items);
        CheckWaves(items, bytes, files);
    }
    WriteFileBytes(outPath, bytes);
}

} // namespace

int RunDxgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out << kDxgToolHelp;
        return 0;
    }
    const std::string command = args.empty() ? "" : args[0];
    bool known = (command == "list" && args.size() == 2) ||
                 ((command == "extract" || command == "pack") && args.size() == 3);
    if (!known) {
        err << kDxgToolHelp;
        return 2;
    }
    try {
        if (command == "list")
            List(args[1], out);
        else if (command == "extract")
            Extract(args[1], args[2]);
        else
            Pack(args[1], args[2]);
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
    return 0;
}

// assetgen.cpp -- writes the game's five data files (two picture collections, the wave
// collection and two songs) from source, the same bytes on every run; or contact sheets.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/SoundEffects.h"
#include "audio/Songs.h"
#include "dxgwriter/DxgWriter.h"
#include "pictures/Pictures.h"

namespace fs = std::filesystem;

namespace {

// Writes only when the bytes differ, so an unchanged file keeps its time stamp.
bool WriteIfChanged(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ifstream in(path, std::ios::binary);
    if (in) {
        std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), {});
        if (old == bytes) return true;
    }
    in.close();
    fs::path tmp = path;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", tmp.c_str());
            return false;
        }
    }
    fs::rename(tmp, path, ec);
    if (ec) std::fprintf(stderr, "assetgen: cannot write %s: %s\n", path.c_str(), ec.message().c_str());
    return !ec;
}

std::vector<uint8_t> WaveFile() {
    std::vector<dxg::WaveEntry> waves;
    for (const assetgen::SoundEffect& fx : assetgen::MakeSoundEffects()) {
        dxg::WaveEntry w;
        w.name = fx.name;
        w.looped = fx.looped;
        w.maxPlayingCount = fx.maxPlayingCount;
        w.sampleRate = fx.sampleRate;
        w.channels = 1;
        w.bitsPerSample = 16;
        for (int16_t s : fx.samples) {
            w.data.push_back(uint8_t(uint16_t(s) & 0xFF));
            w.data.push_back(uint8_t(uint16_t(s) >> 8));
        }
        waves.push_back(std::move(w));
    }
    return dxg::WriteWaveCollection(waves);
}

int Usage() {
    std::fprintf(stderr, "usage: assetgen OUTDIR          write data/ and sound/ into OUTDIR\n"
                         "       assetgen --sheet DIR     write PNG contact sheets into DIR\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--sheet") == 0) {
        fs::path dir = argv[2];
        fs::create_directories(dir);
        assetgen::WriteContactSheets(assetgen::MakeMenuPictures(), "data/menu.dxg",
                                     (dir / "menu.png").string());
        assetgen::WriteContactSheets(assetgen::MakeGamePictures(), "data/gamegraphic.dxg",
                                     (dir / "gamegraphic.png").string());
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') return Usage();
    fs::path out = argv[1];
    bool ok = WriteIfChanged(out / "data" / "menu.dxg",
                             dxg::WritePictureCollection(assetgen::MakeMenuPictures()));
    ok &= WriteIfChanged(out / "data" / "gamegraphic.dxg",
                         dxg::WritePictureCollection(assetgen::MakeGamePictures()));
    ok &= WriteIfChanged(out / "sound" / "gamesound.dxw", WaveFile());
    ok &= WriteIfChanged(out / "sound" / "1.xm", assetgen::MakeMenuSong());
    ok &= WriteIfChanged(out / "sound" / "2.xm", assetgen::MakeGameSong());
    return ok ? 0 : 1;
}

// audiodump.cpp -- developer tool: writes the ten effects as .wav, the two songs as .xm and
// their first pass rendered by libxmp as .wav, and prints length and peak of each, so they can
// be listened to and measured (e.g. with `sox file.wav -n stat`).
#include "audio/Songs.h"
#include "audio/SoundEffects.h"

#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

void PutU16(std::vector<uint8_t>& b, int v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    PutU16(b, static_cast<int>(v & 0xFFFF));
    PutU16(b, static_cast<int>(v >> 16));
}

std::vector<uint8_t> Wave(const std::vector<int16_t>& samples, int rate, int channels) {
    std::vector<uint8_t> b;
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    for (char c : std::string("RIFF"))
        b.push_back(static_cast<uint8_t>(c));
    PutU32(b, 36 + dataBytes);
    for (char c : std::string("WAVEfmt "))
        b.push_back(static_cast<uint8_t>(c));
    PutU32(b, 16);
    PutU16(b, 1);
    PutU16(b, channels);
    PutU32(b, static_cast<uint32_t>(rate));
    PutU32(b, static_cast<uint32_t>(rate * channels * 2));
    PutU16(b, channels * 2);
    PutU16(b, 16);
    for (char c : std::string("data"))
        b.push_back(static_cast<uint8_t>(c));
    PutU32(b, dataBytes);
    for (int16_t s : samples)
        PutU16(b, s);
    return b;
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!f) std::fprintf(stderr, "audiodump: cannot write %s\n", path.c_str());
    return static_cast<bool>(f);
}

double Dbfs(int peak) {
    return peak > 0 ? 20.0 * std::log10(peak / 32768.0) : -999.0;
}

// Renders the song until it first loops back, at libxmp's default settings.
bool RenderSong(const std::string& name, const std::vector<uint8_t>& xm, const std::string& dir) {
    constexpr int kRate = 44100;
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module_from_memory(ctx, xm.data(), static_cast<long>(xm.size())) != 0) {
        std::fprintf(stderr, "audiodump: libxmp cannot load %s\n", name.c_str());
        xmp_free_context(ctx);
        return false;
    }
    xmp_start_player(ctx, kRate, 0);
    std::vector<int16_t> pcm;
    xmp_frame_info fi;
    while (xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        if (fi.loop_count > 0) break;
        const auto* p = static_cast<const int16_t*>(fi.buffer);
        pcm.insert(pcm.end(), p, p + fi.buffer_size / 2);
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    int peak = 0;
    for (int16_t s : pcm)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    std::printf("%-12s %8.2f s  peak %6.2f dBFS  (%zu bytes of XM)\n", name.c_str(),
                static_cast<double>(pcm.size()) / 2 / kRate, Dbfs(peak), xm.size());
    return Save(dir + "/" + name + ".render.wav", Wave(pcm, kRate, 2));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    bool ok = true;
    for (const assetgen::SoundEffect& e : assetgen::MakeSoundEffects()) {
        int peak = 0;
        for (int16_t s : e.samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        std::printf("%-12s %6.0f ms  peak %6.2f dBFS  max %d\n", e.name.c_str(),
                    1000.0 * static_cast<double>(e.samples.size()) / e.sampleRate, Dbfs(peak),
                    e.maxPlayingCount);
        ok &= Save(dir + "/" + e.name + ".wav", Wave(e.samples, e.sampleRate, 1));
    }
    const std::vector<uint8_t> menu = assetgen::MakeMenuSong();
    const std::vector<uint8_t> game = assetgen::MakeGameSong();
    ok &= Save(dir + "/1.xm", menu) && Save(dir + "/2.xm", game);
    ok &= RenderSong("1", menu, dir) && RenderSong("2", game, dir);
    return ok ? 0 : 1;
}

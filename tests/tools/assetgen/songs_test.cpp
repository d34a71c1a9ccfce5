// The two songs, loaded and played by libxmp as the game will: length before they repeat,
// tempo, arrangement, level and no silent stretches.
#include "audio/Songs.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

namespace assetgen {
namespace {

constexpr int kRate = 44100;

struct SongCase {
    const char* name;
    std::vector<uint8_t> (*make)();
    double minBeatsPerMinute, maxBeatsPerMinute;
};

void PrintTo(const SongCase& c, std::ostream* os) {
    *os << c.name;
}

struct Rendered {
    bool loaded = false;
    int channels = 0, instruments = 0, orders = 0, distinctPatterns = 0, channelsWithNotes = 0;
    double beatsPerMinute = 0.0;
    bool looped = false;
    std::vector<int16_t> pcm; // interleaved stereo, one pass up to the loop
};

// Plays the module at libxmp's default settings until it first jumps back to its restart
// position (or 5 minutes pass).
Rendered Render(const std::vector<uint8_t>& xm) {
    Rendered r;
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module_from_memory(ctx, xm.data(), static_cast<long>(xm.size())) != 0) {
        xmp_free_context(ctx);
        return r;
    }
    r.loaded = true;
    xmp_module_info info;
    xmp_get_module_info(ctx, &info);
    const xmp_module* m = info.mod;
    r.channels = m->chn;
    r.instruments = m->ins;
    r.orders = m->len;
    r.distinctPatterns = static_cast<int>(std::set<int>(m->xxo, m->xxo + m->len).size());
    // Four rows make a beat.
    r.beatsPerMinute = m->bpm * 6.0 / m->spd;
    for (int c = 0; c < m->chn; ++c) {
        bool hasNote = false;
        for (int o = 0; o < m->len && !hasNote; ++o) {
            const xmp_pattern* p = m->xxp[m->xxo[o]];
            const xmp_track* t = m->xxt[p->index[c]];
            for (int row = 0; row < t->rows && !hasNote; ++row)
                hasNote = t->event[row].note > 0 && t->event[row].note <= XMP_MAX_KEYS;
        }
        r.channelsWithNotes += hasNote;
    }

    xmp_start_player(ctx, kRate, 0);
    xmp_frame_info fi;
    while (r.pcm.size() < 2u * kRate * 300 && xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        if (fi.loop_count > 0) {
            r.looped = true;
            break;
        }
        const auto* p = static_cast<const int16_t*>(fi.buffer);
        r.pcm.insert(r.pcm.end(), p, p + fi.buffer_size / 2);
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    return r;
}

double Dbfs(double level) {
    return 20.0 * std::log10(std::max(level, 1.0) / 32768.0);
}

class SongTest : public ::testing::TestWithParam<SongCase> {};

TEST_P(SongTest, PlaysInLibxmpAsAStructuredLoop) {
    const Rendered r = Render(GetParam().make());
    ASSERT_TRUE(r.loaded) << "libxmp cannot load the module";

    // Melody, bass, strings and percussion: at least four parts that really play.
    EXPECT_GE(r.channels, 4);
    EXPECT_GE(r.channelsWithNotes, 4);
    EXPECT_GE(r.instruments, 4);
    // Sections, not one looped bar.
    EXPECT_GE(r.distinctPatterns, 4);
    EXPECT_GE(r.beatsPerMinute, GetParam().minBeatsPerMinute);
    EXPECT_LE(r.beatsPerMinute, GetParam().maxBeatsPerMinute);

    ASSERT_TRUE(r.looped) << "the song must repeat at its end";
    const double seconds = static_cast<double>(r.pcm.size()) / 2.0 / kRate;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 180.0);
}

TEST_P(SongTest, LeavesHeadroomAndNeverFallsSilent) {
    const Rendered r = Render(GetParam().make());
    ASSERT_TRUE(r.loaded);
    int peak = 0;
    for (int16_t v : r.pcm)
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    // Room for the sound effects on top, yet a proper level.
    EXPECT_LE(Dbfs(peak), -4.0);
    EXPECT_GE(Dbfs(peak), -12.0);

    // Every second has music in it, the first one included (the song restarts often).
    const std::size_t window = 2 * kRate;
    for (std::size_t at = 0; at + window <= r.pcm.size(); at += window) {
        double energy = 0.0;
        for (std::size_t i = at; i < at + window; ++i)
            energy += double(r.pcm[i]) * r.pcm[i];
        EXPECT_GE(Dbfs(std::sqrt(energy / window)), -40.0)
            << "silent around " << at / window << " s";
    }
}

TEST_P(SongTest, SameBytesOnEveryRun) {
    EXPECT_EQ(GetParam().make(), GetParam().make());
}

INSTANTIATE_TEST_SUITE_P(Songs, SongTest,
                         ::testing::Values(SongCase{"Menu", MakeMenuSong, 80, 100},
                                           SongCase{"Game", MakeGameSong, 130, 150}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace assetgen

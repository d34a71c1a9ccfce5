// Music.cpp -- songs on libxmp.
#include "audio/Music.h"

#include <xmp.h>

#include <map>

#include "audio/Mixer.h"
#include "platform/Platform.h"
#include "state/GameState.h"

namespace {
struct Song {
    xmp_context ctx;
    std::string path;
};
std::map<int32_t, Song> songs;
int32_t nextHandle = 1;
int32_t playing = 0;

void Free(int32_t handle) {
    auto it = songs.find(handle);
    if (it == songs.end()) return;
    if (handle == playing) {
        TAudioMixer::Instance().SetSong(nullptr);
        xmp_end_player(it->second.ctx);
        playing = 0;
    }
    xmp_release_module(it->second.ctx);
    xmp_free_context(it->second.ctx);
    songs.erase(it);
}
} // namespace

int32_t SongLoadFromFile(const char* path) {
    // Every start loads the file anew; only the song playing is worth keeping meanwhile.
    for (auto it = songs.begin(); it != songs.end();) {
        int32_t h = (it++)->first;
        if (h != playing) Free(h);
    }
    std::string file = platform::ResolvePath(path);
    xmp_context ctx = xmp_create_context();
    if (!ctx) return 0;
    if (xmp_load_module(ctx, file.c_str()) != 0) {
        xmp_free_context(ctx);
        return 0;
    }
    int32_t handle = nextHandle++;
    songs[handle] = {ctx, path};
    return handle;
}

void SongPlay(int32_t handle) {
    auto it = songs.find(handle);
    if (it == songs.end()) return;
    TAudioMixer& mixer = TAudioMixer::Instance();
    // A new song replaces the one playing.
    if (playing && playing != handle) SongStop(playing);
    if (playing == handle) {
        mixer.SetSong(nullptr);
        xmp_end_player(it->second.ctx);
    }
    if (xmp_start_player(it->second.ctx, mixer.Frequency(), 0) != 0) return;
    playing = handle;
    mixer.SetSong(it->second.ctx);
}

void SongStop(int32_t handle) {
    if (handle == 0 || handle != playing) return;
    TAudioMixer::Instance().SetSong(nullptr);
    xmp_end_player(songs[handle].ctx);
    playing = 0;
}

std::string PlayingSongPath() {
    auto it = songs.find(playing);
    return it == songs.end() ? std::string() : it->second.path;
}

void SongFreeAll() {
    while (!songs.empty())
        Free(songs.begin()->first);
}

void StartMusic(const char* path) {
    MusicHandle = SongLoadFromFile(path);
    if (MusicHandle != 0) {
        SongPlay(MusicHandle);
    } else {
        // With MusicHandle 0 nothing could stop the song of before: after a failed load no
        // music plays.
        SongStop(playing);
        platform::Current().ShowMessage("Skyvern", "Can't load music.");
        MusicOn = 0;
    }
}

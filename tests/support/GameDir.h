// GameDir.h -- a fresh working directory for a harness run, with the generated data files of
// the build linked in (data/ and sound/), so scenarios play with the real pictures and sounds.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

class TempGameDir {
  public:
    // withData false: an empty directory, as on a first start without the data files.
    explicit TempGameDir(bool withData = true) {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("skyvern-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        if (withData) {
            const std::filesystem::path game = SKYVERN_GAME_DIR;
            std::filesystem::create_directory_symlink(game / "data", path_ / "data");
            std::filesystem::create_directory_symlink(game / "sound", path_ / "sound");
        }
    }
    ~TempGameDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempGameDir(const TempGameDir&) = delete;
    TempGameDir& operator=(const TempGameDir&) = delete;

    std::string Path() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// ServerTestUtil.h -- helpers of the score server tests: a temporary folder and record encoding.
#pragma once

#include "online/ScoreCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "skyvern-scores-XXXXXX").string();
        if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// What the game sends as `inf`, made by the game's own codec.
inline std::string EncodeRecord(const std::string& record) {
    return BitsToSymbols(TextToBits(record));
}

inline std::string GameSubmission(const std::string& name, std::uint16_t score,
                                  const std::string& token, const std::string& country) {
    return EncodeRecord(BuildScoreRecord(name, score, token, country));
}

// FuzzRegressions_test.cpp -- replays the kept fuzz inputs through the decoder's invariant check.
#include "fuzz/RecordFuzzCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

TEST(FuzzRegressionsTest, EveryKeptInputHoldsTheInvariants) {
    namespace fs = std::filesystem;
    std::size_t replayed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(SKYVERN_FUZZ_REGRESSIONS)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(scores::CheckRecordInput(reinterpret_cast<const std::uint8_t*>(data.data()),
                                           data.size()),
                  "")
            << entry.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0u);
}

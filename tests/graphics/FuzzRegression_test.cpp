// FuzzRegression_test.cpp -- replays the hostile inputs kept in tests/data/fuzz/dxg (fuzzer
// findings and hand-made worst cases): each must load or fail with one of the readers' own
// errors, never crash or throw anything else.
#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/DibDecoder.h"
#include "graphics/DxgReader.h"
#include "graphics/PatternCount.h"

namespace {

// "" when the call ends normally or with a reader error, else what escaped.
template <class F> std::string Escaped(F f) {
    try {
        f();
    } catch (const EReadError&) {
    } catch (const EInvalidGraphic&) {
    } catch (const EWaveStreamError&) {
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(FuzzRegression, KeptInputsFailCleanly) {
    const std::filesystem::path dir = std::filesystem::path(SKYVERN_TEST_DATA) / "fuzz" / "dxg";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        const auto bytes = ReadWholeFile(entry.path().string());
        EXPECT_EQ(Escaped([&] { PeekCollectionKind(bytes); }), "");
        EXPECT_EQ(Escaped([&] {
                      for (const auto& item : ReadPictureCollection(bytes).Items)
                          BuiltPatternCount(item);
                  }),
                  "");
        EXPECT_EQ(Escaped([&] { ReadWaveCollection(bytes); }), "");
        EXPECT_EQ(Escaped([&] { DecodePictureData(bytes); }), "");
        EXPECT_EQ(Escaped([&] { ReadRiffWave(bytes); }), "");
    }
    EXPECT_GT(files, 0);
}

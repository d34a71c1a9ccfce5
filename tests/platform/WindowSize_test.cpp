// WindowSize_test.cpp -- the size a window opens at, the desktop's scale and window.cfg.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/WindowSize.h"
#include "support/GameDir.h"

namespace {

using platform::Size;

TEST(WindowSize, OpensAtTheLargestWholeMultipleThatFitsAScaledDesktop) {
    struct Case {
        Size usable;
        double scale;
        Size expected;
    } cases[] = {
        {{1920, 1080}, 1.0, {800, 600}},   // no scale: the design's size
        {{3840, 2160}, 1.0, {800, 600}},   // a large desktop alone is no reason
        {{2560, 1600}, 2.0, {1600, 1200}}, // 3x would be 1800 high
        {{3840, 2112}, 2.0, {2400, 1800}}, // usable area without the panel
        {{3840, 1790}, 1.5, {1600, 1200}}, // 1800 high does not fit 1790
        {{1200, 900}, 2.0, {800, 600}},    // even 2x does not fit: at least the design's size
        {{7000, 6000}, 1.25, {6400, 4800}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::OpeningSize(c.usable, c.scale, {800, 600}), c.expected)
            << c.usable.w << "x" << c.usable.h << " at " << c.scale;
}

TEST(WindowSize, TheDesktopScaleComesFromHintsThenFromTheDisplay) {
    struct Case {
        const char* gdk;
        const char* qt;
        float dpi;
        double expected;
    } cases[] = {
        {nullptr, nullptr, 0, 1},   {"2", nullptr, 96, 2},
        {nullptr, "1.5", 96, 1.5},  {"2", "3", 96, 2},
        {nullptr, nullptr, 192, 2}, {nullptr, nullptr, 72, 1},
        {"two", nullptr, 144, 1.5}, {"", "", 96, 1},
        {"0", nullptr, 96, 1},      {"1e9", nullptr, 96, 1},
        {"0.5", nullptr, 96, 1},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(platform::DesktopScale(c.gdk, c.qt, c.dpi), c.expected)
            << (c.gdk ? c.gdk : "-") << " " << (c.qt ? c.qt : "-") << " " << c.dpi;
}

TEST(WindowSize, AChosenSizeIsFittedToTheDesktop) {
    EXPECT_EQ(platform::FitToDesktop({1000, 700}, {1920, 1080}), (Size{1000, 700}));
    EXPECT_EQ(platform::FitToDesktop({2400, 1800}, {1920, 1080}), (Size{1920, 1080}));
}

TEST(WindowSize, WindowCfgKeepsTheSizeAndRefusesAnythingElse) {
    TempGameDir dir(false);
    const std::string path = (dir / "window.cfg").string();
    Size s;
    std::string error;
    EXPECT_FALSE(platform::ReadWindowSize(path, s, error));
    EXPECT_EQ(error, "") << "no file is no error";

    ASSERT_TRUE(platform::WriteWindowSize(path, {1000, 700}));
    ASSERT_TRUE(platform::ReadWindowSize(path, s, error)) << error;
    EXPECT_EQ(s, (Size{1000, 700}));

    const std::string bad[] = {"",
                               "1000",
                               "1000x",
                               "x700",
                               "-5x700",
                               "1000x700x",
                               "1000 x 700",
                               "99999x700",
                               "100x100",
                               "1000x700\nrest",
                               std::string(100, '1'),
                               std::string("10\0"
                                           "00x700",
                                           8)};
    for (const std::string& content : bad) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        s = Size{1, 1};
        EXPECT_FALSE(platform::ReadWindowSize(path, s, error)) << content;
        EXPECT_NE(error.find("window.cfg"), std::string::npos) << "names the file: " << error;
        EXPECT_EQ(s, (Size{1, 1})) << "nothing taken from " << content;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "1280x960\r\n";
    EXPECT_TRUE(platform::ReadWindowSize(path, s, error)) << error;
    EXPECT_EQ(s, (Size{1280, 960}));
}

} // namespace

// Scenario.h -- a harness run in a fresh game directory for scenario tests: script lines, state
// fields, config.dat bytes and screenshots kept as test artefacts.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/Harness.h"
#include "support/GameDir.h"

// Virtual-key codes the scenarios press.
enum : int {
    kBack = 8,
    kTab = 9,
    kEnter = 13,
    kShift = 16,
    kCtrl = 17,
    kAlt = 18,
    kEsc = 27,
    kLeft = 37,
    kUp = 38,
    kRight = 39,
    kDown = 40,
    kF1 = 112,
    kF5 = 116,
    kF12 = 123
};

class Scenario : public ::testing::Test {
  protected:
    TempGameDir dir;
    std::unique_ptr<THarness> h;

    void SetUp() override {
        h = std::make_unique<THarness>(THarness::Options{.seed = 1, .workdir = dir.Path()});
        Run({"frames 1"});
        h->StateJson(true); // empties the since-last lists
    }
    void TearDown() override { h.reset(); }

    // Runs script lines; events reach the game with the next "frames".
    void Run(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines)
            ASSERT_TRUE(h->RunLine(line)) << h->Error();
    }
    // A key pressed and released, then one frame.
    void Press(int vk, const std::string& mods = "") {
        Run({"key press " + std::to_string(vk) + (mods.empty() ? "" : " " + mods), "frames 1"});
    }
    void PressTimes(int vk, int times) {
        for (int i = 0; i < times; ++i)
            Press(vk);
    }
    void Click(int x, int y) {
        Run({"click " + std::to_string(x) + " " + std::to_string(y), "frames 1"});
    }
    std::string F(const std::string& field) { return h->Field(field); }
    int N(const std::string& field) { return std::stoi(h->Field(field)); }
    // The sounds started since the last call.
    std::string Sounds() {
        std::string s = F("Sounds");
        h->StateJson(true);
        return s;
    }

    std::vector<uint8_t> ConfigBytes() {
        std::ifstream in(dir / "config.dat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Keeps a screenshot of the last frame under the build's artefacts folder.
    void Shot(const std::string& name) {
        std::filesystem::create_directories(SKYVERN_ARTEFACT_DIR);
        ASSERT_TRUE(h->WriteShot(std::string(SKYVERN_ARTEFACT_DIR) + "/" + name + ".png"))
            << h->Error();
    }
};

// harness_main.cpp -- skyvern-harness: runs a script against the game on the headless backend.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "app/Harness.h"

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: skyvern-harness [--seed N] [--workdir DIR] [--no-audio] [--unfocused]\n"
                 "                      SCRIPT\n"
                 "SCRIPT '-' reads the script from standard input.\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    THarness::Options options;
    std::string script;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--seed" && i + 1 < argc) {
            options.seed = uint32_t(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--workdir" && i + 1 < argc) {
            options.workdir = argv[++i];
        } else if (a == "--no-audio") {
            options.audio = false;
        } else if (a == "--unfocused") {
            options.focused = false;
        } else if (a == "--help" || a == "-h") {
            return Usage();
        } else if (script.empty()) {
            script = a;
        } else {
            return Usage();
        }
    }
    if (script.empty()) return Usage();
    std::ifstream file;
    std::istream* in = &std::cin;
    if (script != "-") {
        file.open(script);
        if (!file) {
            std::fprintf(stderr, "skyvern-harness: cannot open %s\n", script.c_str());
            return 2;
        }
        in = &file;
    }
    try {
        THarness harness(options);
        if (!harness.RunScript(*in, std::cout)) {
            std::fprintf(stderr, "skyvern-harness: %s\n", harness.Error().c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skyvern-harness: %s\n", e.what());
        return 1;
    }
    return 0;
}

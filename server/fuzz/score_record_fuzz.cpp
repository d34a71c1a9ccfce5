// score_record_fuzz.cpp -- libFuzzer entry for the score record decoder and parser.
#include "fuzz/RecordFuzzCheck.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string broken = scores::CheckRecordInput(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.c_str());
        __builtin_trap();
    }
    return 0;
}

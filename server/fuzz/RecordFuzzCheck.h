// RecordFuzzCheck.h -- one fuzz input through the record decoder and parser, with invariants.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scores {

// Runs the input both as encoded symbols and as a raw record. Returns an empty string when
// every invariant holds, else what broke. The fuzz target traps on a non-empty answer; the
// regression test replays the kept inputs through the same function.
std::string CheckRecordInput(const std::uint8_t* data, std::size_t size);

} // namespace scores

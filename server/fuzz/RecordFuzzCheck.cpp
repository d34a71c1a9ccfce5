// RecordFuzzCheck.cpp -- invariants of the record decoder and parser for fuzzing and replay.
#include "fuzz/RecordFuzzCheck.h"

#include "ScoreRecord.h"

#include <string_view>

namespace scores {

namespace {

bool IsPlain(std::string_view text) {
    if (text.size() > kMaxTextLength) return false;
    for (char c : text)
        if (!(c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
              (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

std::string CheckParsed(std::string_view text, const ParseResult& parsed) {
    if (!parsed.record) return parsed.error.empty() ? "refused without a reason" : "";
    if (!parsed.error.empty()) return "accepted with a reason";
    const ScoreRecord& r = *parsed.record;
    if (!IsPlain(r.name) || !IsPlain(r.country))
        return "accepted a name or country outside the set";
    if (r.token.size() > kMaxTokenLength ||
        r.token.find_first_not_of(kSymbolAlphabet) != std::string::npos)
        return "accepted a bad token";
    // Only the one canonical text of a record is accepted.
    if (FormatScoreRecord(r) != text) return "accepted text differs from the record it gave";
    return "";
}

} // namespace

std::string CheckRecordInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);

    std::string error;
    auto bytes = DecodeSymbols(input, &error);
    if (bytes) {
        if (!error.empty()) return "decoded with a reason";
        if (bytes->size() * 8 != input.size() * 5) return "decoded length does not match";
        if (EncodeSymbols(*bytes) != input) return "decoding does not round-trip";
        if (std::string why = CheckParsed(*bytes, ParseScoreRecord(*bytes)); !why.empty())
            return "decoded record: " + why;
    } else if (error.empty()) {
        return "decode refused without a reason";
    }

    ParseResult raw = ParseScoreRecord(input);
    if (std::string why = CheckParsed(input, raw); !why.empty()) return "raw record: " + why;
    // Sent as symbols, a record must get the same verdict as read directly.
    if (!input.empty() && input.size() % 5 == 0 && input.size() <= kMaxRecordLength) {
        ParseResult sent = DecodeScoreRecord(EncodeSymbols(input));
        if (sent.record.has_value() != raw.record.has_value() || sent.error != raw.error)
            return "encoding changes the verdict";
    }
    return "";
}

} // namespace scores

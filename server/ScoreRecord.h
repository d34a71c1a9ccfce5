// ScoreRecord.h -- decoding and strict parsing of the encoded score record the game submits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scores {

// The game's symbol alphabet: the record travels as unpadded base32 in this alphabet.
inline constexpr std::string_view kSymbolAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

inline constexpr std::size_t kMaxTextLength = 10;  // name and country, as the game's fields
inline constexpr std::size_t kMaxTokenLength = 64; // longer than any token we issue
// The longest valid record is 70 characters plus a token; anything much longer is not worth
// decoding at all.
inline constexpr std::size_t kMaxRecordLength = 200;
inline constexpr std::size_t kMaxSymbolCount = kMaxRecordLength * 8 / 5;

struct ScoreRecord {
    std::string name;
    std::uint16_t score = 0;
    std::string token; // the one-time value `p` from the version reply
    std::string country;
};

// Either a record or the reason it was refused (a few words, safe to echo to the client).
struct ParseResult {
    std::optional<ScoreRecord> record;
    std::string error;
};

// Unpadded base32 to bytes. The symbol count must be a non-zero multiple of 8, because a record
// is a multiple of 5 bytes; so there are never left-over bits to ignore.
std::optional<std::string> DecodeSymbols(std::string_view symbols, std::string* error);

// Bytes to unpadded base32; the inverse of DecodeSymbols for lengths that are multiples of 5.
std::string EncodeSymbols(std::string_view bytes);

// Accepts exactly "type=0|name=N|score=S|key=X|p=P|add=C|z=Z" with N and C of at most 10
// spaces, digits and Latin letters, S a decimal 0..65535 without leading zeros, P of alphabet
// symbols and Z the "0"s that make the length a multiple of 5.
ParseResult ParseScoreRecord(std::string_view record);

// DecodeSymbols then ParseScoreRecord.
ParseResult DecodeScoreRecord(std::string_view symbols);

// The record text the game would send for these fields, padding included.
std::string FormatScoreRecord(const ScoreRecord& record);

} // namespace scores

// ScoreCodec.h -- text side of the score exchange: record building, symbol encoding, token reading.
#pragma once

#include <cstdint>
#include <string>

// The 32 symbols of the encoded record, shared with the score server. In this order the
// encoding of a record is exactly unpadded base32, so any server can decode it with a standard
// library. Changing it breaks every server in use.
inline constexpr char kSymbolAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

// The base-2 digits of every byte of Text, 8 per byte, most significant first.
std::string TextToBits(const std::string& Text);

// Left-pads Digits with "0" to a multiple of 5 and maps each group of 5 to its symbol.
// Any character other than "0" counts as a one digit.
std::string BitsToSymbols(const std::string& Digits);

// The submission record "type=0|name=...|z=" padded with "0" to a multiple of 5 characters.
// Name and Country go in as typed (at most 10 of space, digits and Latin letters).
std::string BuildScoreRecord(const std::string& Name, std::uint16_t Score, const std::string& P,
                             const std::string& Country);

// The one-time value `p` of a version reply: the field between the fourth and the fifth "|".
// Empty when the reply has fewer than five, or when one of the first five lies more than 255
// characters into the text left after the previous one (the game kept that position in a byte).
// Does not check the leading "OK"; SendScore does.
std::string ExtractVersionToken(const std::string& Reply);

// ScoreCodec.cpp -- record building, symbol encoding and token reading of the score exchange.
#include "online/ScoreCodec.h"

#include <array>
#include <string_view>

namespace {

// The game kept separator positions in a byte; a "|" further than this into the remaining text
// could not be told apart from a nearer one.
constexpr std::size_t kMaxSeparatorPos = 255;

} // namespace

std::string TextToBits(const std::string& Text) {
    // One 8-digit entry per byte value, so each byte costs a copy instead of eight tests.
    static const std::array<std::array<char, 8>, 256> table = [] {
        std::array<std::array<char, 8>, 256> t{};
        for (int v = 0; v < 256; ++v)
            for (int bit = 0; bit < 8; ++bit)
                t[v][bit] = (v >> (7 - bit)) & 1 ? '1' : '0';
        return t;
    }();
    std::string digits;
    digits.reserve(Text.size() * 8);
    for (unsigned char c : Text)
        digits.append(table[c].data(), 8);
    return digits;
}

std::string BitsToSymbols(const std::string& Digits) {
    std::string padded(Digits.size() % 5 == 0 ? 0 : 5 - Digits.size() % 5, '0');
    padded += Digits;
    std::string symbols;
    symbols.reserve(padded.size() / 5);
    for (std::size_t i = 0; i < padded.size(); i += 5) {
        int value = 0;
        for (std::size_t k = 0; k < 5; ++k)
            value = value * 2 + (padded[i + k] != '0' ? 1 : 0);
        symbols += kSymbolAlphabet[value];
    }
    return symbols;
}

std::string BuildScoreRecord(const std::string& Name, std::uint16_t Score, const std::string& P,
                             const std::string& Country) {
    std::string record = "type=0|name=" + Name + "|score=" + std::to_string(Score) +
                         "|key=X|p=" + P + "|add=" + Country + "|z=";
    // The symbols carry 5 bits each and a byte 8, so only a multiple of 5 bytes needs no fill.
    while (record.size() % 5 != 0)
        record += '0';
    return record;
}

std::string ExtractVersionToken(const std::string& Reply) {
    // Field 1 is "OK", then server name, version and free text; the fifth field is `p`.
    // A "|" lying beyond the 255th character of the remaining text is treated as absent, so such
    // a reply yields an empty `p` (the server then refuses the record) instead of a field cut at
    // a wrapped position.
    std::string_view rest = Reply;
    std::string_view field;
    for (int pass = 0; pass < 5; ++pass) {
        std::size_t pos = rest.find('|');
        if (pos == std::string_view::npos || pos + 1 > kMaxSeparatorPos) {
            field = {};
            continue;
        }
        field = rest.substr(0, pos);
        rest.remove_prefix(pos + 1);
    }
    return std::string(field);
}

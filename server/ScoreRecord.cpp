// ScoreRecord.cpp -- decoding and strict parsing of the encoded score record.
#include "ScoreRecord.h"

#include <array>

namespace scores {

namespace {

constexpr std::array<signed char, 256> MakeSymbolValues() {
    std::array<signed char, 256> values{};
    for (auto& v : values)
        v = -1;
    for (std::size_t i = 0; i < kSymbolAlphabet.size(); ++i)
        values[static_cast<unsigned char>(kSymbolAlphabet[i])] = static_cast<signed char>(i);
    return values;
}

constexpr std::array<signed char, 256> kSymbolValues = MakeSymbolValues();

bool IsTextChar(char c) {
    return c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSymbol(char c) {
    return kSymbolValues[static_cast<unsigned char>(c)] >= 0;
}

// Walks the record from left to right; every step either consumes what it expects or fails.
class RecordReader {
  public:
    explicit RecordReader(std::string_view text) : rest_(text) {}

    bool Literal(std::string_view expected) {
        if (rest_.substr(0, expected.size()) != expected) return false;
        rest_.remove_prefix(expected.size());
        return true;
    }

    // The value up to the next "|", which stays unread; nothing if there is no "|".
    std::optional<std::string_view> Value() {
        std::size_t bar = rest_.find('|');
        if (bar == std::string_view::npos) return std::nullopt;
        std::string_view value = rest_.substr(0, bar);
        rest_.remove_prefix(bar);
        return value;
    }

    std::string_view Rest() const { return rest_; }

  private:
    std::string_view rest_;
};

ParseResult Fail(std::string reason) {
    return ParseResult{std::nullopt, std::move(reason)};
}

// Empty is fine for a name or country: the world page shows an empty name as "Anonymous".
const char* CheckText(std::string_view text, const char* tooLong, const char* badChar) {
    if (text.size() > kMaxTextLength) return tooLong;
    for (char c : text)
        if (!IsTextChar(c)) return badChar;
    return nullptr;
}

std::optional<std::uint16_t> ParseScore(std::string_view digits) {
    // The game writes the score with IntToStr: no sign, no leading zeros, at most 5 digits.
    if (digits.empty() || digits.size() > 5 || (digits.size() > 1 && digits[0] == '0'))
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<std::string> DecodeSymbols(std::string_view symbols, std::string* error) {
    auto fail = [error](const char* reason) {
        if (error) *error = reason;
        return std::nullopt;
    };
    if (symbols.size() > kMaxSymbolCount) return fail("record too long");
    for (char c : symbols)
        if (!IsSymbol(c)) return fail("bad symbol");
    if (symbols.empty() || symbols.size() % 8 != 0) return fail("bad length");

    std::string bytes;
    bytes.reserve(symbols.size() * 5 / 8);
    std::uint32_t acc = 0;
    int bits = 0;
    for (char c : symbols) {
        acc = (acc << 5) | static_cast<std::uint32_t>(kSymbolValues[static_cast<unsigned char>(c)]);
        bits += 5;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    return bytes;
}

std::string EncodeSymbols(std::string_view bytes) {
    std::string symbols;
    symbols.reserve((bytes.size() * 8 + 4) / 5);
    std::uint32_t acc = 0;
    int bits = 0;
    for (unsigned char c : bytes) {
        acc = (acc << 8) | c;
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            symbols += kSymbolAlphabet[(acc >> bits) & 31];
        }
    }
    if (bits > 0) symbols += kSymbolAlphabet[(acc << (5 - bits)) & 31];
    return symbols;
}

ParseResult ParseScoreRecord(std::string_view text) {
    if (text.size() > kMaxRecordLength) return Fail("record too long");
    RecordReader reader(text);
    ScoreRecord record;

    if (!reader.Literal("type=0|name=")) return Fail("bad record layout");
    auto name = reader.Value();
    if (!name) return Fail("bad record layout");
    if (const char* why = CheckText(*name, "name too long", "bad name")) return Fail(why);
    record.name = *name;

    if (!reader.Literal("|score=")) return Fail("bad record layout");
    auto scoreText = reader.Value();
    if (!scoreText) return Fail("bad record layout");
    auto score = ParseScore(*scoreText);
    if (!score) return Fail("bad score");
    record.score = *score;

    if (!reader.Literal("|key=X|p=")) return Fail("bad record layout");
    auto token = reader.Value();
    if (!token) return Fail("bad record layout");
    if (token->size() > kMaxTokenLength) return Fail("bad token");
    for (char c : *token)
        if (!IsSymbol(c)) return Fail("bad token");
    record.token = *token;

    if (!reader.Literal("|add=")) return Fail("bad record layout");
    auto country = reader.Value();
    if (!country) return Fail("bad record layout");
    if (const char* why = CheckText(*country, "country too long", "bad country")) return Fail(why);
    record.country = *country;

    if (!reader.Literal("|z=")) return Fail("bad record layout");
    // Exactly the padding the game adds: 0 to 4 "0"s, no more.
    std::string_view padding = reader.Rest();
    if (padding.size() > 4 || padding.find_first_not_of('0') != std::string_view::npos ||
        text.size() % 5 != 0)
        return Fail("bad padding");

    return ParseResult{std::move(record), {}};
}

ParseResult DecodeScoreRecord(std::string_view symbols) {
    std::string error;
    auto bytes = DecodeSymbols(symbols, &error);
    if (!bytes) return Fail(std::move(error));
    return ParseScoreRecord(*bytes);
}

std::string FormatScoreRecord(const ScoreRecord& record) {
    std::string text = "type=0|name=" + record.name + "|score=" + std::to_string(record.score) +
                       "|key=X|p=" + record.token + "|add=" + record.country + "|z=";
    while (text.size() % 5 != 0)
        text += '0';
    return text;
}

} // namespace scores

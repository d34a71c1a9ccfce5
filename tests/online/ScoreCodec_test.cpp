// ScoreCodec_test.cpp -- the score record, its symbol encoding and the version-reply token.
#include "online/ScoreCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A plain RFC 4648 base32 encoder without "=" fill, written with a bit accumulator rather than
// digit strings, to show that the game's encoding is standard base32.
std::string Base32NoPad(const std::string& bytes) {
    static const char* const kRfcAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    std::string out;
    std::uint32_t acc = 0;
    int bits = 0;
    for (unsigned char c : bytes) {
        acc = (acc << 8) | c;
        bits += 8;
        while (bits >= 5) {
            out += kRfcAlphabet[(acc >> (bits - 5)) & 31];
            bits -= 5;
        }
    }
    if (bits > 0) out += kRfcAlphabet[(acc << (5 - bits)) & 31];
    return out;
}

std::string Encode(const std::string& record) {
    return BitsToSymbols(TextToBits(record));
}

} // namespace

TEST(ScoreCodecTest, AlphabetHas32DistinctLettersOrDigits) {
    std::string alphabet = kSymbolAlphabet;
    ASSERT_EQ(alphabet.size(), 32u);
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        char c = alphabet[i];
        EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << c;
        EXPECT_EQ(alphabet.find(c), i) << "duplicate " << c;
    }
}

TEST(ScoreCodecTest, TextToBitsWritesEightDigitsPerByteMostSignificantFirst) {
    EXPECT_EQ(TextToBits(""), "");
    EXPECT_EQ(TextToBits("type="), "0111010001111001011100000110010100111101");
    EXPECT_EQ(TextToBits(std::string("\x00\xff\x80\x01", 4)), "00000000111111111000000000000001");
}

TEST(ScoreCodecTest, BitsToSymbolsLeftPadsAndCountsAnyNonZeroAsOne) {
    struct Case {
        const char* digits;
        const char* symbols;
    } cases[] = {
        {"", ""},         {"00000", "A"}, {"11111", "7"}, {"1", "B"}, // padded on the left to 00001
        {"100000", "BA"},                                             // 00001 00000
        {"0x0a1", "L"}, // x, a and 1 are all ones: 01011 = 11
    };
    for (const Case& c : cases)
        EXPECT_EQ(BitsToSymbols(c.digits), c.symbols) << c.digits;
}

TEST(ScoreCodecTest, WorkedExampleBob) {
    std::string record = BuildScoreRecord("Bob", 1234, "", "");
    EXPECT_EQ(record, "type=0|name=Bob|score=1234|key=X|p=|add=|z=00");
    ASSERT_EQ(record.size(), 45u);

    std::string symbols = Encode(record);
    ASSERT_EQ(symbols.size(), 72u);
    const int firstPositions[] = {14, 17, 28, 23, 0, 25, 9, 29};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(symbols[i], kSymbolAlphabet[firstPositions[i]]) << "symbol " << i;
}

TEST(ScoreCodecTest, RecordIsPaddedWithZerosToAMultipleOfFive) {
    struct Case {
        std::string name;
        std::uint16_t score;
        std::string p;
        std::string country;
        std::string record;
    } cases[] = {
        // Characters before padding: 43, 41, 44, 37, 45 and 70.
        {"Bob", 1234, "", "", "type=0|name=Bob|score=1234|key=X|p=|add=|z=00"},
        {"B", 1234, "", "", "type=0|name=B|score=1234|key=X|p=|add=|z=0000"},
        {"Bob", 1234, "", "x", "type=0|name=Bob|score=1234|key=X|p=|add=x|z=0"},
        {"", 0, "", "", "type=0|name=|score=0|key=X|p=|add=|z=000"},
        // Already a multiple of 5: no "0", the record ends in "|z=".
        {"Bobby", 1234, "", "", "type=0|name=Bobby|score=1234|key=X|p=|add=|z="},
        {"Ann Lee", 65535, "ABCDEFGHIJKLMNOP", "Sweden",
         "type=0|name=Ann Lee|score=65535|key=X|p=ABCDEFGHIJKLMNOP|add=Sweden|z="},
    };
    for (const Case& c : cases) {
        std::string record = BuildScoreRecord(c.name, c.score, c.p, c.country);
        EXPECT_EQ(record, c.record);
        EXPECT_EQ(record.size() % 5, 0u) << record;
    }
}

TEST(ScoreCodecTest, EncodingEqualsUnpaddedBase32OfTheRecord) {
    // Reference vectors of RFC 4648 first, so the comparison below is against real base32.
    EXPECT_EQ(Base32NoPad("foobar"), "MZXW6YTBOI");
    EXPECT_EQ(Base32NoPad("fooba"), "MZXW6YTB");

    const std::vector<std::string> records = {
        BuildScoreRecord("Bob", 1234, "", ""),
        BuildScoreRecord("", 0, "", ""),
        BuildScoreRecord("ZZZZZZZZZZ", 65535, "MZXW6YTBOIAAAAAAAAAA", "zzzzzzzzzz"),
        BuildScoreRecord("a1 b2 c3", 100, "7777777777777777", "Deutschland"),
        BuildScoreRecord("Anonymous", 900, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", "  "),
        "fooba",
    };
    for (const std::string& record : records) {
        std::string symbols = Encode(record);
        EXPECT_EQ(symbols, Base32NoPad(record)) << record;
        EXPECT_EQ(symbols.size(), record.size() * 8 / 5) << record;
    }
}

TEST(ScoreCodecTest, VersionTokenIsTheFifthField) {
    struct Case {
        std::string reply;
        std::string p;
    } cases[] = {
        {"OK|skyvern-scores|1.0.0|hello|ABCDEFGHIJKLMNOP|", "ABCDEFGHIJKLMNOP"},
        {"OK|a|b|c|TOKEN|and|more|fields", "TOKEN"},
        {"OK|a|b|c|TOKEN", ""}, // only four "|": the fifth pass finds none
        {"OK", ""},             // no "|" at all: accepted, empty p
        {"OK||||", ""},         // fifth field empty
        {"OKAY|x|y|z|P|", "P"},
        {"", ""},
        {"OK|a|b|c||P|", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractVersionToken(c.reply), c.p) << c.reply;
}

TEST(ScoreCodecTest, SeparatorBeyondTheByteRangeCountsAsAbsent) {
    // The remaining text may hold its next "|" at character 255 at most.
    std::string atLimit = "OK|a|b|" + std::string(254, 'f') + "|P|";
    std::string pastLimit = "OK|a|b|" + std::string(255, 'f') + "|P|";
    EXPECT_EQ(ExtractVersionToken(atLimit), "P");
    EXPECT_EQ(ExtractVersionToken(pastLimit), "");
    // The limit is per remaining text, not on the whole reply.
    std::string longOverall = "OK|" + std::string(200, 'a') + "|" + std::string(200, 'b') + "|" +
                              std::string(200, 'c') + "|P|";
    EXPECT_EQ(ExtractVersionToken(longOverall), "P");
}

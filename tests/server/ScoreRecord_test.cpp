// ScoreRecord_test.cpp -- the server's decoder and record parser, and their agreement with the
// game.
#include "ScoreRecord.h"

#include "ServerTestUtil.h"

#include <gtest/gtest.h>

#include <string>

using scores::DecodeScoreRecord;
using scores::DecodeSymbols;
using scores::ParseScoreRecord;

TEST(ScoreRecordTest, AlphabetIsTheGames) {
    EXPECT_EQ(scores::kSymbolAlphabet, std::string_view(::kSymbolAlphabet));
}

TEST(ScoreRecordTest, ReadsWhatTheGameSends) {
    struct Case {
        std::string name;
        std::uint16_t score;
        std::string token;
        std::string country;
    } cases[] = {
        {"Bob", 1234, "", ""},
        {"", 0, "ABCDEFGHIJKLMNOPQRSTUVWX", ""},
        {"Ann Lee", 65535, "Q2", "Sweden"},
        {"ZZZZZZZZZZ", 100, "777777777777777777777777", "zzzzzzzzzz"},
        {"  ", 5, "A", " 0 "},
    };
    for (const Case& c : cases) {
        auto parsed = DecodeScoreRecord(GameSubmission(c.name, c.score, c.token, c.country));
        ASSERT_TRUE(parsed.record) << c.name << ": " << parsed.error;
        EXPECT_EQ(parsed.record->name, c.name);
        EXPECT_EQ(parsed.record->score, c.score);
        EXPECT_EQ(parsed.record->token, c.token);
        EXPECT_EQ(parsed.record->country, c.country);
    }
}

TEST(ScoreRecordTest, DecodesStandardBase32) {
    auto bytes = DecodeSymbols("MZXW6YTB", nullptr);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "fooba");
    EXPECT_EQ(scores::EncodeSymbols("fooba"), "MZXW6YTB");
}

TEST(ScoreRecordTest, RefusesBadSymbolsAndLengths) {
    const std::string good = GameSubmission("Bob", 1234, "", ""); // 72 symbols
    struct Case {
        std::string symbols;
        const char* error;
    } cases[] = {
        {"", "bad length"},
        {good.substr(0, 71), "bad length"},
        {good + "A", "bad length"},
        {good.substr(0, 64) + "AAAA", "bad length"},
        {"MZXW6YT1", "bad symbol"}, // 1 is not in the alphabet
        {"MZXW6YT8", "bad symbol"},
        {"mzxw6ytb", "bad symbol"}, // lower case is not the alphabet either
        {"MZXW6YT=", "bad symbol"},
        {"MZXW 6YT", "bad symbol"},
        {std::string("MZXW6YT\0", 8), "bad symbol"},
        {std::string(scores::kMaxSymbolCount + 8, 'A'), "record too long"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(DecodeSymbols(c.symbols, &error)) << c.symbols;
        EXPECT_EQ(error, c.error) << c.symbols;
    }
}

TEST(ScoreRecordTest, RefusesEveryDeviationFromTheRecordLayout) {
    struct Case {
        const char* record;
        const char* error;
    } cases[] = {
        // Field order, names and literal values.
        {"type=0|score=1234|name=Bob|key=X|p=|add=|z=00", "bad record layout"},
        {"type=1|name=Bob|score=1234|key=X|p=|add=|z=00", "bad record layout"},
        {"type=0|name=Bob|score=1234|key=Y|p=|add=|z=00", "bad record layout"},
        {"type=0|name=Bob|score=1234|key=X|add=|p=|z=00", "bad record layout"},
        {"TYPE=0|name=Bob|score=1234|key=X|p=|add=|z=00", "bad record layout"},
        {"type=0|name=Bob|score=1234|key=X|p=|add=|zz=0", "bad record layout"},
        {"type=0|name=Bob|score=1234|key=X|p=|add=x00000", "bad record layout"},
        {"type=0|name=Bob", "bad record layout"},
        {"type=0|name=Bob|x|score=1234|key=X|p=|add=|z=", "bad record layout"},
        // Name and country: at most 10 of space, digits and Latin letters.
        {"type=0|name=Bobby Bobby|score=1234|key=X|p=|add=|z=0", "name too long"},
        {"type=0|name=B<b|score=1234|key=X|p=|add=|z=0000", "bad name"},
        {"type=0|name=B\xc3\xb6|score=1234|key=X|p=|add=|z=000", "bad name"},
        {"type=0|name=B_b|score=1234|key=X|p=|add=|z=0000", "bad name"},
        {"type=0|name=Bob|score=1234|key=X|p=|add=Switzerland|z=0000", "country too long"},
        {"type=0|name=Bob|score=1234|key=X|p=|add=a&b|z=0000", "bad country"},
        // Score: a plain decimal 0..65535.
        {"type=0|name=Bob|score=65536|key=X|p=|add=|z=0", "bad score"},
        {"type=0|name=Bob|score=99999|key=X|p=|add=|z=0", "bad score"},
        {"type=0|name=Bob|score=123456|key=X|p=|add=|z=", "bad score"},
        {"type=0|name=Bob|score=-1|key=X|p=|add=|z=0000", "bad score"},
        {"type=0|name=Bob|score=|key=X|p=|add=|z=", "bad score"},
        {"type=0|name=Bob|score=01234|key=X|p=|add=|z=0", "bad score"},
        {"type=0|name=Bob|score=12a4|key=X|p=|add=|z=00", "bad score"},
        // Token symbols only.
        {"type=0|name=Bob|score=1234|key=X|p=abc|add=|z=0000", "bad token"},
        {"type=0|name=Bob|score=1234|key=X|p=AB1|add=|z=0000", "bad token"},
        // Padding: only the "0"s that reach a multiple of 5.
        {"type=0|name=Bob|score=1234|key=X|p=|add=|z=0", "bad padding"},
        {"type=0|name=Bob|score=1234|key=X|p=|add=|z=0000000", "bad padding"},
        {"type=0|name=Bobby|score=1234|key=X|p=|add=|z=00000", "bad padding"},
        {"type=0|name=Bob|score=1234|key=X|p=|add=|z=1x", "bad padding"},
        {"type=0|name=Bob|score=1234|key=X|p=|add=|z=0|00", "bad padding"},
    };
    for (const Case& c : cases) {
        auto parsed = ParseScoreRecord(c.record);
        EXPECT_FALSE(parsed.record) << c.record;
        EXPECT_EQ(parsed.error, c.error) << c.record;
    }
}

TEST(ScoreRecordTest, AcceptsTheEdgesOfEachField) {
    const char* records[] = {
        "type=0|name=|score=0|key=X|p=|add=|z=000",
        "type=0|name=Bobby|score=1234|key=X|p=|add=|z=",
        "type=0|name=0123456789|score=65535|key=X|p=|add=ABCDEFGHIJ|z=0000",
    };
    for (const char* record : records) {
        auto parsed = ParseScoreRecord(record);
        ASSERT_TRUE(parsed.record) << record << ": " << parsed.error;
        EXPECT_EQ(scores::FormatScoreRecord(*parsed.record), record);
    }
    auto longToken = ParseScoreRecord(
        scores::FormatScoreRecord({"", 1, std::string(scores::kMaxTokenLength, 'A'), ""}));
    EXPECT_TRUE(longToken.record) << longToken.error;
    auto tooLong = ParseScoreRecord(
        scores::FormatScoreRecord({"", 1, std::string(scores::kMaxTokenLength + 1, 'A'), ""}));
    EXPECT_EQ(tooLong.error, "bad token");
}

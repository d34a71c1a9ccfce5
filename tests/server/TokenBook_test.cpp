// TokenBook_test.cpp -- one-time tokens: form, single use, expiry and the bounded book.
#include "TokenBook.h"

#include "ScoreRecord.h"

#include <gtest/gtest.h>

#include <set>

using scores::TokenBook;

TEST(TokenBookTest, TokensAreLongDistinctAlphabetStrings) {
    TokenBook book;
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        std::string token = book.Issue(0);
        EXPECT_GE(token.size(), 16u);
        EXPECT_EQ(token.find_first_not_of(scores::kSymbolAlphabet), std::string::npos) << token;
        EXPECT_TRUE(seen.insert(token).second) << "repeated " << token;
    }
    // Every symbol turns up: the random bits are spread over the whole alphabet.
    std::set<char> symbols;
    for (const std::string& token : seen)
        symbols.insert(token.begin(), token.end());
    EXPECT_EQ(symbols.size(), 32u);
}

TEST(TokenBookTest, ATokenIsGoodOnceWithinItsLifetime) {
    TokenBook book(100, 600000);
    std::string early = book.Issue(1000);
    std::string late = book.Issue(1000);
    std::string expired = book.Issue(1000);

    EXPECT_EQ(book.Consume(early, 1000), TokenBook::Use::Ok);
    EXPECT_EQ(book.Consume(early, 1000), TokenBook::Use::Unknown);
    EXPECT_EQ(book.Consume("AAAAAAAAAAAAAAAAAAAAAAAA", 1000), TokenBook::Use::Unknown);
    EXPECT_EQ(book.Consume("", 1000), TokenBook::Use::Unknown);
    // Valid up to the last millisecond before ten minutes have passed.
    EXPECT_EQ(book.Consume(late, 1000 + 599999), TokenBook::Use::Ok);
    EXPECT_EQ(book.Consume(expired, 1000 + 600000), TokenBook::Use::Expired);
    EXPECT_EQ(book.Consume(expired, 1000 + 600000), TokenBook::Use::Unknown);
}

TEST(TokenBookTest, ExpiredTokensAreDroppedAndTheBookStaysBounded) {
    TokenBook book(50, 1000);
    for (int i = 0; i < 40; ++i)
        book.Issue(0);
    EXPECT_EQ(book.Size(), 40u);
    // Issuing after the lifetime sweeps the old ones out.
    book.Issue(1000);
    EXPECT_EQ(book.Size(), 1u);

    // A flood of queries evicts the oldest tokens instead of growing without limit.
    std::string first = book.Issue(1001);
    for (int i = 0; i < 200; ++i)
        book.Issue(1002);
    EXPECT_EQ(book.Size(), 50u);
    EXPECT_EQ(book.Consume(first, 1003), TokenBook::Use::Unknown);
    std::string newest = book.Issue(1004);
    EXPECT_EQ(book.Consume(newest, 1005), TokenBook::Use::Ok);
}

// TokenSigner_test.cpp -- signed tokens: form, lifetime, and refusal of anything not issued with
// the same key.
#include "TokenSigner.h"

#include "ScoreRecord.h"

#include <gtest/gtest.h>

#include <set>

using scores::TokenSigner;

namespace {

const std::string kKey(32, 'k');
constexpr std::int64_t kStart = 1700000000000; // a whole second, in Unix milliseconds

} // namespace

TEST(TokenSignerTest, TokensAreDistinctStringsOfTwentyFourSymbols) {
    TokenSigner signer(kKey);
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        std::string token = signer.Issue(kStart);
        EXPECT_EQ(token.size(), 24u);
        EXPECT_EQ(token.find_first_not_of(scores::kSymbolAlphabet), std::string::npos) << token;
        EXPECT_TRUE(seen.insert(token).second) << "repeated " << token;
    }
    // Two signers (two instances) with one key hand out different tokens in the same second.
    TokenSigner other(kKey);
    for (int i = 0; i < 1000; ++i)
        EXPECT_FALSE(seen.count(other.Issue(kStart)));
}

TEST(TokenSignerTest, GoodAtEveryInstanceWithTheKeyForTenMinutes) {
    TokenSigner issuer(kKey);
    TokenSigner checker(kKey);
    std::string token = issuer.Issue(kStart + 999);
    std::int64_t expires = 0;
    EXPECT_EQ(checker.Verify(token, kStart + 999, &expires), TokenSigner::Check::Ok);
    // The issue time is kept in whole seconds, rounded down: never a longer life.
    EXPECT_EQ(expires, kStart + 600000);
    EXPECT_EQ(checker.Verify(token, kStart + 599999), TokenSigner::Check::Ok);
    EXPECT_EQ(checker.Verify(token, kStart + 600000), TokenSigner::Check::Expired);
    // Another key: not one of ours at all.
    EXPECT_EQ(TokenSigner(std::string(32, 'x')).Verify(token, kStart), TokenSigner::Check::Unknown);
}

TEST(TokenSignerTest, RefusesEveryAlteredOrMadeUpToken) {
    TokenSigner signer(kKey);
    const std::string token = signer.Issue(kStart);
    // Any one symbol changed, the time included, breaks the signature.
    for (std::size_t at = 0; at < token.size(); ++at) {
        std::string altered = token;
        altered[at] = altered[at] == 'A' ? 'B' : 'A';
        EXPECT_EQ(signer.Verify(altered, kStart), TokenSigner::Check::Unknown) << at;
    }
    const std::string cases[] = {
        "",
        "A",
        token.substr(0, 23),
        token + "A",
        std::string(24, 'A'),
        // Lower case and symbols outside the alphabet.
        std::string(1, static_cast<char>(token[0] | 0x20)) + token.substr(1),
        "1" + token.substr(1),
        std::string("\0", 1) + token.substr(1),
    };
    for (const std::string& c : cases)
        EXPECT_EQ(signer.Verify(c, kStart), TokenSigner::Check::Unknown) << c;
}

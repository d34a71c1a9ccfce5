// RateLimiter_test.cpp -- the sliding submission limit per client and its bounded memory.
#include "RateLimiter.h"

#include <gtest/gtest.h>

#include <string>

using scores::RateLimiter;

TEST(RateLimiterTest, ThirtyAMinutePerClientInASlidingWindow) {
    RateLimiter limiter(30, 60000);
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(limiter.Allow("10.0.0.1", i * 1000)) << i;
    EXPECT_FALSE(limiter.Allow("10.0.0.1", 30000));
    EXPECT_FALSE(limiter.Allow("10.0.0.1", 59999));
    // Another address has its own allowance.
    EXPECT_TRUE(limiter.Allow("10.0.0.2", 30000));
    // The first attempt (at 0) leaves the window at 60000, the second at 61000.
    EXPECT_TRUE(limiter.Allow("10.0.0.1", 60000));
    EXPECT_FALSE(limiter.Allow("10.0.0.1", 60500));
    EXPECT_TRUE(limiter.Allow("10.0.0.1", 61000));
}

TEST(RateLimiterTest, RefusedAttemptsDoNotExtendTheWait) {
    RateLimiter limiter(2, 1000);
    EXPECT_TRUE(limiter.Allow("a", 0));
    EXPECT_TRUE(limiter.Allow("a", 0));
    for (int t = 1; t < 1000; t += 50)
        EXPECT_FALSE(limiter.Allow("a", t));
    EXPECT_TRUE(limiter.Allow("a", 1000));
}

TEST(RateLimiterTest, QuietClientsAreForgottenAndTheTableIsBounded) {
    RateLimiter limiter(30, 60000, 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(limiter.Allow("client" + std::to_string(i), 0));
    EXPECT_EQ(limiter.ClientCount(), 100u);
    // Full of active clients: a new address waits, the known ones carry on.
    EXPECT_FALSE(limiter.Allow("newcomer", 1000));
    EXPECT_TRUE(limiter.Allow("client7", 1000));
    EXPECT_EQ(limiter.ClientCount(), 100u);
    // A window later only client7 has been active recently.
    EXPECT_TRUE(limiter.Allow("newcomer", 60500));
    EXPECT_EQ(limiter.ClientCount(), 2u);
}

// Scenery_test.cpp -- mountain layers wrapping and placing volcanoes, volcanoes and lava, trees
// and the grille's sway, on the game's engine with the generated pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "state/Random.h"
#include "world/GameRun.h"

namespace {

struct Site {
    bool lava;
    int x;
};

// The volcano sites a middle-layer wrap to x makes with the random numbers to come.
std::vector<Site> ExpectedSites(int x, uint8_t level) {
    const uint32_t seed = RandSeed();
    std::vector<Site> sites;
    if (level % 5 == 0) {
        for (int i = 0; i <= 5; ++i) {
            if (Random(3) >= 2) continue;
            if (Random(2) == 0) sites.push_back({true, x + 69 + 157 * i});
            sites.push_back({false, x + 157 * i});
        }
    } else if (Random(3) < 2) {
        if (Random(2) == 1) sites.push_back({true, x + 403});
        sites.push_back({false, x + 334});
    }
    Randomize(seed);
    return sites;
}

TEST(Mountain, WrapsBehindItsPartnerAndOnlyTheMiddleLayerPlacesVolcanoes) {
    GameRun g(3);
    struct Case {
        const char* picture;
        int z, speed;
        uint8_t level;
    } cases[] = {{"2-1", 3, 2, 1},   {"fon2", 3, 2, 5}, {"2-1", 3, 2, 7},
                 {"fon2", 3, 2, 10}, {"3-1", 2, 2, 5},  {"1-1", 5, 2, 5}};
    int placedOnLevel5 = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " level " + std::to_string(c.level));
        for (int round = 0; round < 20; ++round) {
            g.Clear();
            for (TVolcano* v : g.All<TVolcano>())
                delete v;
            Level = c.level;
            auto* m = new TMountain(c.picture, 0, 448, c.z, uint16_t(c.speed));
            const int width = m->Width;
            m->X = -width + 1; // X + Width = 1: on screen; after the move -1: wraps
            std::vector<Site> want =
                c.z == 3 ? ExpectedSites(width - 1, c.level) : std::vector<Site>{};
            const uint32_t seed = RandSeed();
            m->Step(1);
            EXPECT_EQ(m->X, width - 1);
            if (c.z != 3) {
                EXPECT_EQ(RandSeed(), seed) << "no random numbers drawn";
            }
            std::vector<TVolcano*> got = g.All<TVolcano>();
            ASSERT_EQ(got.size(), want.size());
            for (size_t i = 0; i < got.size(); ++i) {
                EXPECT_EQ(got[i]->IsLava, want[i].lava);
                EXPECT_EQ(got[i]->X, want[i].x);
            }
            if (c.level == 5 && c.z == 3)
                placedOnLevel5 = std::max(placedOnLevel5, int(got.size()));
            delete m;
        }
    }
    EXPECT_GT(placedOnLevel5, 2) << "levels 5, 10, ... place several sites per wrap";
}

TEST(Mountain, ScrollsBySpeedTimesScrollSpeed) {
    GameRun g;
    auto* m = new TMountain("1-1", 400, 568, 5, 3);
    EXPECT_EQ(m->Width, 800);
    EXPECT_EQ(m->Z(), 5);
    m->Step(1);
    EXPECT_EQ(m->X, 397);
    m->Step(5); // the frame count does not move scenery
    EXPECT_EQ(m->X, 394);
}

TEST(Volcano, LavaIsDrawnOverItsVolcanoAndBothAnimateAndScroll) {
    GameRun g;
    g.Clear();
    auto* lava = new TVolcano(true, 469);
    auto* volcano = new TVolcano(false, 400);
    EXPECT_EQ(lava->Y, 427);
    EXPECT_EQ(volcano->Y, 440);
    EXPECT_EQ(volcano->Width, 157);
    const auto& order = g.Engine().DrawOrder();
    auto at = [&](TSprite* s) { return std::find(order.begin(), order.end(), s) - order.begin(); };
    EXPECT_LT(at(volcano), at(lava)) << "the volcano entered layer 4 later: drawn first";

    std::vector<int> patterns;
    for (int i = 0; i < 31; ++i) {
        volcano->Step(1);
        patterns.push_back(volcano->AnimIndex);
    }
    EXPECT_EQ(patterns[0], 0);
    EXPECT_EQ(patterns[9], 1);
    EXPECT_EQ(patterns[19], 2);
    EXPECT_EQ(patterns[29], 0) << "thirty frames per cycle";
    EXPECT_EQ(volcano->X, 400 - 62);

    volcano->X = -volcano->Width;
    volcano->Step(1);
    EXPECT_TRUE(volcano->Killed()) << "killed once X < -Width";
}

TEST(GreenTree, EntersAtTheRightAndIsKilledOnceGone) {
    GameRun g;
    int tall = 0, small = 0;
    for (int i = 0; i < 40; ++i) {
        auto* t = new TGreenTree();
        EXPECT_EQ(t->X, 800);
        EXPECT_EQ(t->Z(), 6);
        if (t->Y == 437)
            ++tall;
        else if (t->Y == 512)
            ++small;
        t->X = -t->Width + 4;
        t->Step(1);
        EXPECT_FALSE(t->Killed());
        t->Step(1);
        EXPECT_EQ(t->X, -t->Width + 1 - 3);
        EXPECT_TRUE(t->Killed()) << "X <= -Width after the move";
    }
    EXPECT_EQ(tall + small, 40);
    EXPECT_GT(tall, 0);
    EXPECT_GT(small, 0);
}

TEST(Grille, SwaysLeftAndRightAndBobsUpAndDown) {
    GameRun g;
    TReshetkaSprite* grille = g.All<TReshetkaSprite>().at(0);
    EXPECT_EQ(grille->X, 0);
    EXPECT_EQ(grille->Y, 83);
    EXPECT_EQ(grille->Width, 64);
    EXPECT_EQ(grille->Height, 450);
    std::vector<int> xs, ys;
    for (int i = 0; i < 240; ++i) {
        grille->Step(1);
        xs.push_back(grille->X);
        ys.push_back(grille->Y);
    }
    EXPECT_EQ(ys[1], 84) << "starts moving down";
    EXPECT_EQ(xs[1], -1) << "and left";
    EXPECT_EQ(*std::min_element(xs.begin(), xs.end()), -30);
    EXPECT_EQ(*std::max_element(xs.begin(), xs.end()), 0);
    EXPECT_EQ(*std::min_element(ys.begin(), ys.end()), 83);
    EXPECT_EQ(*std::max_element(ys.begin(), ys.end()), 93);
    EXPECT_EQ(xs[59], -30);
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(xs[size_t(i)], xs[size_t(i + 120)]) << i;
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(ys[size_t(i)], ys[size_t(i + 40)]) << i;
    grille->X = -30;
    EXPECT_EQ(grille->GetBox(), (TRect{-30, grille->Y, 34, grille->Y + 450}));
}

} // namespace

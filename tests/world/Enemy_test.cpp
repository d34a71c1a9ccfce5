// Enemy_test.cpp -- the eight enemy kinds: their start, flight, sine path, shooting cycle and
// death, on the game's engine with the generated pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "world/Enemy.h"
#include "world/GameRun.h"
#include "world/Shots.h"

namespace {

TEST(Enemy, WaveSineComesFromTheCosineTable) {
    for (int p = 0; p < 256; ++p)
        EXPECT_NEAR(WaveSine(uint8_t(p)), std::sin(2 * std::numbers::pi * p / 256), 1e-15) << p;
    EXPECT_EQ(WaveSine(64), 1.0);
    EXPECT_EQ(WaveSine(0), std::cos(2 * std::numbers::pi * 192 / 256));
}

TEST(Enemy, EachKindStartsAsItsRowSays) {
    GameRun g;
    struct Row {
        int kind;
        const char* picture;
        int health, fireRate, flapMax;
        int y; // 0: 50 + random(350)
    } rows[] = {
        {1, "enemy1", 10, 10, 29, 0},  {2, "enemy2", 10, 10, 29, 0},  {3, "enemy3", 20, 15, 39, 0},
        {4, "enemy4", 5, 15, 29, 495}, {5, "enemy5", 5, 15, 29, 495}, {6, "enemy6", 5, 15, 29, 495},
        {7, "enemy7", 5, 15, 29, 497}, {8, "enemy8", 15, 5, 29, 498},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        for (int i = 0; i < 30; ++i) {
            TFlyingEnemySprite e(r.kind, &g.Engine());
            EXPECT_EQ(e.PictureItem, &g.Form().DXImageList1.Items.FindImage(r.picture));
            EXPECT_EQ(e.Health, r.health);
            EXPECT_EQ(e.Points, r.health);
            EXPECT_EQ(e.FireRate, r.fireRate);
            EXPECT_EQ(e.FlapMax, r.flapMax);
            EXPECT_LT(e.FireCooldown, 200 / r.fireRate);
            EXPECT_EQ(e.ShootPhase, 0);
            EXPECT_EQ(e.Width, e.PictureItem->PatternWidth);
            EXPECT_EQ(e.Z(), 7);
            if (r.kind == 2) {
                EXPECT_GE(e.X, 100);
                EXPECT_LE(e.X, 799);
                EXPECT_EQ(e.Y + e.Height, 60) << "dives in from above the play area";
            } else {
                EXPECT_EQ(e.X, 800);
                if (r.y) {
                    EXPECT_EQ(e.Y, r.y);
                } else {
                    EXPECT_TRUE(e.Y >= 50 && e.Y <= 399) << e.Y;
                }
            }
            if (r.kind == 3) {
                EXPECT_EQ(e.BaseY, e.Y);
            }
        }
    }
}

TEST(Enemy, FlightPerKind) {
    GameRun g;
    struct Case {
        int kind, dx, dy;
    } cases[] = {{1, -5, 0}, {2, -3, 2}, {4, -3, 0}, {8, -3, 0}};
    for (const Case& c : cases) {
        TFlyingEnemySprite e(c.kind, &g.Engine());
        const int x = e.X, y = e.Y;
        e.Step(1);
        e.Step(3); // the frame count only feeds the animation step
        EXPECT_EQ(e.X, x + 2 * c.dx) << c.kind;
        EXPECT_EQ(e.Y, y + 2 * c.dy) << c.kind;
    }
}

TEST(Enemy, KindThreeFollowsTheSinePathFromPhaseOne) {
    GameRun g;
    TFlyingEnemySprite e(3, &g.Engine());
    const int base = e.BaseY;
    e.Step(1);
    EXPECT_EQ(e.WavePhase, 1);
    EXPECT_EQ(e.Y, base + 1) << "round(50 x sin(2 pi / 256)) = round(1.227)";
    std::vector<int> ys{e.Y};
    for (int i = 0; i < 256; ++i) {
        e.Step(1);
        ys.push_back(e.Y);
    }
    EXPECT_EQ(ys[0], ys[256]) << "the path repeats every 256 frames";
    EXPECT_EQ(*std::max_element(ys.begin(), ys.end()), base + 50);
    EXPECT_EQ(*std::min_element(ys.begin(), ys.end()), base - 50);
    EXPECT_EQ(ys[63], base + 50) << "phase 64 is the crest";
}

TEST(Enemy, ShootsOnlyInTheShootingHalfOfItsCycle) {
    GameRun g;
    struct Case {
        int kind;
        int spacing, perCycle;
    } cases[] = {{1, 21, 3}, {4, 14, 4}, {8, 41, 2}, {3, 14, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        g.Clear();
        auto* e = new TFlyingEnemySprite(c.kind, &g.Engine());
        e->FireCooldown = 0;
        GameRun::TimesPlayed("");
        e->Step(1);
        EXPECT_EQ(e->ShootPhase, 100) << "phase 0 turns into 100 on the first step";
        EXPECT_EQ(g.All<TWeaponSprite>().size(), 0u) << "no shot outside the shooting half";
        EXPECT_EQ(e->FireCooldown, 200 / e->FireRate) << "but the reload restarts";

        std::vector<int> shotAt;
        std::set<int> cycles;
        for (int step = 2; step <= 505; ++step) {
            const size_t before = g.All<TWeaponSprite>().size();
            e->X = 700; // keep it on the field
            e->Step(1);
            if (g.All<TWeaponSprite>().size() > before) {
                shotAt.push_back(step);
                EXPECT_LT(e->ShootPhase, 50);
            }
        }
        ASSERT_GE(shotAt.size(), 2u);
        for (size_t i = 1; i < shotAt.size(); ++i) {
            const int gap = shotAt[i] - shotAt[i - 1];
            EXPECT_TRUE(gap == c.spacing || gap > 50) << gap; // reload + 1, or the next half
        }
        // The 101-frame cycle: shots within one shooting half.
        int most = 0;
        for (int start = 52; start < 505; start += 101) {
            int n = 0;
            for (int s : shotAt)
                n += s >= start && s < start + 50;
            most = std::max(most, n);
        }
        EXPECT_LE(most, c.perCycle);
        EXPECT_GE(most, c.perCycle - 1);
    }
}

TEST(Enemy, ShotsLeaveFromTheirPlace) {
    GameRun g;
    struct Case {
        int kind;
        const char* picture;
        int shotKind, damage, dx, dy;
    } cases[] = {{1, "arrow", 1, 2, 0, 13},
                 {2, "arrow", 1, 2, 0, 103},
                 {3, "burnstone", 3, 10, 21, 80},
                 {5, "arrow2", 2, 2, -40, -20},
                 {8, "burnstone2", 4, 10, 64, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        g.Clear();
        auto* e = new TFlyingEnemySprite(c.kind, &g.Engine());
        e->FireCooldown = 0;
        e->ShootPhase = 40;
        e->Step(1);
        std::vector<TWeaponSprite*> shots = g.All<TWeaponSprite>();
        ASSERT_EQ(shots.size(), 1u);
        EXPECT_EQ(shots[0]->PictureItem, &g.Form().DXImageList1.Items.FindImage(c.picture));
        EXPECT_EQ(shots[0]->ShotKind, c.shotKind);
        EXPECT_EQ(shots[0]->Damage, c.damage);
        EXPECT_EQ(shots[0]->X, e->X + c.dx);
        EXPECT_EQ(shots[0]->Y, e->Y + c.dy);
    }
}

TEST(Enemy, LeavingTheLeftEdgeKillsWithoutPoints) {
    GameRun g;
    auto* e = new TFlyingEnemySprite(4, &g.Engine());
    Score = 0;
    e->X = -e->Width + 2;
    e->Step(1);
    EXPECT_TRUE(e->Killed());
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(e->ShootPhase, 100) << "the rest of the step still runs";
}

TEST(Enemy, DyingScoresEachTimeWithItsSoundAndExplosion) {
    GameRun g;
    struct Case {
        int kind;
        const char* sound;
        size_t explosions;
    } cases[] = {{1, "mandie", 0}, {3, "mandie", 1}, {6, "mandie", 0}, {8, "catapultdie", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        g.Clear();
        auto* e = new TFlyingEnemySprite(c.kind, &g.Engine());
        Score = 65530;
        GameRun::TimesPlayed("");
        e->Die();
        EXPECT_TRUE(e->Killed());
        EXPECT_EQ(Score, uint16_t(65530 + e->Points)) << "wraps past 65535";
        EXPECT_EQ(GameRun::TimesPlayed(c.sound), 1);
        std::vector<TExplosionSprite*> booms = g.All<TExplosionSprite>();
        ASSERT_EQ(booms.size(), c.explosions);
        if (!booms.empty()) {
            EXPECT_EQ(booms[0]->X, e->X + e->Width / 2 - 32);
            EXPECT_EQ(booms[0]->Y, e->Y + e->Height / 2 - 32);
            EXPECT_EQ(booms[0]->Drift, 4);
        }
        e->Die(); // a second death before it is freed scores again
        EXPECT_EQ(Score, uint16_t(65530 + 2 * e->Points));
    }
    SoundOn = 0;
    auto* quiet = new TFlyingEnemySprite(1, &g.Engine());
    GameRun::TimesPlayed("");
    quiet->Die();
    EXPECT_EQ(GameRun::TimesPlayed("mandie"), 0) << "sounds only when SoundOn";
}

} // namespace

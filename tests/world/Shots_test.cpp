// Shots_test.cpp -- enemy shots, the hero's shots and explosions: flight, removal, bursts,
// hits and the one-shot animation.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "world/Enemy.h"
#include "world/GameRun.h"
#include "world/Shots.h"

namespace {

TEST(EnemyShot, FlightAndRemovalPerKind) {
    GameRun g;
    struct Case {
        int kind;
        const char* picture;
        int x, y;
        int steps; // the step in which it is removed
        int lastX, lastY;
    } cases[] = {
        {1, "arrow", 100, 300, 14, -40, 300},     // leaves the left edge
        {2, "arrow2", 760, 475, 80, 40, -5},      // an archer's arrow leaves through the top
        {4, "burnstone2", 700, 300, 61, 273, -5}, // up and left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        g.Clear();
        auto* shot = new TWeaponSprite(&g.Engine(), c.picture, uint8_t(c.kind), 2, c.x, c.y);
        for (int i = 1; i < c.steps; ++i) {
            shot->Step(1);
            ASSERT_FALSE(shot->Killed()) << i;
        }
        shot->Step(1);
        EXPECT_TRUE(shot->Killed());
        EXPECT_EQ(shot->X, c.lastX);
        EXPECT_EQ(shot->Y, c.lastY);
    }
}

TEST(EnemyShot, StonesTurnAndBurstOnTheGround) {
    GameRun g;
    GameRun::TimesPlayed("");
    auto* stone = new TWeaponSprite(&g.Engine(), "burnstone", 3, 10, 400, 541);
    EXPECT_EQ(GameRun::TimesPlayed("catapult"), 1) << "launch sound";
    EXPECT_TRUE(stone->AnimLoop);
    stone->Step(1);
    EXPECT_EQ(stone->AnimIndex, 1);
    EXPECT_EQ(stone->Y, 546);
    EXPECT_FALSE(stone->Killed());
    stone->Step(3);
    EXPECT_EQ(stone->AnimIndex, 0) << "advances by the frame count and wraps at 4";
    EXPECT_EQ(stone->Y, 551);
    EXPECT_TRUE(stone->Killed()) << "bursts when Y exceeds 550";
    std::vector<TExplosionSprite*> booms = g.All<TExplosionSprite>();
    ASSERT_EQ(booms.size(), 1u);
    EXPECT_EQ(booms[0]->PictureItem, &g.Form().DXImageList1.Items.FindImage("enemykill"));
    EXPECT_EQ(booms[0]->Drift, 3);
    EXPECT_EQ(booms[0]->X, stone->X + stone->Width / 2 - 32);
    EXPECT_EQ(GameRun::TimesPlayed("herodie"), 1);

    auto* arrow = new TWeaponSprite(&g.Engine(), "arrow", 1, 2, 400, 300);
    EXPECT_EQ(GameRun::TimesPlayed("manshot"), 1);
    arrow->Burst();
    EXPECT_TRUE(arrow->Killed());
    EXPECT_EQ(g.All<TExplosionSprite>().size(), 1u) << "an arrow is only removed";
    EXPECT_EQ(GameRun::TimesPlayed("herodie"), 0);
}

TEST(HeroShot, EachPistolFliesRightWithItsDamageAndSound) {
    GameRun g;
    struct Case {
        int weapon;
        const char* picture;
        int damage;
        const char* sound;
        std::vector<int> patterns; // after each of 11 steps
    } cases[] = {
        {1, "firepistol", 2, "heroshot", {0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0}},
        {2, "fireballbonus", 4, "heroshot", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {3, "icepistol", 4, "heroshot", {0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0}},
        {4, "flashpistol", 8, "manshot", {0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.weapon);
        g.Clear();
        GameRun::TimesPlayed("");
        auto* shot = new THeroWeaponSprite(&g.Engine(), uint8_t(c.weapon), 100, 300);
        EXPECT_EQ(GameRun::TimesPlayed(c.sound), 1);
        EXPECT_EQ(shot->PictureItem, &g.Form().DXImageList1.Items.FindImage(c.picture));
        EXPECT_EQ(shot->Damage, c.damage);
        std::vector<int> patterns;
        for (int i = 0; i < 11; ++i) {
            shot->Step(1);
            patterns.push_back(shot->AnimIndex);
        }
        EXPECT_EQ(patterns, c.patterns);
        EXPECT_EQ(shot->X, 210);
    }
}

TEST(HeroShot, AShotFromTheRightEdgeIsGoneBeforeItCanHit) {
    GameRun g;
    g.Clear();
    auto* enemy = new TFlyingEnemySprite(1, &g.Engine());
    enemy->X = 790;
    enemy->Y = 300;
    auto* shot = new THeroWeaponSprite(&g.Engine(), 1, 790, 310);
    shot->Step(1);
    EXPECT_TRUE(shot->Killed());
    EXPECT_EQ(enemy->Health, 10) << "a killed shot does not query";
}

TEST(HeroShot, HitsEveryOverlappedEnemyAndTheDeadAgain) {
    GameRun g;
    g.Clear();
    Score = 0;
    auto* a = new TFlyingEnemySprite(4, &g.Engine()); // 5 health
    auto* b = new TFlyingEnemySprite(1, &g.Engine()); // 10 health
    a->X = b->X = 300;
    a->Y = b->Y = 300;
    a->Die(); // already dead this frame: still hit, dies and scores again
    auto* shot = new THeroWeaponSprite(&g.Engine(), 4, 290, 310); // flash pistol, 8 damage
    shot->Step(1);
    EXPECT_TRUE(shot->Killed());
    EXPECT_EQ(a->Health, -3);
    EXPECT_EQ(b->Health, 2);
    EXPECT_FALSE(b->Killed());
    EXPECT_EQ(Score, 10) << "a scored twice, b not yet";
    std::vector<TExplosionSprite*> booms = g.All<TExplosionSprite>();
    ASSERT_EQ(booms.size(), 2u);
    for (TExplosionSprite* e : booms)
        EXPECT_EQ(e->PictureItem, &g.Form().DXImageList1.Items.FindImage("electroexplosion"));
}

TEST(HeroShot, PistolsOneAndTwoPickTheirExplosionAtRandom) {
    GameRun g;
    std::set<TPictureCollectionItem*> seen;
    for (int i = 0; i < 60; ++i) {
        g.Clear();
        auto* enemy = new TFlyingEnemySprite(3, &g.Engine());
        enemy->X = enemy->Y = 300;
        auto* shot = new THeroWeaponSprite(&g.Engine(), uint8_t(1 + i % 2), 290, 310);
        shot->Step(1);
        for (TExplosionSprite* e : g.All<TExplosionSprite>())
            seen.insert(e->PictureItem);
    }
    std::set<TPictureCollectionItem*> names;
    for (const char* n : ExplosionNames)
        names.insert(&g.Form().DXImageList1.Items.FindImage(n));
    EXPECT_EQ(seen, names);
}

TEST(Explosion, ShowsEachPatternOnceThenOnePassOfNothing) {
    GameRun g;
    g.Clear();
    auto* boom = new TExplosionSprite(&g.Engine(), "dragondamage", 4, 300, 200);
    EXPECT_EQ(boom->AnimLength, 8);
    EXPECT_EQ(boom->Z(), 8);
    std::vector<int> drawn;
    for (int pass = 0; pass < 12 && !boom->Killed(); ++pass) {
        drawn.push_back(boom->PatternToDraw());
        boom->Step(3); // one pattern per step whatever the frame count
    }
    drawn.push_back(boom->PatternToDraw()); // the pass of the killing step
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(boom->Killed());
    EXPECT_EQ(boom->X, 300 - 8 * 4);
}

} // namespace

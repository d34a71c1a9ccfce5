// GameField_test.cpp -- the game field's set-up and layers, the field reset, the spawn counters,
// the day/night swap and the level changes with their scenery swaps.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "app/GameFlow.h"
#include "frontend/MenuSprites.h"
#include "world/Bonuses.h"
#include "world/Enemy.h"
#include "world/GameField.h"
#include "world/GameRun.h"
#include "world/Shots.h"

namespace {

TEST(GameField, IsBuiltLayerByLayer) {
    GameRun g(1, false);
    // The spawn counters carry over from the previous game.
    EnemyDelay = 77, BonusDelay = 5, TreeDelay = 9, DayNightDelay = 123;
    g.Start();
    auto& items = g.Form().DXImageList1.Items;
    struct Row {
        const char* cls;
        const char* picture; // nullptr: none or not fixed
        int z, x, y;
        bool shown;
    } rows[] = {
        {"TGameBack", nullptr, 0, 0, 68, true},
        {"TClosingWindow", "console", 10, 220, 190, false},
        {"TMountain", "3-1", 2, 0, 501, true},
        {"TMountain", "3-1", 2, 800, 501, true},
        {"TMountain", "2-1", 3, 0, 448, true},
        {"TMountain", "2-1", 3, 800, 448, true},
        {"TMountain", "1-1", 5, 0, 568, true},
        {"TMountain", "1-1", 5, 800, 568, true},
        {"TStatusSprite", "statusbar", 10, 0, 0, true},
        {"TScaleSprite", "scale", 11, 453, 40, true},
        {"TLivesIndicator", nullptr, 11, 310, 38, true},
        {"THeroSprite", "hero", 7, 150, 200, false},
        {"TTailSprite", "tail", 7, 101, 278, false},
        {"TShieldSprite", "shield", 7, 150, 200, false},
        {"TBonusIndicatorSprite", "bonusindicator", 11, 715, 28, false},
        {"TReshetkaSprite", "reshetka", 7, 0, 83, true},
    };
    ASSERT_EQ(g.Engine().ChildCount(), int(std::size(rows)));
    for (int i = 0; i < g.Engine().ChildCount(); ++i) {
        SCOPED_TRACE(i);
        auto* s = dynamic_cast<TImageSprite*>(g.Engine().Child(i));
        ASSERT_NE(s, nullptr);
        EXPECT_STREQ(s->ClassName(), rows[i].cls);
        if (rows[i].picture) {
            EXPECT_EQ(s->PictureItem, &items.FindImage(rows[i].picture));
        }
        EXPECT_EQ(s->Z(), rows[i].z);
        EXPECT_EQ(s->X, rows[i].x);
        EXPECT_EQ(s->Y, rows[i].y);
        EXPECT_EQ(s->Shown, rows[i].shown);
        EXPECT_FALSE(s->PixelExact);
    }
    EXPECT_EQ(DialogWindow->PictureItem, &items.Items(1)) << "the second picture of the file";
    EXPECT_EQ(FarMountains1, g.Engine().Child(4));
    EXPECT_EQ(FarMountains2, g.Engine().Child(5));
    EXPECT_EQ(GameBack->PictureItem,
              &items.FindImage(GameBack->DayFlag == 1 ? "dayback" : "nightback"));
    EXPECT_EQ(GameBack->Width, 800);
    EXPECT_EQ(g.State(), "gsLevelBanner");
    EXPECT_EQ(g.h.Field("BannerTime"), "1500");
    EXPECT_EQ(g.h.Field("Lives"), "3");
    EXPECT_EQ(g.h.Field("Level"), "1");
    EXPECT_EQ(g.h.Field("LevelLengthMs"), "60000");
    EXPECT_EQ(g.h.Field("Hero.Health"), "50");
    EXPECT_EQ(g.h.Field("Song"), "sound\\2.xm");
    EXPECT_EQ(g.h.Platform().cursorX, 400);
    EXPECT_EQ(g.h.Platform().cursorY, 300);
    EXPECT_EQ(EnemyDelay, 77);
    EXPECT_EQ(BonusDelay, 5);
    EXPECT_EQ(TreeDelay, 9);
    EXPECT_EQ(DayNightDelay, 123);

    // A new game frees the old field first.
    const int count = g.Engine().SpriteCount();
    g.Form().CreateGameField();
    EXPECT_EQ(g.Engine().SpriteCount(), count);
}

TEST(GameField, TheDrawOrderFollowsTheLayers) {
    GameRun g;
    int last = -1;
    for (TSprite* s : g.Engine().DrawOrder()) {
        EXPECT_GE(s->Z(), last);
        last = s->Z();
    }
}

TEST(GameField, ClearingRemovesWhatMovesOnItsOwnAndResetsTheHero) {
    GameRun g;
    auto* enemy = new TFlyingEnemySprite(1, &g.Engine());
    auto* bonus = new TBonusSprite(&g.Engine());
    auto* arrow = new TWeaponSprite(&g.Engine(), "arrow", 1, 2, 400, 300);
    auto* shot = new THeroWeaponSprite(&g.Engine(), 1, 400, 300);
    auto* boom = new TExplosionSprite(&g.Engine(), "herokill", 4, 400, 300);
    auto* tree = new TGreenTree();
    auto* volcano = new TVolcano(false, 400);
    Hero->Shown = HeroTail->Shown = HeroShield->Shown = BonusIndicator->Shown = true;
    Hero->X = 400;
    Hero->Y = 100;
    Hero->Weapon = 3;
    Hero->FireRate = 12;
    HeroSpeedX = 4;
    HeroSpeedY = -2;
    g.Form().ClearGameField();
    for (TSprite* s : std::initializer_list<TSprite*>{enemy, bonus, arrow, shot, boom})
        EXPECT_TRUE(s->Killed()) << s->ClassName();
    EXPECT_FALSE(tree->Killed());
    EXPECT_FALSE(volcano->Killed());
    EXPECT_FALSE(Hero->Shown || HeroTail->Shown || HeroShield->Shown || BonusIndicator->Shown);
    EXPECT_EQ(Hero->X, 150);
    EXPECT_EQ(Hero->Y, 200);
    EXPECT_EQ(Hero->Weapon, 1);
    EXPECT_EQ(Hero->FireRate, 24);
    EXPECT_EQ(HeroSpeedX, 0);
    EXPECT_EQ(HeroSpeedY, 0);
    g.h.Frames(1);
    EXPECT_EQ(g.Count("TFlyingEnemySprite") + g.Count("TBonusSprite") + g.Count("TWeaponSprite") +
                  g.Count("THeroWeaponSprite") + g.Count("TExplosionSprite"),
              0);
    EXPECT_EQ(g.Count("TMountain"), 6);
    EXPECT_EQ(g.Count("TGreenTree"), 1);
    EXPECT_EQ(g.Count("TVolcano"), 1);
}

TEST(GameField, ALevelChangeSwapsTheMiddleLayerOnEveryFifthLevelAndTheOneAfter) {
    GameRun g;
    auto& items = g.Form().DXImageList1.Items;
    for (int from = 1; from <= 11; ++from) {
        SCOPED_TRACE(from + 1);
        Level = uint8_t(from);
        auto* volcano = new TVolcano(false, 500);
        FarMountains1->X = 77; // a new pair starts at 0
        GameRun::TimesPlayed("");
        SetGameState(gsPlaying);
        LevelTime = 1234 * kOneMs;
        world::AdvanceLevel();
        EXPECT_EQ(Level, from + 1);
        EXPECT_EQ(TimeMs(LevelTime), 0);
        EXPECT_EQ(TimeMs(LevelLength), 60000 + 10000 * std::min(from, 6));
        EXPECT_EQ(GameState, gsLevelBanner);
        EXPECT_EQ(BannerTime, 1500);
        EXPECT_EQ(GameRun::TimesPlayed("nextlevel"), 1);
        const int next = from + 1;
        if (next % 5 == 0 || next % 5 == 1) {
            EXPECT_EQ(g.All<TVolcano>().size(), 0u) << "the volcanoes go with the layer";
            EXPECT_EQ(FarMountains1->X, 0);
        } else {
            EXPECT_FALSE(volcano->Killed());
            EXPECT_EQ(FarMountains1->X, 77);
            volcano->Kill();
        }
        const bool fon2 = next % 5 == 0;
        EXPECT_EQ(FarMountains1->PictureItem, &items.FindImage(fon2 ? "fon2" : "2-1"));
        EXPECT_EQ(FarMountains2->PictureItem, FarMountains1->PictureItem);
        EXPECT_EQ(FarMountains2->X, fon2 ? 943 : 800);
        EXPECT_EQ(FarMountains1->Z(), 3);
        EXPECT_EQ(g.Count("TMountain"), 6);
        FarMountains1->X = 0;
        g.Form().DXSpriteEngine1.FreeKilled();
    }
}

TEST(GameField, TheLevelStopsAt255AndTheSpawnDelaysStayDefined) {
    GameRun g;
    Level = 254;
    world::AdvanceLevel();
    EXPECT_EQ(Level, 255);
    for (int i = 0; i < 3; ++i) {
        LevelTime = 120000 * kOneMs;
        GameRun::TimesPlayed("");
        world::AdvanceLevel();
        EXPECT_EQ(Level, 255) << "no wrap to 0";
        EXPECT_EQ(TimeMs(LevelTime), 0) << "but it is still a level change";
        EXPECT_EQ(GameState, gsLevelBanner);
        EXPECT_EQ(GameRun::TimesPlayed("nextlevel"), 1);
        EXPECT_EQ(TimeMs(LevelLength), 60000) << "grows only below level 8";
    }
    for (uint8_t level : {uint8_t(161), uint8_t(255)}) {
        Level = level;
        for (int i = 0; i < 20; ++i) {
            EnemyDelay = 0;
            world::SpawnTick();
            EXPECT_EQ(EnemyDelay, 50) << "160 div Level is 0 from level 161 on";
            EXPECT_LE(BonusDelay, 1000 / level);
        }
    }
}

TEST(GameField, ADelayOfDFramesMeansTheNextSpawnComesDPlusOneFramesLater) {
    GameRun g;
    g.Clear();
    EnemyDelay = 3;
    BonusDelay = TreeDelay = 65535;
    for (int tick = 1; tick <= 4; ++tick) {
        EXPECT_EQ(g.All<TFlyingEnemySprite>().size(), 0u) << tick;
        world::SpawnTick();
    }
    EXPECT_EQ(g.All<TFlyingEnemySprite>().size(), 1u);
    EXPECT_GE(EnemyDelay, 50);
    EXPECT_LE(EnemyDelay, 50 + 159);

    std::array<int, 9> kinds{};
    for (int i = 0; i < 400; ++i) {
        g.Form().CreateEnemy();
        ++kinds[g.All<TFlyingEnemySprite>().back()->Kind];
    }
    for (int k = 1; k <= 8; ++k)
        EXPECT_GT(kinds[size_t(k)], 20) << k;
}

TEST(GameField, DayAndNightSwapEvery5000FramesOfPlay) {
    GameRun g;
    auto& items = g.Form().DXImageList1.Items;
    EnemyDelay = BonusDelay = TreeDelay = 65535;
    DayNightDelay = 0;
    const uint8_t day = GameBack->DayFlag;
    world::SpawnTick();
    EXPECT_EQ(GameBack->DayFlag, 1 - day);
    EXPECT_EQ(GameBack->PictureItem, &items.FindImage(day ? "nightback" : "dayback"));
    EXPECT_EQ(DayNightDelay, 5000);
    EXPECT_EQ(GameBack->Y, 68);
    EXPECT_EQ(GameBack->Width, 800);
}

TEST(GameField, OnlyPlayAdvancesTheCounters) {
    GameRun g;
    g.PassBanner();
    for (uint8_t state : {gsPaused, gsExitDialog, gsLevelBanner, gsDying}) {
        SCOPED_TRACE(GameStateName(state));
        EnemyDelay = 100;
        BonusDelay = 100;
        TreeDelay = 100;
        DayNightDelay = 100;
        SetGameState(state);
        BannerTime = 100000;
        DeathDelay = 100000;
        g.h.Frames(10);
        EXPECT_EQ(EnemyDelay, 100);
        EXPECT_EQ(BonusDelay, 100);
        EXPECT_EQ(TreeDelay, 100);
        EXPECT_EQ(DayNightDelay, 100);
    }
    SetGameState(gsPlaying);
    g.h.Frames(10);
    EXPECT_EQ(EnemyDelay, 90);
    EXPECT_EQ(DayNightDelay, 90);
}

TEST(GameField, ALevelChangeEndsEveryBonusClock) {
    GameRun g;
    g.PassBanner();
    ShieldTime = 9000;
    WeaponTime = 7000;
    BonusNoticeTime = 1200;
    HeroShield->Shown = BonusIndicator->Shown = true;
    world::AdvanceLevel();
    EXPECT_EQ(ShieldTime, 0);
    EXPECT_EQ(WeaponTime, 0);
    EXPECT_EQ(BonusNoticeTime, 0);
    // The next bonus of another kind shows no countdown of a shield that is gone.
    g.h.Frames(94);
    ASSERT_EQ(g.State(), "gsPlaying");
    auto* bonus = new TBonusSprite(&g.Engine());
    bonus->BonusKind = 5; // points
    bonus->PickUp();
    EXPECT_TRUE(BonusIndicator->Shown);
    EXPECT_EQ(ShieldTime, 0);
    EXPECT_FALSE(HeroShield->Shown);
}

} // namespace

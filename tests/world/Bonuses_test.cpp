// Bonuses_test.cpp -- bonus kinds and their effects, the double pick-up through the tail, the
// bomb, and what the bonus indicator, the lives indicator and the scale draw.
#include <gtest/gtest.h>

#include <array>

#include "state/Random.h"
#include "world/Bonuses.h"
#include "world/Enemy.h"
#include "world/GameField.h"
#include "world/GameRun.h"
#include "world/Shots.h"

namespace {

constexpr uint32_t kBlank = 0x010203;

// Whether pattern n of a picture shows on the surface with its top-left at (x, y).
bool Shows(TDirectDrawSurface& target, const TPictureCollectionItem& item, int n, int x, int y) {
    TDirectDrawSurface* s = item.PatternSurface(n);
    const TRect r = item.PatternRect(n);
    if (!s) return false;
    int opaque = 0;
    for (int yy = 0; yy < r.Height(); ++yy)
        for (int xx = 0; xx < r.Width(); ++xx) {
            const uint32_t p = s->Pixel(r.Left + xx, r.Top + yy);
            if (p == s->ColorKey()) continue;
            ++opaque;
            if (target.Pixel(x + xx, y + yy) != p) return false;
        }
    return opaque > 0;
}

struct BonusField : testing::Test {
    BonusField() {
        g.Clear();
        back().Fill(kBlank);
    }
    TDirectDrawSurface& back() { return g.Form().DXDraw.BackSurface(); }
    TPictureCollectionItem& Picture(const char* name) {
        return g.Form().DXImageList1.Items.FindImage(name);
    }
    TPictureCollectionItem& PictureAt(int i) { return g.Form().DXImageList1.Items.Items(i); }
    TBonusSprite* MakeBonus(uint8_t kind, uint8_t pistol = 2) {
        auto* b = new TBonusSprite(&g.Engine());
        b->BonusKind = kind;
        b->PistolKind = pistol;
        return b;
    }
    GameRun g;
};

TEST_F(BonusField, PicksItsKindPistolAndHeightFromTheRandomNumbers) {
    std::array<int, 9> kinds{};
    for (int i = 0; i < 800; ++i) {
        const uint32_t seed = RandSeed();
        int kind = 1 + Random(8);
        if (kind > 6) kind = 1;
        const int pistol = 2 + Random(3);
        const int y = 70 + Random(490 - 32);
        Randomize(seed);
        TBonusSprite b(&g.Engine());
        ASSERT_EQ(b.BonusKind, kind);
        ASSERT_EQ(b.PistolKind, pistol);
        ASSERT_EQ(b.Y, y);
        EXPECT_EQ(b.X, 800);
        ++kinds[size_t(kind)];
    }
    EXPECT_EQ(kinds[7] + kinds[8], 0);
    EXPECT_GT(kinds[1], 2 * kinds[2]) << "the pistol comes three times as often";
}

TEST_F(BonusField, DriftsLeftAndIsKilledBeforeTheMoveAtMinusWidth) {
    TBonusSprite* b = MakeBonus(5);
    std::vector<int> patterns;
    for (int i = 0; i < 41; ++i) {
        b->Step(1);
        patterns.push_back(b->AnimIndex);
    }
    EXPECT_EQ(patterns[8], 0);
    EXPECT_EQ(patterns[9], 1);
    EXPECT_EQ(patterns[38], 3);
    EXPECT_EQ(patterns[39], 0) << "forty frames per cycle";
    EXPECT_EQ(b->X, 800 - 41 * 3);
    b->X = -b->Width;
    b->Step(1);
    EXPECT_TRUE(b->Killed());
    EXPECT_EQ(b->X, -b->Width - 3) << "and still moves";
}

TEST_F(BonusField, EachKindHasItsEffect) {
    struct Case {
        uint8_t kind;
        int lives, wantLives;
        int levelTimeMs, wantLevelTimeMs;
        uint16_t score, wantScore;
        int weaponTime, shieldTime, noticeTime;
        int weapon, fireRate;
    } cases[] = {
        {1, 3, 3, 30000, 30000, 0, 0, 15000, 0, 0, 4, 12},     // pistol 4
        {3, 3, 3, 30000, 30000, 0, 0, 0, 15000, 0, 1, 24},     // shield
        {4, 2, 3, 30000, 30000, 0, 0, 0, 0, 2000, 1, 24},      // life
        {4, 3, 3, 30000, 30000, 0, 0, 0, 0, 2000, 1, 24},      // not above 3, notice anyway
        {5, 3, 3, 30000, 30000, 65500, 64, 0, 0, 2000, 1, 24}, // points, 16-bit
        {6, 3, 3, 30000, 20000, 0, 0, 0, 0, 2000, 1, 24},      // time: 10 s back
        {6, 3, 3, 10016, 16, 0, 0, 0, 0, 2000, 1, 24},
        {6, 3, 3, 10000, 0, 0, 0, 0, 0, 2000, 1, 24}, // 10 s or less: to 0
        {6, 3, 3, 4000, 0, 0, 0, 0, 0, 2000, 1, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        g.Clear();
        WeaponTime = ShieldTime = BonusNoticeTime = 0;
        Hero->Weapon = 1;
        Hero->FireRate = 24;
        HeroShield->Shown = false;
        BonusIndicator->Shown = false;
        Hero->X = 321;
        Hero->Y = 123;
        Lives = c.lives;
        Score = c.score;
        LevelTime = c.levelTimeMs * kOneMs;
        GameRun::TimesPlayed("");
        TBonusSprite* b = MakeBonus(c.kind, 4);
        b->PickUp();
        EXPECT_TRUE(b->Killed());
        EXPECT_TRUE(BonusIndicator->Shown);
        EXPECT_EQ(GameRun::TimesPlayed("bonus"), 1);
        EXPECT_EQ(Lives, c.wantLives);
        EXPECT_EQ(TimeMs(LevelTime), c.wantLevelTimeMs);
        EXPECT_EQ(Score, c.wantScore);
        EXPECT_EQ(WeaponTime, c.weaponTime);
        EXPECT_EQ(ShieldTime, c.shieldTime);
        EXPECT_EQ(BonusNoticeTime, c.noticeTime);
        EXPECT_EQ(Hero->Weapon, c.weapon);
        EXPECT_EQ(Hero->FireRate, c.fireRate);
        EXPECT_EQ(HeroShield->Shown, c.kind == 3);
        if (c.kind == 3) {
            EXPECT_EQ(HeroShield->X, 321 - 49);
            EXPECT_EQ(HeroShield->Y, 123);
        }
    }
}

TEST_F(BonusField, TheBombKillsEveryEnemyAndTheDeadScoreAgain) {
    Score = 0;
    auto* archer = new TFlyingEnemySprite(4, &g.Engine());   // 5 points
    auto* flyer = new TFlyingEnemySprite(3, &g.Engine());    // 20 points
    auto* catapult = new TFlyingEnemySprite(8, &g.Engine()); // 15 points
    archer->Die();
    EXPECT_EQ(Score, 5);
    MakeBonus(2)->PickUp();
    EXPECT_EQ(Score, 5 + 5 + 20 + 15);
    EXPECT_TRUE(flyer->Killed() && catapult->Killed());
    EXPECT_EQ(BonusNoticeTime, 2000);
    EXPECT_EQ(g.All<TExplosionSprite>().size(), 2u) << "kinds 3 and 8 explode";
}

TEST_F(BonusField, TouchingDragonAndTailPicksItUpTwice) {
    Hero->Shown = HeroTail->Shown = true;
    Hero->X = 300;
    Hero->Y = 200;
    HeroSpeedX = HeroSpeedY = 0;
    g.Form().DXInput1.States.Clear();
    Score = 0;
    TBonusSprite* b = MakeBonus(5);
    b->X = 280; // after the dragon's drift: over dragon (299..399) and tail (250..299)
    b->Y = 270;
    GameRun::TimesPlayed("");
    Hero->Step(1);
    HeroTail->Step(1);
    EXPECT_TRUE(b->Killed());
    EXPECT_EQ(Score, 200);
    EXPECT_EQ(GameRun::TimesPlayed("bonus"), 2);
}

TEST_F(BonusField, TheBubbleCarriesItsIcon) {
    for (int i = 0; i < 50; ++i) {
        auto* b = new TBonusSprite(&g.Engine());
        b->X = 400;
        b->Y = 300;
        back().Fill(kBlank);
        b->Paint();
        if (b->BonusKind == 1)
            EXPECT_TRUE(Shows(back(), PictureAt(b->PistolKind + 23), 0, 400, 300));
        else
            EXPECT_TRUE(Shows(back(), Picture("bonusindicator"), 0, 400, 300));
        delete b;
    }
}

TEST_F(BonusField, TheIndicatorShowsThePistolWhileItOutlastsTheShield) {
    struct Case {
        int weapon, weaponTime, shieldTime, noticeTime;
        int icon; // picture index, -1 generic, 0 nothing
    } cases[] = {
        {3, 9000, 5000, 0, 26}, {3, 5000, 9000, 0, -1}, {2, 9000, 0, 0, 25},
        {1, 9000, 0, 0, 0},     {1, 0, 0, 1500, -1},    {1, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.icon);
        Hero->Weapon = c.weapon;
        WeaponTime = c.weaponTime;
        ShieldTime = c.shieldTime;
        BonusNoticeTime = c.noticeTime;
        back().Fill(kBlank);
        BonusIndicator->Paint();
        if (c.icon > 0) {
            EXPECT_TRUE(Shows(back(), PictureAt(c.icon), 0, 715, 28));
        }
        if (c.icon < 0) {
            EXPECT_TRUE(Shows(back(), Picture("bonusindicator"), 0, 715, 28));
        }
        if (c.icon == 0) {
            EXPECT_EQ(back().Pixel(731, 44), kBlank);
        }
    }
}

TEST_F(BonusField, TheLivesIndicatorDrawsOneDragonPerLife) {
    TLivesIndicator* lives = nullptr;
    for (int i = 0; i < g.Engine().ChildCount(); ++i)
        if (auto* l = dynamic_cast<TLivesIndicator*>(g.Engine().Child(i))) lives = l;
    ASSERT_NE(lives, nullptr);
    for (int n : {3, 1, 0}) {
        Lives = n;
        back().Fill(kBlank);
        lives->Paint();
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(Shows(back(), Picture("life"), 0, 265 + 41 * i, 38), i <= n) << n << i;
    }
}

TEST_F(BonusField, TheScaleGrowsAColumnPerStepOfTheLevel) {
    const double s = 1000 * kOneMs;
    EXPECT_EQ(ScaleColumns(0, 60 * s), 1);
    EXPECT_EQ(ScaleColumns(30 * s, 60 * s), 98) << "trunc(97.0) + 1";
    EXPECT_EQ(ScaleColumns(30.999 * s, 60 * s), 98) << "milliseconds are dropped";
    EXPECT_EQ(ScaleColumns(60 * s, 60 * s), 195);
    EXPECT_EQ(ScaleColumns(119 * s, 120 * s), 193);

    TPictureCollectionItem& scale = Picture("scale");
    EXPECT_EQ(ScaleSprite->Width, 50);
    EXPECT_EQ(ScaleSprite->Height, 20);
    EXPECT_EQ(scale.PatternWidth, 1) << "the shared entry is left alone";
    g.Form().DXImageList1.Items.RebuildSurfaces(); // as a display restore does
    EXPECT_EQ(scale.PatternCount(), 195);

    LevelTime = 30 * s;
    LevelLength = 60 * s;
    back().Fill(kBlank);
    ScaleSprite->Paint();
    EXPECT_TRUE(Shows(back(), scale, 0, 453, 40));
    EXPECT_TRUE(Shows(back(), scale, 97, 453 + 97, 40));
    for (int y = 40; y < 60; ++y)
        EXPECT_EQ(back().Pixel(453 + 98, y), kBlank) << y;
}

} // namespace

// HeadlessField_test.cpp -- the game field built and played on the world context alone, with
// no main form: the level set-up, the dragon steered by the context's input states, spawning,
// and the level change heard through the context's sounds.
#include <gtest/gtest.h>

#include "app/GameFlow.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "support/HeadlessWorld.h"
#include "world/Enemy.h"
#include "world/GameField.h"
#include "world/Hero.h"
#include "world/Scenery.h"

namespace {

struct HeadlessField : testing::Test {
    HeadlessWorld w{"gamegraphic.dxg"};
    HeadlessField() {
        Randomize(5);
        world::CreateGameField();
    }
    // The banner is over: the dragon is shown and nothing spawns on its own.
    void Play() {
        PlayAfterBanner();
        EnemyDelay = BonusDelay = TreeDelay = 65535;
        for (int32_t i = 0; i < w.Engine().ChildCount(); ++i)
            if (dynamic_cast<TReshetkaSprite*>(w.Engine().Child(i))) w.Engine().Child(i)->Kill();
    }
};

TEST_F(HeadlessField, ANewGameStandsAtItsLevelBanner) {
    EXPECT_EQ(GameState, gsLevelBanner);
    EXPECT_EQ(BannerTime, 1500);
    EXPECT_EQ(Lives, 3);
    EXPECT_EQ(Level, 1);
    ASSERT_TRUE(Hero && HeroTail && HeroShield && GameBack && DialogWindow && ScaleSprite);
    EXPECT_EQ(Hero->Health, 50);
    EXPECT_FALSE(Hero->Shown) << "the dragon appears when the banner ends";
    EXPECT_EQ(GameBack->PictureItem,
              &GamePicture(GameBack->DayFlag == 1 ? "dayback" : "nightback"));
    EXPECT_EQ(w.Count("TMountain"), 6) << "two sprites in each of the three layers";
    EXPECT_EQ(w.Count("TReshetkaSprite"), 1);
    EXPECT_EQ(w.Engine().Target(), &w.display.BackSurface());
}

TEST_F(HeadlessField, TheDragonSteersByTheContextsInputStates) {
    Play();
    const int32_t x = Hero->X, y = Hero->Y;
    w.input.Insert(stRight);
    w.input.Insert(stDown);
    for (int i = 0; i < 5; ++i)
        w.PlayFrame();
    EXPECT_GT(Hero->X, x + 5 * (HeroStep - 1)) << "right, against the drift of 1 a frame";
    EXPECT_GT(Hero->Y, y + 5 * (HeroStep - 1));
    EXPECT_EQ(HeroTail->X, Hero->X - 49) << "the tail follows";

    w.input.Clear();
    w.input.Insert(stButton1); // fire
    w.PlayFrame();
    EXPECT_EQ(w.Count("THeroWeaponSprite"), 1);
}

TEST_F(HeadlessField, SpawnsJoinTheContextsEngine) {
    Play();
    EnemyDelay = 0;
    world::SpawnTick();
    EXPECT_EQ(w.Count("TFlyingEnemySprite"), 1);
    EXPECT_GE(EnemyDelay, 50) << "the next enemy waits";
}

TEST_F(HeadlessField, ALevelChangeIsHeardAndReplacesTheMiddleLayerAtLevelFive) {
    Play();
    Level = 4;
    world::AdvanceLevel();
    EXPECT_EQ(Level, 5);
    EXPECT_EQ(GameState, gsLevelBanner);
    EXPECT_EQ(w.sounds, std::vector<std::string>{"nextlevel"});
    ASSERT_TRUE(FarMountains1 && FarMountains2);
    EXPECT_EQ(FarMountains1->PictureItem, &GamePicture("fon2"));
    EXPECT_EQ(w.Count("TMountain"), 6);
}

} // namespace

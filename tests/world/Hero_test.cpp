// Hero_test.cpp -- the dragon's steering with keys and mouse steps, firing cadence, what it
// touches with and without the shield, and its death.
#include <gtest/gtest.h>

#include <initializer_list>

#include "app/GameFlow.h"
#include "world/Bonuses.h"
#include "world/Enemy.h"
#include "world/GameRun.h"
#include "world/Shots.h"

namespace {

struct HeroField : testing::Test {
    HeroField() {
        g.Clear();
        for (TReshetkaSprite* r : g.All<TReshetkaSprite>())
            delete r;
        Hero->Shown = HeroTail->Shown = true;
        Hero->Health = 50;
        Place(300, 300);
    }
    static void Place(int x, int y) {
        Hero->X = x;
        Hero->Y = y;
        HeroSpeedX = HeroSpeedY = 0;
    }
    void Hold(std::initializer_list<TInputState> states) {
        TInputStates& s = g.Form().DXInput1.States;
        s.Clear();
        for (TInputState st : states)
            s.Insert(st);
    }
    // One frame of the hero: the dragon's step, then the tail's.
    static void Step() {
        Hero->Step(1);
        HeroTail->Step(1);
    }
    GameRun g;
};

TEST(Hero, StartsHiddenWithItsTailBehindAndBelow) {
    GameRun g;
    EXPECT_FALSE(Hero->Shown);
    EXPECT_EQ(Hero->X, 150);
    EXPECT_EQ(Hero->Y, 200);
    EXPECT_EQ(Hero->Width, 100);
    EXPECT_EQ(Hero->Height, 90);
    EXPECT_EQ(Hero->Weapon, 1);
    EXPECT_EQ(Hero->FireRate, 24);
    EXPECT_EQ(Hero->Health, 50);
    EXPECT_FALSE(HeroTail->Shown);
    EXPECT_EQ(HeroTail->X, 101);
    EXPECT_EQ(HeroTail->Y, 278);
    EXPECT_EQ(HeroShield->X, 150);
    EXPECT_EQ(HeroShield->Y, 200);
}

TEST_F(HeroField, SteersByKeysOrByTheMouseStepInstead) {
    struct Case {
        const char* what;
        std::initializer_list<TInputState> keys;
        uint8_t left, right, up, down;
        int dx, dy;
        uint8_t leftAfter, rightAfter;
    } cases[] = {
        {"no input: drift only", {}, 0, 0, 0, 0, -1, 0, 0, 0},
        {"right key", {stRight}, 0, 0, 0, 0, 7, 0, 0, 0},
        {"mouse step instead of the key step", {stRight}, 0, 20, 0, 0, 19, 0, 0, 0},
        {"mouse left without a key", {}, 10, 0, 0, 0, -11, 0, 0, 0},
        {"left before right", {stLeft, stRight}, 0, 0, 0, 0, -9, 0, 0, 0},
        {"left step used, right step kept", {}, 10, 10, 0, 0, -11, 0, 0, 10},
        {"up key", {stUp}, 0, 0, 0, 0, -1, -8, 0, 0},
        {"mouse down", {stDown}, 0, 0, 0, 12, -1, 12, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Place(300, 300);
        Hold(c.keys);
        MouseLeft = c.left;
        MouseRight = c.right;
        MouseUp = c.up;
        MouseDown = c.down;
        Hero->Step(1);
        EXPECT_EQ(Hero->X - 300, c.dx);
        EXPECT_EQ(Hero->Y - 300, c.dy);
        EXPECT_EQ(MouseLeft, c.leftAfter);
        EXPECT_EQ(MouseRight, c.rightAfter);
        EXPECT_EQ(MouseUp, 0);
        EXPECT_EQ(MouseDown, 0);
        EXPECT_EQ(HeroTail->X, Hero->X - 49);
        EXPECT_EQ(HeroTail->Y, Hero->Y + 78);
    }
    MouseLeft = MouseRight = 0;
}

TEST_F(HeroField, StaysInsideThePlayRectangle) {
    struct Case {
        int x, y;
        std::initializer_list<TInputState> keys;
        int wantX, wantY;
    } cases[] = {
        {5, 70, {stLeft, stUp}, 5, 70},
        {6, 71, {stLeft, stUp}, 5, 70},
        {695, 470, {stRight, stDown}, 695, 470},
        {690, 465, {stRight, stDown}, 695, 470},
    };
    for (const Case& c : cases) {
        Place(c.x, c.y);
        Hold(c.keys);
        Hero->Step(1);
        EXPECT_EQ(Hero->X, c.wantX) << c.x;
        EXPECT_EQ(Hero->Y, c.wantY) << c.y;
    }
}

TEST_F(HeroField, AHeldButtonFiresAtTheRateOfTheWeapon) {
    struct Case {
        int weapon, rate;
        std::vector<int> firedAt;
    } cases[] = {{1, 24, {1, 9, 17, 25, 33}}, {3, 12, {1, 17, 33}}, {9, 24, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.weapon);
        g.Clear();
        Hero->Shown = true;
        Hero->Weapon = c.weapon;
        Hero->FireRate = c.rate;
        Hero->FireCooldown = 0;
        Hold({stButton1});
        std::vector<int> fired;
        for (int step = 1; step <= 40; ++step) {
            Place(300, 300);
            const size_t before = g.All<THeroWeaponSprite>().size();
            Hero->Step(1);
            if (step == 1) {
                EXPECT_EQ(Hero->FireCooldown, 200 / c.rate) << "reloads anyway";
            }
            if (g.All<THeroWeaponSprite>().size() > before) {
                fired.push_back(step);
                THeroWeaponSprite* shot = g.All<THeroWeaponSprite>().back();
                EXPECT_EQ(shot->X, Hero->X + Hero->Width);
                EXPECT_EQ(shot->Y, Hero->Y + 44);
                EXPECT_EQ(shot->Weapon, c.weapon);
            }
        }
        EXPECT_EQ(fired, c.firedAt);
    }
}

TEST_F(HeroField, AtNoHealthItDiesInItsNextStepWithoutSteeringOrFiring) {
    Hold({stRight, stButton1});
    Hero->Health = 0;
    SetGameState(gsPlaying);
    GameRun::TimesPlayed("");
    Hero->Step(1);
    EXPECT_EQ(Hero->X, 299) << "the drift still ran";
    EXPECT_EQ(Hero->FlapCounter, 1) << "and the wings";
    EXPECT_EQ(HeroSpeedX, 0) << "no steering";
    EXPECT_TRUE(g.All<THeroWeaponSprite>().empty()) << "no shot";
    EXPECT_FALSE(Hero->Shown);
    EXPECT_FALSE(HeroTail->Shown);
    EXPECT_EQ(GameState, gsDying);
    EXPECT_EQ(DeathDelay, 190);
    EXPECT_EQ(Lives, 2);
    EXPECT_EQ(GameRun::TimesPlayed("herodie"), 1);
    std::vector<TExplosionSprite*> booms = g.All<TExplosionSprite>();
    ASSERT_EQ(booms.size(), 1u);
    EXPECT_EQ(booms[0]->PictureItem, &g.Form().DXImageList1.Items.FindImage("herokill"));
    EXPECT_EQ(booms[0]->X, 299 + 50 - 32);
    EXPECT_EQ(booms[0]->Y, 300 + 45 - 32);
    Hero->Step(1);
    EXPECT_EQ(Hero->X, 299) << "a hidden dragon does nothing";
}

TEST_F(HeroField, TheShieldTurnsEveryHarmAwayButNotTheBurstsAndKills) {
    for (bool shielded : {false, true}) {
        SCOPED_TRACE(shielded ? "shielded" : "bare");
        struct Touch {
            const char* what;
            int health; // after one frame
            bool dead;
        } touches[] = {{"grille", 50, true}, // the tail reaches it
                       {"arrow", 46, false}, // both find the burst shot: twice the damage
                       {"stone", 30, false},
                       {"enemy", 30, false}, // its health, once per touch
                       {"lava", 30, false}};
        for (const Touch& t : touches) {
            SCOPED_TRACE(t.what);
            g.Clear();
            for (TSprite* s : g.All<TVolcano>())
                delete s;
            for (TReshetkaSprite* r : g.All<TReshetkaSprite>())
                delete r;
            Hold({});
            SetGameState(gsPlaying);
            Lives = 3;
            Hero->Shown = HeroTail->Shown = true;
            Hero->Health = 50;
            HeroShield->Shown = shielded;
            Place(300, 400);
            Score = 0;
            std::string w = t.what;
            // Everything touches dragon and tail together after the dragon's one-pixel drift.
            TSprite* other = nullptr;
            if (w == "grille") {
                other = new TReshetkaSprite(&g.Engine());
                other->X = 0;
                Place(100, 300);
            } else if (w == "arrow" || w == "stone") {
                other = new TWeaponSprite(&g.Engine(), w == "arrow" ? "arrow" : "burnstone",
                                          w == "arrow" ? 1 : 3, w == "arrow" ? 2 : 10, 285, 480);
            } else if (w == "enemy") {
                other = new TFlyingEnemySprite(1, &g.Engine());
                other->X = 260;
                other->Y = 450;
            } else {
                other = new TVolcano(true, 285);
            }
            Step();
            const int wantHealth = shielded ? 50 : t.health;
            EXPECT_EQ(Hero->Health, wantHealth);
            EXPECT_EQ(GameState == gsDying, !shielded && t.dead);
            if (w == "arrow" || w == "stone") {
                EXPECT_TRUE(other->Killed()) << "bursts either way";
                size_t dragonDamage = 0;
                for (TExplosionSprite* e : g.All<TExplosionSprite>())
                    dragonDamage +=
                        e->PictureItem == &g.Form().DXImageList1.Items.FindImage("dragondamage");
                EXPECT_EQ(dragonDamage, 2u) << "dragon and tail both burst it";
            }
            if (w == "enemy") {
                EXPECT_TRUE(other->Killed());
                EXPECT_EQ(Score, 20) << "touched by dragon and tail: dies and scores twice";
            }
        }
    }
}

TEST_F(HeroField, LavaBurnsTenPerTouchPerFrame) {
    auto* lava = new TVolcano(true, 350); // under the dragon only
    Place(300, 400);
    for (int frame = 1; frame <= 4; ++frame) {
        Step();
        EXPECT_EQ(Hero->Health, 50 - 10 * frame);
    }
    SetGameState(gsPlaying);
    Step();
    EXPECT_EQ(Hero->Health, 0);
    EXPECT_EQ(GameState, gsDying) << "five frames kill a fresh dragon";

    Hero->Shown = HeroTail->Shown = true;
    Hero->Health = 50;
    lava->X = 285; // under dragon and tail
    Place(300, 400);
    Step();
    EXPECT_EQ(Hero->Health, 30);
}

} // namespace

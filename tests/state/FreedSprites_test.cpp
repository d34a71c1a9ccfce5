// FreedSprites_test.cpp -- the one rule for freed sprites: whichever way a sprite goes (its
// world freed whole, or killed and freed with the next frame), no global reference or array
// slot keeps pointing at it. Under the sanitizers a reference left behind is a use after free
// as soon as it is touched.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "frontend/FrontEndScenario.h"
#include "frontend/HelpImage.h"
#include "frontend/MenuSprites.h"
#include "state/GameState.h"
#include "world/Bonuses.h"
#include "world/GameField.h"
#include "world/Hero.h"
#include "world/Scenery.h"

namespace {

// Every sprite reference of the global state that is set, as a sprite.
std::vector<TSprite*> SetReferences() {
    std::vector<TSprite*> out;
    auto add = [&](TSprite* s) {
        if (s) out.push_back(s);
    };
    add(GameBack);
    add(DialogWindow);
    add(FarMountains1);
    add(FarMountains2);
    add(Hero);
    add(HeroTail);
    add(HeroShield);
    add(BonusIndicator);
    add(ScaleSprite);
    add(MenuBackground);
    add(SubBackground);
    add(HelpImage);
    for (auto* items : {&MenuItems, &MainMenuItems, &SavedMenuItems, &OptionMarks})
        for (TMenuItem* item : *items)
            add(item);
    return out;
}

std::set<const TSprite*> LiveSprites(TSprite& root) {
    std::set<const TSprite*> live;
    std::vector<TSprite*> todo{&root};
    while (!todo.empty()) {
        TSprite* s = todo.back();
        todo.pop_back();
        for (int32_t i = 0; i < s->ChildCount(); ++i) {
            live.insert(s->Child(i));
            todo.push_back(s->Child(i));
        }
    }
    return live;
}

class FreedSprites : public FrontEndScenario {
  protected:
    TSpriteEngine& Engine() { return *h->Form().DXSpriteEngine1.Engine(); }

    // Touches every set reference (a freed one trips the sanitizer) and checks that each one
    // is a sprite of the engine's tree.
    void ExpectEveryReferenceLive(const char* when) {
        const std::set<const TSprite*> live = LiveSprites(Engine());
        for (TSprite* s : SetReferences()) {
            EXPECT_TRUE(live.count(s)) << when << ": a reference to a freed sprite";
            s->Shown = s->Shown;
            EXPECT_NE(s->ClassName(), nullptr);
        }
    }
};

TEST_F(FreedSprites, FreeingTheFrontEndWithADialogOpenLeavesNoReference) {
    OpenScreen(2);              // options: marks, sub-screen background, main menu behind
    Run({"close", "frames 1"}); // the exit dialog over it: saved items, the dialog frame shown
    ASSERT_EQ(N("MenuScreen"), 5);
    ASSERT_TRUE(DialogWindow && SubBackground && OptionMarks[1] && SavedMenuItems[6]);

    Engine().FreeChildren();
    EXPECT_TRUE(SetReferences().empty()) << "every reference went with its world";

    h->Form().CreateGameField();
    ASSERT_TRUE(Hero && DialogWindow);
    ExpectEveryReferenceLive("the game field built after the front end");
}

TEST_F(FreedSprites, FreeingAGameInNameEntryLeavesNoReference) {
    EnterNameEntry(1000);
    ASSERT_TRUE(DialogWindow && Hero && MenuItems[1] && FarMountains1);

    Engine().FreeChildren();
    EXPECT_TRUE(SetReferences().empty()) << "every reference went with its world";

    h->Form().CreateMenuField();
    ASSERT_TRUE(MenuBackground && DialogWindow && MainMenuItems[1]);
    ExpectEveryReferenceLive("the front end built after the game");
}

TEST_F(FreedSprites, AKilledSpriteLeavesItsReferencesWhenTheNextFrameFreesIt) {
    OpenScreen(4); // help: page picture and background
    ASSERT_TRUE(HelpImage && SubBackground);
    Press(kDown);
    Press(kDown); // back
    Press(kEnter);
    ASSERT_EQ(N("MenuScreen"), 1);
    Run({"frames 1"});
    EXPECT_FALSE(HelpImage);
    EXPECT_FALSE(SubBackground);
    ExpectEveryReferenceLive("after leaving help");
}

TEST_F(FreedSprites, TheMiddleLayerKilledAtLevelFiveIsReplacedNotForgotten) {
    Press(kEnter); // start game
    FramesUntil("gsPlaying", 200);
    Level = 4;
    world::AdvanceLevel(); // kills the old layer, frees it at once and builds "fon2"
    ASSERT_TRUE(FarMountains1 && FarMountains2);
    EXPECT_EQ(FarMountains1->PictureItem, &GamePicture("fon2"));
    EXPECT_EQ(FarMountains2->PictureItem, &GamePicture("fon2"));
    ExpectEveryReferenceLive("after the level change");
}

} // namespace

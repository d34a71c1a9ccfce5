// DXSprite_test.cpp -- the sprite tree: creation and freeing, layer order, the move, draw and
// collision passes, deferred deletion and the component's display notices.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "graphics/ImageTestSupport.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sprites/DXSprite.h"

namespace {

using Log = std::vector<std::string>;

// A sprite that records what the passes do to it and runs optional hooks.
struct Probe : TSprite {
    Probe(TSprite* parent, std::string name, Log& log, int x = 0, int y = 0, int size = 10)
        : TSprite(parent), name(std::move(name)), log(log) {
        X = x;
        Y = y;
        Width = Height = size;
    }
    ~Probe() override { log.push_back("free " + name); }
    const char* ClassName() const override { return "Probe"; }

    void Step(int32_t frames) override {
        log.push_back("step " + name + " " + std::to_string(frames));
        if (onStep) onStep();
    }
    void Paint() override { log.push_back("paint " + name); }
    void Collided(TSprite* other, bool& stop) override {
        log.push_back("hit " + name + " " + static_cast<Probe*>(other)->name);
        if (onHit) onHit(other, stop);
    }
    bool AcceptsHit(TSprite* other) override {
        log.push_back("ask " + name + " " + static_cast<Probe*>(other)->name);
        return accepts;
    }

    std::string name;
    Log& log;
    std::function<void()> onStep;
    std::function<void(TSprite*, bool&)> onHit;
    bool accepts = true;
};

Log Only(const Log& log, const std::string& prefix) {
    Log out;
    for (const std::string& line : log)
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

struct SpriteTree : testing::Test {
    SpriteTree() {
        target.SetSize(800, 600);
        engine.SetTarget(&target);
    }
    Probe* Add(const std::string& name, int x = 0, int y = 0, TSprite* parent = nullptr) {
        return new Probe(parent ? parent : &engine, name, log, x, y);
    }
    Log Drawn() {
        log.clear();
        engine.DrawAll();
        return Only(log, "paint");
    }

    Log log;
    TDirectDrawSurface target;
    TSpriteEngine engine;
};

} // namespace

TEST_F(SpriteTree, CreationLinksEngineAndCountsSprites) {
    Probe* a = Add("a");
    Probe* b = Add("b", 0, 0, a);
    Probe* c = Add("c", 0, 0, b);
    EXPECT_EQ(engine.Engine(), nullptr);
    EXPECT_EQ(engine.Parent(), nullptr);
    EXPECT_EQ(a->Engine(), &engine);
    EXPECT_EQ(c->Engine(), &engine);
    EXPECT_EQ(c->Parent(), b);
    EXPECT_EQ(engine.SpriteCount(), 3);
    EXPECT_TRUE(c->Collides && c->Moves && c->Shown);

    Add("d");
    EXPECT_EQ(engine.Child(1)->ClassName(), std::string("Probe"));
    delete a; // takes b and c with it
    Log freed = Only(log, "free");
    std::sort(freed.begin(), freed.end());
    EXPECT_EQ(freed, (Log{"free a", "free b", "free c"}));
    EXPECT_EQ(engine.SpriteCount(), 1);
    EXPECT_EQ(engine.ChildCount(), 1);
}

TEST_F(SpriteTree, ChildIndexErrors) {
    Probe* a = Add("a");
    try {
        engine.Child(1);
        FAIL() << "no error";
    } catch (const std::out_of_range&) {
    }
    delete a;
    EXPECT_EQ(engine.ChildCount(), 0);
    try {
        engine.Child(0);
        FAIL() << "no error";
    } catch (const ESpriteError& e) {
        EXPECT_STREQ(e.what(), "Index of the list exceeds the range. (0)");
    }
    EXPECT_TRUE(engine.DrawOrder().empty());
}

TEST_F(SpriteTree, FreeChildrenFreesLastFirst) {
    Add("a");
    Add("b");
    Add("c");
    engine.FreeChildren();
    EXPECT_EQ(Only(log, "free"), (Log{"free c", "free b", "free a"}));
    EXPECT_EQ(engine.SpriteCount(), 0);
}

TEST_F(SpriteTree, WithinALayerTheLastToEnterIsDrawnFirst) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> setZ; // applied in order after creating a..d
        Log drawn;
    } cases[] = {
        {"all at layer 0", {}, {"paint d", "paint c", "paint b", "paint a"}},
        {"layers",
         {{"a", 2}, {"b", 1}, {"c", 2}, {"d", -1}},
         {"paint d", "paint b", "paint c", "paint a"}},
        {"same Z again keeps the order",
         {{"a", 3}, {"b", 3}, {"a", 3}},
         {"paint d", "paint c", "paint b", "paint a"}},
        {"leaving and re-entering a layer",
         {{"a", 3}, {"b", 3}, {"a", 4}, {"a", 3}},
         {"paint d", "paint c", "paint a", "paint b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine.FreeChildren();
        std::map<std::string, Probe*> sprites;
        for (const char* name : {"a", "b", "c", "d"})
            sprites[name] = Add(name, 10, 10);
        for (auto& [name, z] : c.setZ)
            sprites[name]->SetZ(z);
        EXPECT_EQ(Drawn(), c.drawn);
    }
}

TEST_F(SpriteTree, DrawPassPaintsWhatOverlapsTheViewAndAlwaysDescends) {
    Probe* inside = Add("inside", 100, 100);
    Add("touching", 800, 0); // box 800..810 only touches the view: not painted
    Add("edge", 795, 595);   // overlaps by 5 x 5
    Probe* outside = Add("outside", -50, 0);
    Add("child-of-outside", 60, 10, outside); // absolute (10, 10)
    Probe* hidden = Add("hidden", 10, 10);
    Add("child-of-hidden", 0, 0, hidden);
    hidden->Shown = false;
    Add("empty-on-edge", 0, 5)->Width = 0; // (0, 5, 0, 15): overlaps nothing
    Add("empty-inside", 5, 5)->Width = 0;  // strictly inside the view: overlaps

    // Layer order: all at layer 0, so the last made comes first.
    EXPECT_EQ(Drawn(),
              (Log{"paint empty-inside", "paint child-of-outside", "paint edge", "paint inside"}));
    EXPECT_EQ(engine.DrawnCount(), 4);
    inside->Shown = false;
    engine.DrawAll();
    EXPECT_EQ(engine.DrawnCount(), 3);
}

TEST_F(SpriteTree, MovePassInCreationOrderSkippingStoppedSubtrees) {
    Probe* a = Add("a");
    Probe* b = Add("b");
    Add("b1", 0, 0, b);
    Probe* c = Add("c");
    Add("c1", 0, 0, c);
    a->SetZ(5); // layer order does not matter for moving
    c->Moves = false;
    b->Shown = false; // hidden sprites still move
    b->Kill();        // so do killed ones
    engine.MoveTree(3);
    EXPECT_EQ(Only(log, "step"), (Log{"step a 3", "step b 3", "step b1 3"}));
}

TEST_F(SpriteTree, SpriteMadeDuringTheMovePassWaitsForTheNextButIsDrawn) {
    Probe* maker = Add("maker", 10, 10);
    bool made = false;
    maker->onStep = [&] {
        if (!made) Add("new", 20, 20);
        made = true;
    };
    engine.MoveTree(1);
    EXPECT_EQ(Only(log, "step"), (Log{"step maker 1"}));
    EXPECT_EQ(Drawn(), (Log{"paint new", "paint maker"}));
    log.clear();
    engine.MoveTree(1);
    EXPECT_EQ(Only(log, "step"), (Log{"step maker 1", "step new 1"}));
}

TEST_F(SpriteTree, KilledDuringMoveIsDrawnInGameOrderButNotInMenuOrder) {
    for (bool gameOrder : {true, false}) {
        SCOPED_TRACE(gameOrder ? "game: FreeKilled, MoveAll, DrawAll" : "menu: Move, Free, Draw");
        engine.FreeChildren();
        Probe* doomed = Add("doomed", 10, 10);
        doomed->onStep = [doomed] { doomed->Kill(); };
        Add("other", 30, 30);
        if (gameOrder) {
            engine.FreeKilled();
            engine.MoveTree(1);
        } else {
            engine.MoveTree(1);
            engine.FreeKilled();
        }
        Log drawn = Drawn();
        if (gameOrder) {
            EXPECT_EQ(drawn, (Log{"paint other", "paint doomed"}));
            engine.FreeKilled(); // the start of the next frame
        } else {
            EXPECT_EQ(drawn, (Log{"paint other"}));
        }
        EXPECT_EQ(engine.ChildCount(), 1);
        EXPECT_TRUE(engine.KillList().empty());
    }
}

TEST_F(SpriteTree, KillQueuesOnceAndFreesInReverseKillOrder) {
    Probe* a = Add("a");
    Probe* b = Add("b");
    Probe* c = Add("c");
    b->Kill();
    a->Kill();
    b->Kill();
    c->Kill();
    EXPECT_TRUE(b->Killed());
    EXPECT_EQ(engine.KillList(), (std::vector<TSprite*>{b, a, c}));
    engine.FreeKilled();
    EXPECT_EQ(Only(log, "free"), (Log{"free c", "free a", "free b"}));
    EXPECT_EQ(engine.SpriteCount(), 0);

    TSprite loose(nullptr); // no engine: Kill and queries quietly do nothing
    loose.Kill();
    EXPECT_FALSE(loose.Killed());
    EXPECT_EQ(loose.CheckCollisions(), 0);
}

TEST_F(SpriteTree, FreeingTheParentTakesAKilledChildOffTheKillList) {
    Probe* parent = Add("parent");
    Probe* child = Add("child", 0, 0, parent);
    Probe* other = Add("other");
    child->Kill();
    other->Kill();
    delete parent;
    EXPECT_EQ(engine.KillList(), (std::vector<TSprite*>{other}));
    engine.FreeKilled();
    EXPECT_EQ(engine.SpriteCount(), 0);
}

TEST_F(SpriteTree, QueryTestsEveryChildAndOnlyTheQuerierHears) {
    Probe* q = Add("q", 0, 0);
    Add("far", 500, 500);
    Add("near", 5, 5);
    Probe* touching = Add("touching", 10, 0); // boxes only touch
    Probe* killed = Add("killed", 2, 2);      // killed candidates are still hit
    killed->Kill();
    (void)touching;
    EXPECT_EQ(q->CheckCollisions(), 2);
    EXPECT_EQ(engine.QuerySprite(), q);
    EXPECT_EQ(engine.QueryBox(), (TRect{0, 0, 10, 10}));
    EXPECT_EQ(Only(log, "hit"), (Log{"hit q near", "hit q killed"}));
    // The querier is asked first, the candidate only if the querier accepted.
    EXPECT_EQ(Only(log, "ask"), (Log{"ask q near", "ask near q", "ask q killed", "ask killed q"}));
}

TEST_F(SpriteTree, QueryAsksBothSidesAndStopsAtTheFirstRefusal) {
    Probe* q = Add("q");
    Probe* a = Add("a");
    Probe* b = Add("b");
    q->accepts = true;
    a->accepts = false;
    b->accepts = true;
    EXPECT_EQ(q->CheckCollisions(), 1);
    EXPECT_EQ(Only(log, "hit"), (Log{"hit q b"}));
    log.clear();
    q->accepts = false;
    EXPECT_EQ(q->CheckCollisions(), 0);
    EXPECT_EQ(Only(log, "ask"), (Log{"ask q a", "ask q b"}));
}

TEST_F(SpriteTree, QuerierThatKillsItselfStillTestsEveryLaterChild) {
    Probe* q = Add("q");
    Probe* first = Add("first");
    Add("first-child", 0, 0, first);
    Add("second");
    Probe* third = Add("third");
    Add("third-child", 0, 0, third);
    q->onHit = [q](TSprite*, bool&) { q->Kill(); };
    EXPECT_EQ(q->CheckCollisions(), 3);
    // Siblings are still tested against the unchanged query box; children are not entered.
    EXPECT_EQ(Only(log, "hit"), (Log{"hit q first", "hit q second", "hit q third"}));
    EXPECT_EQ(engine.QueryBox(), (TRect{0, 0, 10, 10}));
    EXPECT_EQ(q->CheckCollisions(), 0); // a killed sprite asks no more
}

TEST_F(SpriteTree, StopFlagAndCollidesFalseOnlyPruneSubtrees) {
    Probe* q = Add("q");
    Probe* a = Add("a");
    Add("a1", 0, 0, a);
    Probe* off = Add("off");
    Add("off1", 0, 0, off);
    Add("b");
    off->Collides = false;
    q->onHit = [](TSprite* other, bool& stop) {
        if (static_cast<Probe*>(other)->name == "a") stop = true;
    };
    EXPECT_EQ(q->CheckCollisions(), 2);
    EXPECT_EQ(Only(log, "hit"), (Log{"hit q a", "hit q b"}));
    EXPECT_TRUE(engine.HitsStopped());

    q->Collides = false;
    EXPECT_EQ(q->CheckCollisions(), 0);
}

TEST_F(SpriteTree, QueryDescendsIntoChildrenOfNonOverlappingSprites) {
    Probe* q = Add("q", 300, 300);
    Probe* group = Add("group", 0, 0); // its own box is far away
    Add("member", 295, 295, group);
    EXPECT_EQ(q->CheckCollisions(), 1);
    EXPECT_EQ(Only(log, "hit"), (Log{"hit q member"}));
}

TEST_F(SpriteTree, TargetSetsTheViewAndClearingKeepsIt) {
    TDirectDrawSurface small;
    small.SetSize(320, 200);
    engine.SetTarget(&small);
    EXPECT_EQ(engine.ViewRect(), (TRect{0, 0, 320, 200}));
    EXPECT_EQ(engine.Width, 320);
    EXPECT_EQ(engine.Height, 200);
    engine.SetTarget(nullptr);
    EXPECT_EQ(engine.Target(), nullptr);
    EXPECT_EQ(engine.ViewRect(), (TRect{0, 0, 320, 200}));
}

TEST(SpriteComponent, DisplayNoticesSetAndClearTheTarget) {
    Log log; // outlives the sprites that write to it
    TDXSpriteEngine component;
    TDirectDrawSurface back;
    back.SetSize(800, 600);
    component.DisplayNotice(dxntInitialize, &back);
    EXPECT_EQ(component.Engine()->Target(), &back);
    EXPECT_EQ(component.Engine()->ViewRect(), (TRect{0, 0, 800, 600}));
    for (TDXDrawNotifyType t : {dxntInitializeSurface, dxntRestore, dxntSetSurfaceSize})
        component.DisplayNotice(t, nullptr);
    EXPECT_EQ(component.Engine()->Target(), &back);
    component.DisplayNotice(dxntFinalize, nullptr);
    EXPECT_EQ(component.Engine()->Target(), nullptr);

    // Without a display the component draws nothing, but moving and freeing work.
    new Probe(component.Engine(), "p", log, 10, 10);
    component.DisplayNotice(dxntInitialize, &back);
    component.DrawAll();
    component.MoveAll(2);
    EXPECT_EQ(log, (Log{"step p 2"}));
    component.DisplayNotice(dxntDestroying, nullptr);
    EXPECT_EQ(component.DXDraw(), nullptr);
}

TEST(SpriteComponent, FollowsTheDisplayThroughItsLife) {
    platform::HeadlessPlatform headless;
    platform::SetCurrent(&headless);
    Log log;
    TDXSpriteEngine component;
    new Probe(component.Engine(), "p", log, 10, 10);
    {
        TDXDraw display;
        component.SetDXDraw(&display);
        component.DrawAll();
        EXPECT_TRUE(log.empty()) << "display down: nothing drawn";

        display.Initialize();
        EXPECT_EQ(component.Engine()->Target(), &display.BackSurface());
        EXPECT_EQ(component.Engine()->ViewRect(), (TRect{0, 0, 800, 600}));
        EXPECT_EQ(component.Engine()->Width, 800);
        component.DrawAll();
        EXPECT_EQ(log, (Log{"paint p"}));

        display.Finalize();
        EXPECT_EQ(component.Engine()->Target(), nullptr);
        log.clear();
        component.DrawAll();
        EXPECT_TRUE(log.empty());
        display.Initialize();
    }
    EXPECT_EQ(component.DXDraw(), nullptr);
    platform::SetCurrent(nullptr);
}

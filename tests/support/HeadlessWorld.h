// HeadlessWorld.h -- the world context on the headless display without a main form: a display,
// the picture library loaded from one of the build's picture files, a sprite engine and input
// states, bound as the game binds its own. World and front-end tests build on it.
#pragma once

#include <string>
#include <vector>

#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"
#include "input/DXInput.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sprites/DXSprite.h"
#include "state/GameState.h"
#include "state/WorldContext.h"
#include "support/TestFlowHost.h"

struct HeadlessWorld {
    platform::HeadlessPlatform platform;
    TDXDraw display;
    TDXImageList pictures;
    TDXSpriteEngine engine;
    TInputStates input;
    std::vector<std::string> sounds; // effects played through the context, in order
    TestFlowHost host;               // the changes of state go to the game's flow

    // pictureFile: "menu.dxg" or "gamegraphic.dxg".
    explicit HeadlessWorld(const std::string& pictureFile) {
        ResetGameState();
        platform::SetCurrent(&platform);
        display.Display.SetWidth(800);
        display.Display.SetHeight(600);
        display.SetControlSize(800, 600);
        display.Initialize();
        pictures.SetDXDraw(&display);
        engine.SetDXDraw(&display);
        pictures.Items.LoadFromFile(std::string(SKYVERN_GAME_DIR) + "/data/" + pictureFile);
        BindWorld(engine.Engine(), &pictures.Items, &input);
        World.PlaySound = [this](const char* name) { sounds.emplace_back(name); };
        World.Host = &host;
    }
    ~HeadlessWorld() {
        engine.Engine()->FreeChildren();
        ResetGameState();
        World.Host = nullptr;
        platform::SetCurrent(nullptr);
    }
    HeadlessWorld(const HeadlessWorld&) = delete;
    HeadlessWorld& operator=(const HeadlessWorld&) = delete;

    TSpriteEngine& Engine() { return *engine.Engine(); }
    // Live sprites of the engine's top level by class name.
    int Count(const std::string& className) {
        int n = 0;
        for (int32_t i = 0; i < Engine().ChildCount(); ++i)
            n += !Engine().Child(i)->Killed() && Engine().Child(i)->ClassName() == className;
        return n;
    }
    // One 16 ms frame of the world as the game loop runs it: free, then the flow's frame
    // (move, spawn, the level clock and the dying delay).
    void PlayFrame() {
        Engine().FreeKilled();
        WorldFrame(Engine(), 1, 16);
    }
};

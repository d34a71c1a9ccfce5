// GameRun.h -- a game started on the headless backend as the main menu's start item does it,
// with helpers that shape the field for a scenario.
#pragma once

#include <string>
#include <vector>

#include "app/Harness.h"
#include "app/MainForm.h"
#include "audio/SoundEvents.h"
#include "state/GameState.h"
#include "support/GameDir.h"
#include "world/Hero.h"
#include "world/Scenery.h"

struct GameRun {
    explicit GameRun(uint32_t seed = 1, bool start = true)
        : h({.seed = seed, .workdir = dir.Path()}) {
        h.Frames(1);
        if (start) Start();
    }

    TmainForm& Form() { return h.Form(); }
    TSpriteEngine& Engine() { return *h.Form().DXSpriteEngine1.Engine(); }

    // The main menu's start item.
    void Start() {
        MenuScreen = 1;
        MainMenuHover = false;
        SelectedItem = 1;
        DoMenuAction();
    }
    // The 1500 ms level banner: 94 frames of 16 ms.
    void PassBanner() { h.Frames(94); }
    // Nothing spawns for the next 65535 frames of play.
    static void HoldSpawns() { EnemyDelay = BonusDelay = TreeDelay = 65535; }
    // Removes the grille (it goes at the start of the next frame).
    void RemoveGrille() {
        for (int i = 0; i < Engine().ChildCount(); ++i)
            if (dynamic_cast<TReshetkaSprite*>(Engine().Child(i))) Engine().Child(i)->Kill();
    }
    int Count(const std::string& className) {
        std::string v = h.Field("Sprites." + className);
        return v == "null" ? 0 : std::stoi(v);
    }
    std::string State() { return h.Field("GameState"); }
    // Every live child of the engine of class T, in creation order.
    template <class T> std::vector<T*> All() {
        std::vector<T*> out;
        for (int i = 0; i < Engine().ChildCount(); ++i)
            if (auto* s = dynamic_cast<T*>(Engine().Child(i)); s && !s->Killed()) out.push_back(s);
        return out;
    }
    // Removes every sprite that moves on its own from the field, as the field reset does.
    void Clear() {
        Form().ClearGameField();
        Form().DXSpriteEngine1.FreeKilled();
    }
    // Whether a sound was played since the last call (the list is emptied).
    static int TimesPlayed(const std::string& name) {
        int n = 0;
        for (const std::string& s : TakeSoundsPlayed())
            n += s == name;
        return n;
    }

    TempGameDir dir;
    THarness h;
};

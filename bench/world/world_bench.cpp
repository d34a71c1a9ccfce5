// world_bench.cpp -- frame work of the game loop: runs the real DXTimer2Timer headless (move,
// collisions, spawning, drawing, text; presenting the frame is left out) and prints the median
// and 99th percentile per frame in microseconds, on a heavy field of 300+ live sprites and on
// a normal level-1 field. Targets: median under 1000 us, 99th percentile under 3000 us.
// Wall-clock times include whatever else the machine runs; the thread's CPU time does not.
//   bench_world [frames] [game directory]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/headless/HeadlessPlatform.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "timer/Application.h"
#include "world/Bonuses.h"
#include "world/Enemy.h"
#include "world/Hero.h"
#include "world/Scenery.h"
#include "world/Shots.h"

namespace {

// The headless backend without the copy of each presented frame: only the game's work counts.
struct BenchPlatform : platform::HeadlessPlatform {
    void Present(const uint32_t*, int, int, int) override { ++presents; }
};

struct Spread {
    double median = 0, p99 = 0, max = 0;
};

Spread SpreadOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)], v.back()};
}

struct Figures {
    Spread wall, cpu;
    double sprites = 0;
};

double CpuMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

class Bench {
  public:
    explicit Bench(uint32_t seed) {
        platform::SetCurrent(&platform_);
        Application().Reset();
        ResetGameState();
        OverrideClockSeed(seed);
        form_ = std::make_unique<TmainForm>();
        Frame();
        // The main menu's start item.
        MenuScreen = 1;
        SelectedItem = 1;
        DoMenuAction();
        while (GameState != gsPlaying)
            Frame();
    }
    ~Bench() {
        form_.reset();
        Application().Reset();
        ClearClockSeedOverride();
        platform::SetCurrent(nullptr);
    }

    TSpriteEngine& Engine() { return *form_->DXSpriteEngine1.Engine(); }

    // One frame; adds the wall-clock and CPU time of the timer's frame in microseconds.
    void Frame(std::vector<double>* wall = nullptr, std::vector<double>* cpu = nullptr) {
        platform_.Advance(16);
        Application().ProcessMessages();
        const double c0 = CpuMicroseconds();
        const auto t0 = std::chrono::steady_clock::now();
        Application().Idle();
        const auto t1 = std::chrono::steady_clock::now();
        const double c1 = CpuMicroseconds();
        if (wall) wall->push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        if (cpu) cpu->push_back(c1 - c0);
    }

    // Runs frames, calling prepare before each (untimed).
    Figures Run(int frames, const std::function<void()>& prepare) {
        std::vector<double> wall, cpu;
        double sprites = 0;
        for (int i = 0; i < frames; ++i) {
            prepare();
            sprites += Engine().SpriteCount();
            Frame(&wall, &cpu);
        }
        return {SpreadOf(wall), SpreadOf(cpu), sprites / frames};
    }

  private:
    BenchPlatform platform_;
    std::unique_ptr<TmainForm> form_;
};

// Keeps the dragon alive and firing, and the level from ending.
void KeepPlaying() {
    GameState = gsPlaying;
    LevelTime = 0;
    if (!Hero) return;
    Hero->Shown = true;
    if (HeroTail) HeroTail->Shown = true;
    Hero->Health = 50;
    ShieldTime = 1000000;
    if (HeroShield) HeroShield->Shown = true;
    if (BonusIndicator) BonusIndicator->Shown = true;
    MouseFire = true;
}

template <class T> int Live(TSpriteEngine& engine) {
    int n = 0;
    for (int i = 0; i < engine.ChildCount(); ++i)
        if (auto* s = dynamic_cast<T*>(engine.Child(i)); s && !s->Killed()) ++n;
    return n;
}

// Tops the field up to a crowd of every kind of sprite, spread over the screen.
void Crowd(TSpriteEngine& engine) {
    static int next = 0;
    while (Live<TFlyingEnemySprite>(engine) < 100) {
        auto* e = new TFlyingEnemySprite(1 + next++ % 8, &engine);
        e->X = 150 + Random(650);
    }
    while (Live<TWeaponSprite>(engine) < 60) {
        static const struct {
            const char* picture;
            uint8_t kind;
        } shots[] = {{"arrow", 1}, {"arrow2", 2}, {"burnstone", 3}, {"burnstone2", 4}};
        const auto& s = shots[next++ % 4];
        new TWeaponSprite(&engine, s.picture, s.kind, 2, 100 + Random(700), 80 + Random(450));
    }
    while (Live<THeroWeaponSprite>(engine) < 40)
        new THeroWeaponSprite(&engine, uint8_t(1 + next++ % 4), Random(780), 80 + Random(480));
    while (Live<TExplosionSprite>(engine) < 50)
        new TExplosionSprite(&engine, ExplosionNames[size_t(next++ % 3)], 4, Random(780),
                             80 + Random(450));
    while (Live<TGreenTree>(engine) < 20)
        (new TGreenTree())->X = Random(800);
    while (Live<TVolcano>(engine) < 16) {
        const int x = Random(800);
        new TVolcano(true, x + 69);
        new TVolcano(false, x);
    }
    while (Live<TBonusSprite>(engine) < 10)
        (new TBonusSprite(&engine))->X = 200 + Random(600);
}

void Print(const char* what, const Figures& f) {
    std::printf("%s (%.0f live sprites on average)\n", what, f.sprites);
    std::printf("  wall clock   median %7.1f us   p99 %7.1f us   max %8.1f us\n", f.wall.median,
                f.wall.p99, f.wall.max);
    std::printf("  thread CPU   median %7.1f us   p99 %7.1f us   max %8.1f us\n", f.cpu.median,
                f.cpu.p99, f.cpu.max);
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 3000;
    std::filesystem::current_path(argc > 2 ? argv[2] : SKYVERN_GAME_DIR);
    std::printf("game loop frame work over %d frames (targets: median < 1000 us, p99 < 3000 us)\n",
                frames);
    {
        Bench bench(1);
        Figures f = bench.Run(frames, [&] {
            KeepPlaying();
            Crowd(bench.Engine());
        });
        Print("heavy field", f);
    }
    {
        Bench bench(2);
        Figures f = bench.Run(frames, [] { KeepPlaying(); });
        Print("level 1, dragon firing", f);
    }
    return 0;
}

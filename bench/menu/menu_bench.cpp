// menu_bench.cpp -- runs the game (SDL backend, real window) in its main menu for a while
// and prints the CPU it used, in % of one core, and the frames it presented per second.
// Run from the game's directory (build/game), under Xvfb where there is no display:
//   bench/menu/run.sh
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/MainForm.h"
#include "platform/sdl/SdlPlatform.h"
#include "timer/Application.h"

namespace {
double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    std::string error;
    auto platform = platform::CreateSdlPlatform(error);
    if (!platform) {
        std::fprintf(stderr, "bench_menu: %s\n", error.c_str());
        return 1;
    }
    platform::SetCurrent(platform.get());
    TmainForm form;
    // Let the window settle before measuring.
    auto until = [&](double s) {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(s);
        while (std::chrono::steady_clock::now() < end && !Application().Terminated()) {
            Application().ProcessMessages();
            int wait = Application().Idle();
            platform::Current().WaitEvent(wait < 0 ? 10 : wait);
        }
    };
    until(1.0);
    const uint64_t frames0 = form.DXDraw.FlipCount();
    const double cpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    until(seconds);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuSeconds() - cpu0;
    const uint64_t frames = form.DXDraw.FlipCount() - frames0;
    std::printf("menu loop over %.1f s: CPU %.2f %% of one core, %.2f frames per second\n", wall,
                100.0 * cpu / wall, frames / wall);
    return 0;
}

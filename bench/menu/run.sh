#!/usr/bin/env bash
# Idle menu benchmark: builds, then runs the game's main menu in a window for 10 s (under Xvfb
# when there is no display) and prints CPU % of one core and frames per second.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build build -j"$(nproc)" --target bench_menu game_data >/dev/null
cd build/game
run() { ../bin/bench_menu "${1:-10}"; }
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$(declare -f run); run ${1:-10}"
else
  run "${1:-10}"
fi

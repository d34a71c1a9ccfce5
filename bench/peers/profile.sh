#!/usr/bin/env bash
# profile.sh -- the game's own frame work, counted exactly: callgrind runs the harness (the real
# game code on the headless backend) for 300 frames of the idle main menu and 300 frames of play
# with fire held, and prints instructions per frame and the functions that take the most.
# Instruction counts do not depend on the machine's load, so two builds compare exactly.
# Usage: bench/peers/profile.sh [BUILD_DIR]   (default build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cmake --build "$build" -j"$(nproc)" --target skyvern-harness game_data >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ln -s "$PWD/$build/game/data" "$PWD/$build/game/sound" "$tmp/"
harness=$PWD/$build/bin/skyvern-harness

printf 'frames 30\n' >"$tmp/warm"
printf 'frames 30\nframes 300\n' >"$tmp/menu"
# Into play (the banner lasts 94 frames), then fire held with a push right now and then.
{
    printf 'frames 30\nkey press 13\nframes 100\nkey down 17\n'
    for _ in 1 2 3 4 5 6 7 8 9 10; do printf 'key down 39\nframes 8\nkey up 39\nframes 22\n'; done
} >"$tmp/play"
printf 'frames 30\nkey press 13\nframes 100\nkey down 17\n' >"$tmp/banner"

# Instructions of the frames in a script (callgrind counts inside THarness::Frames only).
count() {
    (cd "$tmp" && SDL_AUDIODRIVER=dummy valgrind --tool=callgrind --callgrind-out-file="$tmp/$1.out" \
        --toggle-collect='THarness::Frames(int)' "$harness" --seed 16 "$tmp/$1" >/dev/null 2>&1)
    callgrind_annotate "$tmp/$1.out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }'
}
warm=$(count warm)
menu=$(count menu)
banner=$(count banner)
play=$(count play)
awk -v w="$warm" -v m="$menu" -v b="$banner" -v p="$play" 'BEGIN {
    printf "idle main menu: %.0f instructions per frame\n", (m - w) / 300
    printf "play, fire held: %.0f instructions per frame\n", (p - b) / 300
}'
echo "most instructions in play:"
callgrind_annotate --inclusive=no "$tmp/play.out" 2>/dev/null | sed -n '/^Ir/,$p' | sed -n 3,14p

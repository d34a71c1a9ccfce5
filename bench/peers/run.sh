#!/usr/bin/env bash
# run.sh -- what a frame costs us beside the lightest peer a Linux player might pick instead,
# Powermanga (Debian package `powermanga`, installed here when missing; a benchmark opponent
# only, never a build or test dependency). Both games run at the same time, each under its own
# private Xvfb 1280x1024x24 with SDL's dummy audio driver, so the machine's noise falls on both.
# CPU of each game process and of its X server is measured over the same 10 s, first in the
# idle main menu, then in play with fire held (driven with xdotool). A screenshot of each game
# in play is kept under build/artefacts/peers/ as proof that it really was in play; the menu
# shot must differ from it. Two rounds; prints the figures and the ratios Skyvern / peer
# against the targets (idle menu total at most 0.5x the peer's, play total at most 1.0x).
# Usage: bench/peers/run.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds=${1:-2}
seconds=${SKYVERN_BENCH_SECONDS:-10}

if ! [ -x /usr/games/powermanga ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        powermanga >/dev/null
fi
cmake --build build -j"$(nproc)" --target skyvern game_data xwin >/dev/null
root=$PWD
xwin=$root/build/bin/xwin
shots=$root/build/artefacts/peers
mkdir -p "$shots"
tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT

# A private X server for game $1: sets display[$1] and xpid[$1].
declare -A display xpid
xserver() {
    rm -f "$tmp/display.$1"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp 3>"$tmp/display.$1" \
        >/dev/null 2>&1 &
    xpid[$1]=$!
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$tmp/display.$1" ] && break
        sleep 0.1
    done
    display[$1]=":$(head -n1 "$tmp/display.$1")"
}
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
pct() { awk -v t="$1" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

# Samples the four processes over the same window; sets the named array to their CPU %.
measure() {
    local -n into=$1
    shift
    local before=() p i=0
    for p in "$@"; do before+=("$(ticks "$p")"); done
    sleep "$seconds"
    into=()
    for p in "$@"; do
        into+=("$(pct $(($(ticks "$p") - before[i])))")
        i=$((i + 1))
    done
}

printf 'Skyvern (800x600) beside Powermanga (--window, 640x400), %s s per figure, %s rounds\n' \
    "$seconds" "$rounds"
printf 'load average before: %s; %s cores\n' "$(cut -d' ' -f1-3 /proc/loadavg)" "$(nproc)"
printf '%-6s %-6s %-11s %9s %9s %9s\n' round scene game "game %" "X %" "total %"
sums=()
for round in $(seq "$rounds"); do
    xserver sky
    xserver peer
    sd=${display[sky]} sx=${xpid[sky]}
    pd=${display[peer]} px=${xpid[peer]}

    # Skyvern as a new player starts it: an empty folder with the data linked in.
    work=$tmp/sky.$round
    mkdir -p "$work"
    ln -s "$root/build/game/data" "$root/build/game/sound" "$work/"
    read -r sg swin _ < <(cd "$work" && DISPLAY=$sd SDL_AUDIODRIVER=dummy \
        "$xwin" launch org.skyvern.Skyvern 20 "$root/build/game/skyvern")
    pids+=("$sg")
    mkdir -p "$tmp/home.$round"
    DISPLAY=$pd HOME=$tmp/home.$round SDL_AUDIODRIVER=dummy /usr/games/powermanga --window \
        >/dev/null 2>&1 &
    pg=$!
    pids+=("$pg")
    pwin=$(DISPLAY=$pd xdotool search --sync --name '^Powermanga')
    # Menus run while their window has the focus; there is no window manager to give it.
    DISPLAY=$sd xdotool windowfocus --sync "$swin"
    DISPLAY=$pd xdotool windowfocus --sync "$pwin"
    sleep 14 # Powermanga's opening flight ends in its menu
    measure menu "$sg" "$sx" "$pg" "$px"
    DISPLAY=$sd "$xwin" shot "$shots/skyvern-menu-$round.png"
    DISPLAY=$pd "$xwin" shot "$shots/powermanga-menu-$round.png"

    # Into play: START GAME is selected from the start in both; fire is Ctrl here, Space there.
    DISPLAY=$sd xdotool key Return
    DISPLAY=$pd xdotool key Return
    sleep 2.5
    DISPLAY=$sd xdotool keydown ctrl keydown Right
    DISPLAY=$pd xdotool keydown space
    sleep 0.7
    DISPLAY=$sd xdotool keyup Right
    # The dragon drifts towards the deadly grille: steer it away now and then, as a player would.
    (
        sleep 4.5
        DISPLAY=$sd xdotool keydown Right
        sleep 0.4
        DISPLAY=$sd xdotool keyup Right
    ) &
    steering=$!
    measure play "$sg" "$sx" "$pg" "$px"
    wait "$steering"
    DISPLAY=$sd "$xwin" shot "$shots/skyvern-play-$round.png"
    DISPLAY=$pd "$xwin" shot "$shots/powermanga-play-$round.png"
    DISPLAY=$sd xdotool keyup ctrl
    DISPLAY=$pd xdotool keyup space
    for g in skyvern powermanga; do
        if cmp -s "$shots/$g-menu-$round.png" "$shots/$g-play-$round.png"; then
            echo "$g did not leave its menu in round $round" >&2
            exit 1
        fi
    done

    row() {
        printf '%-6s %-6s %-11s %9s %9s %9s\n' "$round" "$1" "$2" "$3" "$4" \
            "$(awk -v a="$3" -v b="$4" 'BEGIN { printf "%.2f", a + b }')"
    }
    row menu skyvern "${menu[0]}" "${menu[1]}"
    row menu powermanga "${menu[2]}" "${menu[3]}"
    row play skyvern "${play[0]}" "${play[1]}"
    row play powermanga "${play[2]}" "${play[3]}"
    sums+=("$(awk -v a="${menu[0]}" -v b="${menu[1]}" -v c="${menu[2]}" -v d="${menu[3]}" \
        -v e="${play[0]}" -v f="${play[1]}" -v g="${play[2]}" -v h="${play[3]}" \
        'BEGIN { printf "%.3f %.3f", (a + b) / (c + d), (e + f) / (g + h) }')")

    kill "$sg" "$pg" 2>/dev/null || true
    wait "$pg" 2>/dev/null || true
    sleep 0.5
    kill "$sx" "$px" 2>/dev/null || true
    pids=()
done

echo "ratios Skyvern / Powermanga, game + X server:"
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v <= limit) ? "ok" : "MISSED" }'; }
for round in $(seq "$rounds"); do
    read -r m p <<<"${sums[round - 1]}"
    printf '  round %s: idle menu %.2fx (target <= 0.5x) %s; play %.2fx (target <= 1.0x) %s\n' \
        "$round" "$m" "$(verdict "$m" 0.5)" "$p" "$(verdict "$p" 1.0)"
done
echo "screenshots: $shots"

#!/usr/bin/env bash
# run.sh -- figures of the installed game as a player starts it: through the launcher, with a
# fresh per-user folder, in a real SDL window (under Xvfb where there is no display). Prints the
# time from exec to the first drawn frame, CPU in the main menu and in play with the fire key
# held (% of one core, 10 s each), and the peak resident memory, against their targets.
# Usage: bench/installed/run.sh [PREFIX]
#   PREFIX: an installed tree (e.g. /usr after installing the packages); by default this source tree
#   is built and installed into a temporary prefix. Needs xdotool; Xvfb when there is no display.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${SKYVERN_BENCH_SECONDS:-10}

cmake --build build -j"$(nproc)" >/dev/null
xwin=$PWD/build/bin/xwin
tmp=$(mktemp -d)
game=""
xvfb=""
cleanup() {
    xdotool keyup ctrl keyup Right 2>/dev/null || true
    [ -z "$game" ] || kill "$game" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

if [ $# -ge 1 ]; then
    prefix=$1
else
    prefix=$tmp/prefix
    cmake --install build --prefix "$prefix" >/dev/null
fi
app_id=$(basename "$(ls "$prefix"/share/applications/*.desktop)" .desktop)
# The launcher is where games go in the Debian packages, in bin in a plain install.
launcher=$prefix/bin/skyvern
[ -x "$prefix/games/skyvern" ] && launcher=$prefix/games/skyvern

display="your display ${DISPLAY:-}"
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp 3>"$tmp/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    export DISPLAY=:$(head -n1 "$tmp/display")
    display="Xvfb $DISPLAY, 1280x1024x24"
fi

# CPU time of the game process (all threads) in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
hz=$(getconf CLK_TCK)
# CPU % of one core over $seconds.
measure() {
    local before after
    before=$(ticks)
    sleep "$seconds"
    after=$(ticks)
    awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v < limit) ? "ok" : "MISSED" }'; }

load=$(cut -d' ' -f1-3 /proc/loadavg)
# A new player: empty home; the sound is mixed as for a real device, into SDL's dummy output.
mkdir "$tmp/home"
read -r game window first_ms < <(env -u XDG_DATA_HOME HOME="$tmp/home" SDL_AUDIODRIVER=dummy \
    "$xwin" launch "$app_id" 20 "$launcher")
# The menu runs only while the window has the focus (there may be no window manager to give it).
xdotool windowfocus --sync "$window"
sleep 1
menu=$(measure)

xdotool key Return # START GAME is selected from the start
sleep 2            # the level banner
# Fire held all along; the dragon drifts towards the deadly grille on the left, so it is
# steered away from it now and then, as a player would.
steer() {
    xdotool keydown Right
    sleep "$1"
    xdotool keyup Right
}
xdotool keydown ctrl
steer 0.7
(
    sleep 4.5
    steer 0.4
) &
steering=$!
play=$(measure)
wait "$steering"
xdotool keyup ctrl
peak_kb=$(awk '/^VmHWM/ { print $2 }' "/proc/$game/status")
peak=$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')

# SIGTERM ends the game as a session logout does: at once, without the exit dialog.
kill -TERM "$game"
for _ in $(seq 50); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
done
game=""

echo "Skyvern installed in $prefix ($launcher), on $display; load average before: $load; $(nproc) cores"
row() { printf '  %-50s %7s %-3s (target < %s) %s\n' "$1" "$2" "$3" "$4" "$(verdict "$2" "${4%% *}")"; }
row "exec to first drawn frame:" "$first_ms" ms "300 ms"
row "main menu, CPU of one core over ${seconds} s:" "$menu" % "3 %"
row "play with fire held, CPU of one core over ${seconds} s:" "$play" % "3.7 %"
row "peak resident memory:" "$peak" MB "40 MB"

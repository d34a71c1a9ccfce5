#!/usr/bin/env bash
# pulse_stream_test.sh -- the real game against a real PulseAudio server of its own (user mode,
# its own runtime folder, one null sink): the game starts while there is no server and says
# once that it plays without sound; the server started after it gets the game's stream, named
# "Skyvern" with the role of a game, within a few seconds; a restart of the server during play
# brings the stream back; what the sink receives is the game's music, with no clipped sample.
# Usage: pulse_stream_test.sh GAME_PROGRAM GAME_DIR [sanitize]   (exit 77 = skipped)
set -euo pipefail
program=$1 gamedir=$2
if [ "${3:-}" = sanitize ]; then
    # libpulse leaks a sink query of SDL's hot-plug thread at exit (88 bytes, not ours):
    # memory errors are still caught, leaks not.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    [ -z "${tmp:-}" ] || { echo "--- game's stderr"; cat "$tmp/game.err"; } >&2 || true
    exit 1
}
command -v pulseaudio >/dev/null || skip "pulseaudio is missing (Debian package pulseaudio)"
command -v pactl >/dev/null || skip "pactl is missing (Debian package pulseaudio-utils)"
command -v parec >/dev/null || skip "parec is missing (Debian package pulseaudio-utils)"

tmp=$(mktemp -d)
game="" pulse=""
cleanup() {
    [ -z "$game" ] || kill -9 "$game" 2>/dev/null || true
    [ -z "$pulse" ] || kill -9 "$pulse" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

# Everything of the server's and its clients' in our folder: no other session's server is
# reached, and none is started on its own.
mkdir -p "$tmp/run" "$tmp/home" "$tmp/play"
chmod 700 "$tmp/run"
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/run PULSE_RUNTIME_PATH=$tmp/run/pulse
export PULSE_SERVER=unix:$tmp/run/pulse/native
printf 'autospawn = no\n' >"$tmp/client.conf"
export PULSE_CLIENTCONFIG=$tmp/client.conf
unset PULSE_PROP SDL_AUDIODRIVER || true

start_pulse() {
    mkdir -p "$tmp/run/pulse"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
        --log-target=file:"$tmp/pulse.log" \
        -L "module-native-protocol-unix socket=$tmp/run/pulse/native auth-anonymous=1" \
        -L "module-null-sink sink_name=skyvern_test rate=44100 channels=2" &
    pulse=$!
    for _ in $(seq 50); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "the PulseAudio server did not start: $(tail -5 "$tmp/pulse.log")"
}
stop_pulse() {
    kill "$pulse"
    wait "$pulse" 2>/dev/null || true
    pulse=""
}
# Waits up to 10 s for the game's stream on the sink; prints its properties.
game_stream() {
    for _ in $(seq 100); do
        if pactl list sink-inputs 2>/dev/null | grep -q 'application.name = "Skyvern"'; then
            pactl list sink-inputs
            return 0
        fi
        sleep 0.1
    done
    return 1
}

ln -s "$gamedir/data" "$tmp/play/data"
ln -s "$gamedir/sound" "$tmp/play/sound"
cd "$tmp/play"
SDL_VIDEODRIVER=dummy "$program" 2>"$tmp/game.err" &
game=$!
sleep 3 # a few tries at a device that is not there
kill -0 "$game" 2>/dev/null || fail "the game did not keep running without a sound server"
told=$(grep -c 'playing without sound' "$tmp/game.err" || true)
[ "$told" = 1 ] || fail "said $told times that it plays without sound (once expected)"

start_pulse
began=$(date +%s%N)
streams=$(game_stream) || fail "no stream of the game on the server started after it"
echo "stream after $((($(date +%s%N) - began) / 1000000)) ms"
echo "$streams" | grep -q 'media.name = "Skyvern"' || fail "the stream is not named Skyvern"
echo "$streams" | grep -q 'media.role = "game"' || fail "the stream has no game role"

# What the sink plays: the menu's song, not silence, and nothing at full scale.
timeout 3 parec -d skyvern_test.monitor --raw --format=s16le --channels=2 --rate=44100 \
    >"$tmp/record.raw" || true
read -r samples peak clipped < <(od -An -v -td2 -w2 "$tmp/record.raw" |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > p) p = v; if (v >= 32767) c++; n++ }
         END { print n + 0, p + 0, c + 0 }')
echo "recorded $samples samples, peak $peak, clipped $clipped"
[ "$samples" -gt 44100 ] || fail "hardly anything recorded ($samples samples)"
[ "$peak" -gt 1000 ] || fail "the recording is silent (peak $peak)"
[ "$clipped" = 0 ] || fail "$clipped clipped samples in the recording"

# The server goes away during play and comes back.
stop_pulse
sleep 2
kill -0 "$game" 2>/dev/null || fail "the game ended when the sound server went away"
start_pulse
began=$(date +%s%N)
game_stream >/dev/null || fail "the stream did not come back after the server restarted"
echo "stream back after $((($(date +%s%N) - began) / 1000000)) ms"

kill -TERM "$game"
for _ in $(seq 50); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$game" 2>/dev/null; then fail "the game did not end on SIGTERM"; fi
wait "$game" || fail "the game ended with status $?"
game=""
stop_pulse
echo "$streams" | grep -E 'application.name|media.name|media.role'
echo "--- game's stderr"
cat "$tmp/game.err"
echo PASSED

#!/usr/bin/env bash
# desktop_test.sh -- the game's window on real desktops, each case on an X server of its own:
#   AnUnfocusedWindowShowsTheMenu: under openbox with focusNew off, another window keeping the
#     focus, the game's window shows the harness's menu frame
#   TheMenuShowsUnderWaylandWithoutFocus: the game on weston (its X11 backend inside Xvfb) with
#     SDL_VIDEODRIVER=wayland: weston's output shows the harness's menu frame
#   FullScreenWithoutAWindowManagerCoversTheScreen: Alt+Enter with no window manager gives a
#     window of the screen's size with the menu letterboxed in it, and back
#   AScaledDesktopOpensABigWindowThatKeepsTheSizeChosen: at 192 dpi the window opens at twice
#     800 x 600; a border drag scales the picture and the size is kept in window.cfg for the
#     next start
# Usage: desktop_test.sh CASE SKYVERN HARNESS XWIN OTHERWINDOW GAMEDIR APP_ID [sanitize]
#   (exit 77 = skipped)
set -euo pipefail
case=$1 game=$2 harness=$3 xwin=$4 otherwindow=$5 gamedir=$6 app_id=$7
here=$(cd "$(dirname "$0")" && pwd)
compare=$here/pngcompare.py

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# The desktops' own libraries keep memory to the end, which the leak checker would report.
[ "${8:-}" != sanitize ] || skip "the desktops are tested in the normal build only"
command -v Xvfb >/dev/null || skip "Xvfb is missing (Debian package xvfb)"
command -v xdotool >/dev/null || skip "xdotool is missing (Debian package xdotool)"
command -v python3 >/dev/null || skip "python3 is missing (Debian package python3)"
[ -x "$xwin" ] || skip "the X11 helper was not built (Debian package libx11-dev)"

tmp=$(mktemp -d)
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[i]}" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT

# An X server of our own on a free display number: start_x SCREEN [XVFB ARGS...]
start_x() {
    Xvfb -displayfd 3 -screen 0 "$1" "${@:2}" -br -nolisten tcp 3>"$tmp/display" \
        2>"$tmp/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    [ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    export DISPLAY=:$(head -n1 "$tmp/display")
}

# A working directory with the generated data: game_dir NAME
game_dir() {
    mkdir -p "$tmp/$1"
    ln -sfn "$gamedir/data" "$tmp/$1/data"
    ln -sfn "$gamedir/sound" "$tmp/$1/sound"
    echo "$tmp/$1"
}

# The menu as the harness draws it for a window that opened without the focus.
menu_frame() {
    echo "shot $tmp/harness-menu.png" |
        "$harness" --seed 1 --no-audio --unfocused --workdir "$(game_dir harness)" - >/dev/null ||
        fail "the harness did not draw the menu"
    python3 "$compare" plain "$tmp/harness-menu.png" "$tmp/menu.png"
}

start_game() { # start_game DIR [ENV...]
    local dir=$1
    shift
    (cd "$dir" && exec env "$@" "$game") >"$tmp/game.log" 2>&1 &
    pids+=($!)
    gamepid=$!
}

geometry() { xdotool getwindowgeometry "$1" | sed -n 's/ *Geometry: //p'; }
wait_geometry() { # wait_geometry WINDOW WxH
    local g=""
    for _ in $(seq 100); do
        g=$(geometry "$1")
        [ "$g" = "$2" ] && return 0
        sleep 0.1
    done
    echo "$g"
    return 1
}
# The pictures looked at are kept in $DESKTOP_SHOTS when it is set: keep_shot NAME
shot_count=0
keep_shot() {
    [ -n "${DESKTOP_SHOTS:-}" ] || return 0
    mkdir -p "$DESKTOP_SHOTS"
    shot_count=$((shot_count + 1))
    cp "$tmp/shot.png" "$DESKTOP_SHOTS/$case-$shot_count-$1.png"
}
# Retries: the picture needs a frame or two after a change of size.
# shows COMPARE-MODE SHOT-NAME [WINDOW]: the window shows the menu as pngcompare's mode says.
shows() {
    local mode=$1 name=$2
    shift 2
    for _ in $(seq 30); do
        "$xwin" shot "$tmp/shot.png" "$@" && python3 "$compare" "$mode" "$tmp/menu.png" \
            "$tmp/shot.png" >"$tmp/compare.txt" && keep_shot "$name" && return 0
        sleep 0.2
    done
    keep_shot failed
    return 1
}
shows_scaled() { shows scaled scaled "$1"; } # shows_scaled WINDOW
shows_1to1() { shows find menu "$@"; }       # shows_1to1 [WINDOW]

case $case in
AnUnfocusedWindowShowsTheMenu)
    command -v openbox >/dev/null || skip "openbox is missing (Debian package openbox)"
    start_x 1024x768x24
    cat >"$tmp/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>no</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
</openbox_config>
XML
    HOME=$tmp openbox --config-file "$tmp/rc.xml" >"$tmp/openbox.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    menu_frame
    # Another window holds the focus when the game starts.
    SDL_VIDEO_X11_WMCLASS=otherwindow "$otherwindow" >/dev/null 2>&1 &
    pids+=($!)
    other=$(xdotool search --sync --name '^otherwindow$' | head -n1)
    xdotool windowactivate "$other" 2>/dev/null || true
    timeout 10 xdotool windowfocus --sync "$other" || fail "cannot focus the other window"
    start_game "$(game_dir game)"
    win=$("$xwin" wait "$app_id" 20) || fail "no window of class $app_id"
    shows_1to1 "$win" || fail "the unfocused window does not show the menu: $(cat "$tmp/compare.txt")"
    [ "$(xdotool getwindowfocus)" = "$other" ] || fail "the game took the focus: the case is void"
    echo "unfocused under openbox: the menu at $(cat "$tmp/compare.txt")"
    ;;
TheMenuShowsUnderWaylandWithoutFocus)
    command -v weston >/dev/null || skip "weston is missing (Debian package weston)"
    start_x 1280x1024x24
    export XDG_RUNTIME_DIR=$tmp/run
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    socket=skyvern-test
    weston --backend=x11-backend.so --use-pixman --width=1024 --height=768 --idle-time=0 \
        --socket="$socket" --no-config >"$tmp/weston.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
        sleep 0.1
    done
    [ -S "$XDG_RUNTIME_DIR/$socket" ] || fail "weston did not start: $(tail -n5 "$tmp/weston.log")"
    menu_frame
    start_game "$(game_dir game)" -u DISPLAY WAYLAND_DISPLAY="$socket" SDL_VIDEODRIVER=wayland
    # What weston's output window shows.
    shows_1to1 || fail "weston does not show the menu: $(cat "$tmp/compare.txt"); game: $(cat "$tmp/game.log")"
    kill -0 "$gamepid" || fail "the game ended: $(cat "$tmp/game.log")"
    echo "under weston: the menu at $(cat "$tmp/compare.txt")"
    ;;
FullScreenWithoutAWindowManagerCoversTheScreen)
    # Not 4:3, so the picture has bars beside it.
    start_x 1280x800x24
    menu_frame
    dir=$(game_dir game)
    start_game "$dir"
    win=$("$xwin" wait "$app_id" 20) || fail "no window of class $app_id"
    "$xwin" drawn "$win" 20 || fail "the window shows nothing"
    timeout 10 xdotool windowfocus --sync "$win" || fail "cannot focus the window"
    xdotool keydown Alt_L
    sleep 0.2
    xdotool key Return
    sleep 0.2
    xdotool keyup Alt_L
    g=$(wait_geometry "$win" 1280x800) || fail "full screen without a window manager: a window of $g"
    pos=$(xdotool getwindowgeometry "$win" | sed -n 's/ *Position: \([0-9]*,[0-9]*\).*/\1/p')
    [ "$pos" = 0,0 ] || fail "the full-screen window stands at $pos"
    shows_scaled "$win" || fail "not the letterboxed menu: $(cat "$tmp/compare.txt")"
    echo "full screen: $(cat "$tmp/compare.txt")"
    timeout 10 xdotool windowfocus --sync "$win" || fail "cannot focus the window"
    xdotool keydown Alt_L
    sleep 0.2
    xdotool key Return
    sleep 0.2
    xdotool keyup Alt_L
    g=$(wait_geometry "$win" 800x600) || fail "back from full screen: a window of $g"
    shows_1to1 "$win" || fail "back in the window, not the menu: $(cat "$tmp/compare.txt")"
    ;;
AScaledDesktopOpensABigWindowThatKeepsTheSizeChosen)
    start_x 2560x1600x24 -dpi 192
    menu_frame
    dir=$(game_dir game)
    start_game "$dir"
    win=$("$xwin" wait "$app_id" 20) || fail "no window of class $app_id"
    g=$(wait_geometry "$win" 1600x1200) || fail "at 192 dpi the window opened at $g"
    shows_scaled "$win" || fail "not the menu at twice its size: $(cat "$tmp/compare.txt")"
    echo "opened: $(cat "$tmp/compare.txt")"
    # A border drag: the window keeps the size and the picture scales, letterboxed.
    xdotool windowsize "$win" 1000 700
    sleep 1
    g=$(wait_geometry "$win" 1000x700) || fail "a border drag to 1000x700 left $g"
    shows_scaled "$win" || fail "not the menu scaled to 1000x700: $(cat "$tmp/compare.txt")"
    echo "dragged: $(cat "$tmp/compare.txt")"
    for _ in $(seq 50); do
        [ "$(cat "$dir/window.cfg" 2>/dev/null)" = 1000x700 ] && break
        sleep 0.1
    done
    [ "$(cat "$dir/window.cfg" 2>/dev/null)" = 1000x700 ] ||
        fail "window.cfg holds \"$(cat "$dir/window.cfg" 2>/dev/null)\""
    [ "$(stat -c %s "$dir/config.dat")" = 158 ] || fail "config.dat changed its size"
    kill "$gamepid"
    wait "$gamepid" || true
    # The next start opens at the size the player chose.
    start_game "$dir"
    win=$("$xwin" wait "$app_id" 20) || fail "no window of class $app_id at the second start"
    g=$(wait_geometry "$win" 1000x700) || fail "the second start opened at $g"
    ;;
*) fail "no case $case" ;;
esac
echo "$case: fine"

#!/usr/bin/env bash
# install_test.sh -- installs the build into a temporary prefix and plays a new player: the
# launcher, with an empty HOME under Xvfb, makes the per-user folder with links to the installed
# data (replacing a stale one), the window appears with the application's class and icon,
# config.dat is written in the per-user folder, the window manager's maximise switches to full
# screen and Alt+Enter back to an 800 x 600 window, and the window's close request answered "yes"
# in the exit dialog ends the game with code 0.
# Usage: install_test.sh BUILD_DIR XWIN APP_ID [sanitize]   (exit 77 = skipped)
set -euo pipefail
build=$1 xwin=$2 app_id=$3

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
[ "${4:-}" != sanitize ] || skip "the installed game is tested in the normal build only"
command -v Xvfb >/dev/null || skip "Xvfb is missing (Debian package xvfb)"
command -v xdotool >/dev/null || skip "xdotool is missing (Debian package xdotool)"
[ -x "$xwin" ] || skip "the X11 helper was not built (Debian package libx11-dev)"

tmp=$(mktemp -d)
game=""
xvfb=""
cleanup() {
    [ -z "$game" ] || kill -9 "$game" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/skyvern bin/skyvern-harness bin/dxgtool bin/skyvern-scores libexec/skyvern/skyvern \
    share/skyvern/data/menu.dxg share/skyvern/sound/1.xm share/man/man6/skyvern.6.gz \
    "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$app_id.svg" "share/icons/hicolor/256x256/apps/$app_id.png"; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop file"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
        fail "AppStream metainfo: $(appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml")"
fi

# Without a display the game cannot start, but the launcher has made the folder by then: the
# player's XDG_DATA_HOME is honoured.
mkdir "$tmp/xdg"
if env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER HOME="$tmp/nohome" XDG_DATA_HOME="$tmp/xdg" \
    "$prefix/bin/skyvern" 2>/dev/null; then
    fail "the game started without a display"
fi
[ "$(readlink "$tmp/xdg/skyvern/data")" = "$prefix/share/skyvern/data" ] ||
    fail "XDG_DATA_HOME/skyvern/data does not link the installed data"

# An X server of our own on a free display number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -br -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
done
[ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
export DISPLAY=:$(head -n1 "$tmp/display")

# A new player whose folder still links an older install somewhere else.
home=$tmp/home
dir=$home/.local/share/skyvern
mkdir -p "$dir"
ln -s /nonexistent/old-prefix/share/skyvern/data "$dir/data"
env -u XDG_DATA_HOME HOME="$home" SDL_AUDIODRIVER=dummy "$prefix/bin/skyvern" &
game=$!

win=$("$xwin" wait "$app_id" 20) || fail "no window of class $app_id"
"$xwin" drawn "$win" 20 || fail "the window shows nothing"
[ "$("$xwin" icon "$win")" = "64x64" ] || fail "window icon: $("$xwin" icon "$win")"
for _ in $(seq 100); do
    [ -f "$dir/config.dat" ] && break
    sleep 0.1
done
[ -f "$dir/config.dat" ] || fail "no config.dat in $dir"
[ "$(stat -c %s "$dir/config.dat")" = 158 ] || fail "config.dat is not 158 bytes"
for d in data sound; do
    [ "$(readlink "$dir/$d")" = "$prefix/share/skyvern/$d" ] || fail "$dir/$d links $(readlink "$dir/$d")"
done

# The window manager's maximise goes to full screen (and is saved: Windowed 0, stored as 1).
"$xwin" maximise "$win" || fail "the window cannot be maximised"
for _ in $(seq 100); do
    [ "$(od -An -tx1 -N1 "$dir/config.dat" | tr -d ' ')" = 01 ] && break
    sleep 0.1
done
[ "$(od -An -tx1 -N1 "$dir/config.dat" | tr -d ' ')" = 01 ] || fail "maximise did not go to full screen"
# Alt+Enter returns to a window of 800 x 600, not to the maximised one.
timeout 10 xdotool windowfocus --sync "$win" || fail "cannot focus the window"
xdotool keydown Alt_L
sleep 0.2
xdotool key Return
sleep 0.2
xdotool keyup Alt_L
for _ in $(seq 100); do
    [ "$(od -An -tx1 -N1 "$dir/config.dat" | tr -d ' ')" = 00 ] && break
    sleep 0.1
done
[ "$(od -An -tx1 -N1 "$dir/config.dat" | tr -d ' ')" = 00 ] || fail "Alt+Enter did not go back to a window"
geometry=""
for _ in $(seq 50); do
    geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/ *Geometry: //p')
    [ "$geometry" = 800x600 ] && break
    sleep 0.1
done
[ "$geometry" = 800x600 ] || fail "the window came back at $geometry, not 800x600"

# The window manager's close button: the exit dialog opens and the game keeps running ...
timeout 10 xdotool windowfocus --sync "$win" || fail "cannot focus the window"
"$xwin" close "$win"
sleep 1
kill -0 "$game" 2>/dev/null || fail "the game ended on the close request without asking"
# ... until "yes" (selected from the start) is taken with Enter.
xdotool key Return
for _ in $(seq 100); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$game" 2>/dev/null && fail "the game still runs after the exit dialog's yes"
rc=0
wait "$game" || rc=$?
game=""
[ "$rc" = 0 ] || fail "the game ended with code $rc"
echo "installed game: window, icon, per-user config.dat and exit through the dialog all fine"

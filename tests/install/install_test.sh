#!/usr/bin/env bash
# install_test.sh -- installs the build (or unpacks the Debian packages) into a temporary prefix
# and plays a new player: the launcher, with an empty HOME under Xvfb, makes the per-user folder
# with links to the installed data (replacing a stale one), the window appears with the
# application's class and icon, config.dat is written in the per-user folder, the window
# manager's maximise switches to full screen and Alt+Enter back to an 800 x 600 window showing
# the menu as before (a border drag keeps its size and shows the menu scaled), and the window's
# close request answered "yes" in the exit dialog ends the game with code 0. Before that: every
# program has its man page, and the installed score server serves the installed screenshots
# without being told where they are.
# Usage: install_test.sh SOURCE XWIN APP_ID GAMESDIR GAMEDATADIR [sanitize]   (exit 77 = skipped)
#   SOURCE: a build folder, or a folder of .deb files (all of them are unpacked into one root)
#   GAMESDIR, GAMEDATADIR: where the launcher and the game's data are, relative to the prefix
set -euo pipefail
source=$1 xwin=$2 app_id=$3 gamesdir=$4 datadir=$5

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
[ "${6:-}" != sanitize ] || skip "the installed game is tested in the normal build only"
command -v Xvfb >/dev/null || skip "Xvfb is missing (Debian package xvfb)"
command -v xdotool >/dev/null || skip "xdotool is missing (Debian package xdotool)"
[ -x "$xwin" ] || skip "the X11 helper was not built (Debian package libx11-dev)"
command -v python3 >/dev/null || skip "python3 is missing (Debian package python3)"
compare=$(cd "$(dirname "$0")/.." && pwd)/desktop/pngcompare.py

tmp=$(mktemp -d)
game=""
xvfb=""
scores=""
cleanup() {
    [ -z "$game" ] || kill -9 "$game" 2>/dev/null || true
    [ -z "$scores" ] || kill "$scores" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

if [ -f "$source/CMakeCache.txt" ]; then
    prefix=$tmp/prefix
    cmake --install "$source" --prefix "$prefix" >/dev/null
else
    debs=("$source"/*.deb)
    [ -e "${debs[0]}" ] || skip "no packages in $source"
    for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$tmp/root"; done
    prefix=$tmp/root/usr
fi
for f in "$gamesdir/skyvern" bin/skyvern-harness bin/dxgtool bin/skyvern-scores \
    libexec/skyvern/skyvern "$datadir/data/menu.dxg" "$datadir/sound/1.xm" \
    "$datadir/screenshots/play.png" share/man/man6/skyvern.6.gz \
    "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$app_id.svg" "share/icons/hicolor/256x256/apps/$app_id.png"; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
# Every program on the PATH has its man page.
for program in "$prefix/bin"/* "$prefix/$gamesdir"/*; do
    name=$(basename "$program")
    compgen -G "$prefix/share/man/man[1-8]/$name.[1-8]*" >/dev/null || fail "no man page for $name"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop file"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
        fail "AppStream metainfo: $(appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml")"
fi

"$prefix/bin/skyvern-scores" --listen 127.0.0.1:0 --db "$tmp/scores.db" --create-db >"$tmp/scores.out" 2>&1 &
scores=$!
for _ in $(seq 100); do
    grep -q "listening on" "$tmp/scores.out" && break
    sleep 0.1
done
port=$(sed -n 's/.* listening on .*:\([0-9]*\)$/\1/p' "$tmp/scores.out")
[ -n "$port" ] || fail "the score server did not start: $(cat "$tmp/scores.out")"
exec 4<>"/dev/tcp/127.0.0.1/$port"
printf 'GET /screenshots/menu.png HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&4
status=$(head -n1 <&4)
exec 4<&-
[[ $status == *" 200 "* ]] || fail "the score server answers \"$status\" for /screenshots/menu.png"
kill "$scores"
scores=""

# Without a display the game cannot start, but the launcher has made the folder by then: the
# player's XDG_DATA_HOME is honoured.
mkdir "$tmp/xdg"
if env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER HOME="$tmp/nohome" XDG_DATA_HOME="$tmp/xdg" \
    "$prefix/$gamesdir/skyvern" 2>/dev/null; then
    fail "the game started without a display"
fi
[ "$(readlink "$tmp/xdg/skyvern/data")" = "$prefix/$datadir/data" ] ||
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
env -u XDG_DATA_HOME HOME="$home" SDL_AUDIODRIVER=dummy "$prefix/$gamesdir/skyvern" &
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
    [ "$(readlink "$dir/$d")" = "$prefix/$datadir/$d" ] || fail "$dir/$d links $(readlink "$dir/$d")"
done

# The idle menu, as the window shows it: the same picture must come back after full screen,
# when the window's pixels were replaced twice.
for _ in $(seq 50); do
    "$xwin" shot "$tmp/menu-before.png" "$win" || fail "cannot take a picture of the window"
    sleep 0.1
    "$xwin" shot "$tmp/menu-again.png" "$win" &&
        cmp -s "$tmp/menu-before.png" "$tmp/menu-again.png" && break
done
cmp -s "$tmp/menu-before.png" "$tmp/menu-again.png" || fail "the idle menu does not stand still"
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
for _ in $(seq 50); do
    "$xwin" shot "$tmp/menu-after.png" "$win" && cmp -s "$tmp/menu-before.png" "$tmp/menu-after.png" &&
        break
    sleep 0.1
done
cmp -s "$tmp/menu-before.png" "$tmp/menu-after.png" ||
    fail "the window shows another picture after full screen than before"
# A border drag keeps the new size, and the window shows the same picture scaled to it.
xdotool windowsize "$win" 640 480
scaled=""
for _ in $(seq 50); do
    geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/ *Geometry: //p')
    [ "$geometry" = 640x480 ] && "$xwin" shot "$tmp/menu-after.png" "$win" &&
        scaled=$(python3 "$compare" scaled "$tmp/menu-before.png" "$tmp/menu-after.png") && break
    scaled=""
    sleep 0.1
done
[ "$geometry" = 640x480 ] || fail "a border drag to 640x480 left the window at $geometry"
[ -n "$scaled" ] || fail "the window does not show the picture scaled after a border drag"

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

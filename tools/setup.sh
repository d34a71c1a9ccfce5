#!/usr/bin/env bash
# Shared set-up for play.sh and test.sh: install what is missing, then configure and build.
# Usage: tools/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake pkg-config git
  libsdl2-dev libsdl2-ttf-dev libxmp-dev libcurl4-openssl-dev libfontconfig-dev
  libcairo2-dev libcpp-httplib-dev libsqlite3-dev libssl-dev
  libgtest-dev googletest
  fonts-linuxlibertine fonts-dejavu-core
  xvfb xauth xdotool libx11-dev
  # the game on other desktops: a Wayland compositor, a window manager that keeps the focus,
  # xprop; python3 compares the pictures the desktops show
  weston openbox x11-utils python3
  desktop-file-utils appstream dpkg-dev file
  # score server deployment checks: systemd-analyze on the unit, nginx -t on the example site
  systemd nginx openssl
  # score server: PostgreSQL client and server (the tests start their own), event-driven HTTP
  libpq-dev postgresql libmicrohttpd-dev
  # score server load benchmark
  wrk
  # score server pages in a real browser: headless Chromium driven through WebDriver
  chromium chromium-driver python3-selenium
  # score server: gzip of its pages
  zlib1g-dev
  # building the Debian packages and checking them (tools/debian-packages.sh)
  debhelper lintian fakeroot
  # dxgtool's PNG files, of any size the picture reader accepts
  libpng-dev
  # the scalable icon is cut into plain polygons, since Qt's SVG renderer ignores clip paths
  libpolyclipping-dev
  # the icon check draws the SVG with Qt (KDE) and librsvg (GNOME) and compares with the PNG
  python3-pyqt5.qtsvg librsvg2-bin
  # the suite checks the tree is formatted with its .clang-format
  clang-format
  # the sound tests: a PulseAudio server of their own, pactl to see the game's stream, parec
  pulseaudio pulseaudio-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir="$1"
shift
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

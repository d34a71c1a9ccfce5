#!/usr/bin/env bash
# Install what is missing, build, generate the data files and start Skyvern.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh build
cd build/game
exec ./skyvern

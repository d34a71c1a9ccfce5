#!/usr/bin/env bash
# check-platform-seam.sh -- fails when the seam between the game and SDL leaks: a file outside
# src/platform/ that includes an SDL header, an SDL include path on the compile line of such a
# file, the core library linking SDL, SDL_ttf or fontconfig, or the core's objects calling them.
# Usage: check-platform-seam.sh SOURCE_DIR BUILD_DIR CORE_LINK_INFO CORE_ARCHIVE
set -euo pipefail
src="$1" build="$2" link_info="$3" archive="$4"
status=0

# 1. Includes, in every folder of the repository's code.
hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL2/)?SDL[A-Za-z0-9_]*\.h[>"]' \
         "$src/src" "$src/tests" "$src/tools" "$src/bench" 2>/dev/null |
       grep -v "^$src/src/platform/" | grep -v "_probe\.cpp:" || true)
if [ -n "$hits" ]; then
  echo "SDL headers included outside src/platform/:"
  echo "$hits"
  status=1
fi

# 2. Compile lines: only the backends and the text rasteriser may see SDL's include path.
if [ -f "$build/compile_commands.json" ]; then
  leaks=$(awk '
    /"command":/ { cmd = $0 }
    /"file":/ {
      file = $0
      if (file !~ /\/src\/platform\// && cmd ~ /SDL2/) print file
    }' "$build/compile_commands.json")
  if [ -n "$leaks" ]; then
    echo "SDL on the include path of files outside src/platform/:"
    echo "$leaks"
    status=1
  fi
else
  echo "no compile_commands.json in $build"
  status=1
fi

# 3. The core's link line, as CMake generated it.
if grep -qiE 'sdl|fontconfig' "$link_info"; then
  echo "the core library links SDL, SDL_ttf or fontconfig:"
  cat "$link_info"
  status=1
fi

# 4. What the core's objects call.
calls=$(nm -u "$archive" | grep -E ' (SDL_|TTF_|Fc)[A-Za-z]' | sort -u || true)
if [ -n "$calls" ]; then
  echo "the core library calls SDL, SDL_ttf or fontconfig:"
  echo "$calls"
  status=1
fi
exit $status

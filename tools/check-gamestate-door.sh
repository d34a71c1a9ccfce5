#!/usr/bin/env bash
# check-gamestate-door.sh -- fails when GameState is written anywhere but the game's flow
# (src/app/GameFlow.cpp, through SetGameState): an assignment, a compound assignment, an
# increment or decrement, or a reference or pointer taken that is not const. Scans the C++
# files of ROOT/src and ROOT/tests (not tests/data, where the check's own planted tree lives),
# comments left out, and prints each write it finds.
# Usage: tools/check-gamestate-door.sh ROOT
set -euo pipefail
cd "${1:?usage: $0 ROOT}"
door=src/app/GameFlow.cpp

# GameState the name, not SavedGameState or GameStateName; Globals.GameState is the same field.
name='(^|[^A-Za-z0-9_])GameState([^A-Za-z0-9_]|$)'
writes=(
  '(^|[^A-Za-z0-9_])GameState[[:space:]]*(<<|>>|[-+*/%&|^])?=([^=]|$)' # =, +=, |=, ...
  '(\+\+|--)[[:space:]]*([A-Za-z_][A-Za-z0-9_]*\.)?GameState([^A-Za-z0-9_]|$)' # ++x, --x
  '(^|[^A-Za-z0-9_])GameState[[:space:]]*(\+\+|--)'   # x++, x--
  '(^|[^&])&[[:space:]]*([A-Za-z_][A-Za-z0-9_]*\.)?GameState([^A-Za-z0-9_]|$)' # &x
  '[^&]&[[:space:]]*[A-Za-z_][A-Za-z0-9_]*[[:space:]]*(=|\{)[[:space:]]*([A-Za-z_][A-Za-z0-9_]*\.)?GameState([^A-Za-z0-9_]|$)' # T& r = x
)
pattern="$(IFS='|'; echo "${writes[*]}")"

found=0
while IFS= read -r -d '' f; do
  [ "$f" = "$door" ] && continue
  # Line numbers kept, comments dropped; the declarations of the field and its alias
  # (state/GameState.h) are no writes.
  hits="$(sed -E 's#//.*##' "$f" | grep -n -E "$name" |
    grep -v -E '^[0-9]+:[[:space:]]*(inline[[:space:]]+)?uint8_t&?[[:space:]]+GameState[[:space:]]*=' |
    grep -v -E 'const[[:space:]]+[A-Za-z_][A-Za-z0-9_:]*[[:space:]]*&' |
    grep -E "$pattern" || true)"
  if [ -n "$hits" ]; then
    while IFS= read -r hit; do
      echo "write of GameState outside the flow: $f:$hit"
      found=$((found + 1))
    done <<<"$hits"
  fi
done < <(find src tests -path tests/data -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  sort -z)

if ((found)); then
  echo "$found write(s) of GameState outside $door"
  exit 1
fi
echo "GameState is written only in $door"

#!/usr/bin/env bash
# check-format.sh -- fails when a C++ file of the tree differs from what clang-format makes of it
# with the repository's .clang-format; prints the files that differ.
# Usage: tools/check-format.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
command -v clang-format >/dev/null || { echo "clang-format is not installed"; exit 1; }
differ=()
while IFS= read -r -d '' f; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || differ+=("$f")
done < <(find src server tools tests bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if ((${#differ[@]})); then
  printf 'not formatted with .clang-format (run clang-format -i on them):\n'
  printf '  %s\n' "${differ[@]}"
  exit 1
fi
echo "every C++ file is formatted"

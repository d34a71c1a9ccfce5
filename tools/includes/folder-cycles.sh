#!/usr/bin/env bash
# Reads the quoted includes of every source file under SRC_DIR and checks that the arrows
# between its top-level folders run one way: prints each arrow with the number of includes
# behind it, then every include cycle between folders, and fails when there is one.
# Usage: tools/includes/folder-cycles.sh SRC_DIR
set -euo pipefail
src="${1:?usage: $0 SRC_DIR}"
cd "$src"

# One "from to" line per include that crosses from one folder into another folder of SRC_DIR.
arrows() {
  find . -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' \) -print0 |
    xargs -0 grep -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' |
    sed -E 's|^\./([^/]+)/[^:]*:[^"]*"([^"/]+)/.*|\1 \2|' |
    while read -r from to; do
      if [ "$from" != "$to" ] && [ -d "$to" ]; then echo "$from $to"; fi
    done
}

arrows | sort | uniq -c | awk '
  { count[$2 " -> " $3] = $1; edges[$2] = edges[$2] " " $3; nodes[$2]; nodes[$3] }
  END {
    for (a in count) print "  " a " (" count[a] ")" | "sort"
    close("sort")
    # Depth-first search; a grey node met again closes a cycle along the current path.
    for (n in nodes) colour[n] = 0
    found = 0
    for (n in nodes) if (colour[n] == 0) visit(n, "")
    if (found) { print found " include cycle(s) between folders"; exit 1 }
    print "no include cycle between folders"
  }
  function visit(n, path,    list, i, m, k) {
    colour[n] = 1
    path = path " " n
    k = split(edges[n], list, " ")
    for (i = 1; i <= k; i++) {
      m = list[i]
      if (colour[m] == 1) {
        found++
        print "cycle:" substr(path, index(path " ", " " m " ")) " " m
      } else if (colour[m] == 0) visit(m, path)
    }
    colour[n] = 2
  }'

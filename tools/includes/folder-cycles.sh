#!/usr/bin/env bash
# Reads the quoted includes of every source file under SRC_DIR and checks that the arrows
# between its top-level folders run one way: prints each arrow with the number of includes
# behind it, then every include cycle between folders, and fails when there is one.
# A forward declaration of a class that another folder defines is an arrow too, since the
# declaring folder then knows of that folder's class; a declaration marked "// upward" on its
# line is a known exception and says why there.
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
  declarations
}

# One "from to" line per forward declaration in folder `from` of a class defined in folder `to`.
declarations() {
  local defs
  defs="$(find . -mindepth 2 -type f -name '*.h' -print0 |
    xargs -0 grep -H -E '^[[:space:]]*(template[[:space:]]*<[^>]*>[[:space:]]*)?(class|struct)[[:space:]]+[A-Za-z_][A-Za-z0-9_]*([[:space:]]+final)?[[:space:]]*(:[^:]|\{|$)' |
    sed -E 's#^\./([^/]+)/[^:]*:[[:space:]]*(template[[:space:]]*<[^>]*>[[:space:]]*)?(class|struct)[[:space:]]+([A-Za-z_][A-Za-z0-9_]*).*#\4 \1#' |
    sort -u)"
  find . -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' \) -print0 |
    xargs -0 grep -H -E '^[[:space:]]*(class|struct)[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*;' |
    grep -v '// upward' |
    sed -E 's#^\./([^/]+)/[^:]*:[[:space:]]*(class|struct)[[:space:]]+([A-Za-z_][A-Za-z0-9_]*).*#\1 \3#' |
    while read -r from name; do
      awk -v n="$name" -v f="$from" '$1 == n && $2 != f { print f " " $2 }' <<<"$defs"
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

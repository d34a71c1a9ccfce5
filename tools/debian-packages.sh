#!/usr/bin/env bash
# debian-packages.sh -- builds the Debian packages from a copy of this tree (build/ is left alone
# and the suite is not run a second time), checks every package and the .changes file with
# lintian, failing on any error, warning, info or pedantic tag, checks how the packages are split
# (a player's skyvern pulls in neither the server nor its libraries), that nothing installed names
# a loopback address, and the installed AppStream metainfo with appstreamcli --pedantic.
# Usage: tools/debian-packages.sh [OUTDIR]   (default: packages/ at the top; exit 77 = skipped)
#   SKYVERN_MAINTAINER="Name <address>" names the maintainer of the packages.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$top/packages}" && cd "${1:-$top/packages}" && pwd)

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Nothing from an earlier run may pass for this one's.
rm -f "$out"/skyvern*.deb "$out"/skyvern*.ddeb "$out"/skyvern_*.changes "$out"/skyvern_*.buildinfo
for tool in dpkg-buildpackage lintian dh appstreamcli; do
    command -v "$tool" >/dev/null || skip "$tool is missing (tools/setup.sh installs it)"
done

version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
src=$tmp/skyvern-$version
mkdir "$src"
# The tree as git sees it (new files included, ignored ones such as build folders left out).
if git -C "$top" rev-parse --git-dir >/dev/null 2>&1; then
    (cd "$top" && git ls-files -z --cached --others --exclude-standard) |
        tar -C "$top" --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$src" -xf -
else
    tar -C "$top" --exclude='./build' --exclude='./build-*' --exclude='./packages' \
        --exclude='./.git' -cf - . | tar -C "$src" -xf -
fi

if [ -n "${SKYVERN_MAINTAINER:-}" ]; then
    [[ $SKYVERN_MAINTAINER =~ ^[^\<\>@]+\ \<[^\<\>@\ ]+@[^\<\>@\ ]+\.[^\<\>@\ ]+\>$ ]] ||
        fail "SKYVERN_MAINTAINER must read \"Name <address>\", not \"$SKYVERN_MAINTAINER\""
    M=$SKYVERN_MAINTAINER perl -pi -e 's/^Maintainer: .*/Maintainer: $ENV{M}/' "$src/debian/control"
    M=$SKYVERN_MAINTAINER perl -pi -e 's/^ -- .*?>  / -- $ENV{M}  /' "$src/debian/changelog"
fi

echo "Building the packages of skyvern $version (log: $out/build.log)"
if ! (cd "$src" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -us -uc -b) \
    >"$out/build.log" 2>&1; then
    tail -n 40 "$out/build.log" >&2
    fail "dpkg-buildpackage"
fi
cp "$tmp"/*.deb "$tmp"/*.changes "$tmp"/*.buildinfo "$out"/
cp "$tmp"/*.ddeb "$out"/ 2>/dev/null || true
changes=$(ls "$out"/skyvern_"$version"_*.changes)
mapfile -t debs < <(ls "$out"/*.deb)
for deb in "${debs[@]}"; do
    printf '  %-40s %8s bytes\n' "$(basename "$deb")" "$(stat -c %s "$deb")"
done

echo "lintian (pedantic):"
lintian --pedantic --fail-on error,warning,info,pedantic --tag-display-limit 0 \
    "$changes" "${debs[@]}" || fail "lintian reports tags (see above)"

# How the packages are split.
deb() { ls "$out/$1"_"$version"_*.deb; }
field() { dpkg-deb -f "$(deb "$1")" "$2"; }
# Each program in its own package, where Debian wants it.
while read -r package path; do
    dpkg-deb -c "$(deb "$package")" | awk '{ print $6 }' | grep -qx "\./$path" ||
        fail "$package does not hold /$path"
done <<'EOF'
skyvern               usr/games/skyvern
skyvern               usr/share/man/man6/skyvern.6.gz
skyvern-data          usr/share/games/skyvern/data/menu.dxg
skyvern-data          usr/share/games/skyvern/screenshots/menu.png
skyvern-data          usr/share/icons/hicolor/256x256/apps/org.skyvern.Skyvern.png
skyvern-scores        usr/bin/skyvern-scores
skyvern-scores        usr/share/man/man8/skyvern-scores.8.gz
skyvern-scores        lib/systemd/system/skyvern-scores.service
skyvern-tools         usr/bin/skyvern-harness
skyvern-tools         usr/bin/dxgtool
EOF
[ "$(field skyvern-data Architecture)" = all ] || fail "skyvern-data is not Architecture: all"
grep -qF "skyvern-data (= $version)" <<<"$(field skyvern Depends)" ||
    fail "skyvern does not depend on skyvern-data (= $version): $(field skyvern Depends)"
# What a player's install brings in: no server, no tools, none of the server's libraries.
for package in skyvern skyvern-data; do
    relations="$(field "$package" Depends), $(field "$package" Pre-Depends), $(field "$package" Recommends)"
    if grep -Eo 'skyvern-(scores|tools)|lib(sqlite3|cpp-httplib|microhttpd|pq)[^ ,]*' <<<"$relations"; then
        fail "$package brings in the server or its libraries: $relations"
    fi
done
# Nothing a package installs may send a player to their own machine: the game's score server,
# home page and the metainfo's addresses are public ones. Every file is searched, programs and
# compressed pages included. The one exception is the score server's own listening side: it
# serves on loopback behind a web server by default (its program, unit, man page and examples).
loopback='127\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}|localhost|(^|[^:[:xdigit:]])::1([^:[:xdigit:]]|$)|0:0:0:0:0:0:0:1'
listen_side='usr/bin/skyvern-scores
lib/systemd/system/skyvern-scores.service
usr/share/man/man8/skyvern-scores.8.gz
usr/share/doc/skyvern-scores/examples/skyvern-scores-proxy.conf
usr/share/doc/skyvern-scores/examples/skyvern-scores.nginx'
named=""
for deb in "${debs[@]}" "$out"/*.ddeb; do
    [ -e "$deb" ] || continue
    package=$(dpkg-deb -f "$deb" Package)
    root=$tmp/unpacked/$package
    mkdir -p "$root"
    dpkg-deb -x "$deb" "$root"
    while IFS= read -r -d '' file; do
        rel=${file#"$root"/}
        if [[ $file == *.gz ]]; then
            hits=$(gzip -dc "$file" | grep -aoiE "$loopback" | sort -u | tr '\n' ' ' || true)
        else
            hits=$(grep -aoiE "$loopback" "$file" | sort -u | tr '\n' ' ' || true)
        fi
        [ -n "$hits" ] || continue
        if [ "$package" = skyvern-scores ] && grep -qxF "$rel" <<<"$listen_side"; then
            continue
        fi
        named+="  $package: /$rel names ${hits% }"$'\n'
    done < <(find "$root" -type f -print0)
done
[ -z "$named" ] || fail "installed files name a loopback address:"$'\n'"$named"
metainfo=$tmp/unpacked/skyvern/usr/share/metainfo/org.skyvern.Skyvern.metainfo.xml
"$top/tools/check-metainfo.sh" "$metainfo" "$top/debian/changelog" || fail "the packaged metainfo"
echo "packages in $out: lintian-clean (pedantic), split as they should be, no loopback address"

#!/usr/bin/env bash
# check-metainfo.sh -- the AppStream metainfo as a software centre reads it: appstreamcli
# validate --pedantic with no tag left but the ones explained below, a summary of at most 35
# characters, and exactly the releases of debian/changelog, newest first, each with its date and
# notes.
# Usage: tools/check-metainfo.sh METAINFO CHANGELOG [--plain-build]   (exit 77 = skipped)
#   --plain-build: the file of a plain build, whose score server is the local http one, so the
#   "not secure" notes on its addresses are expected there (the packages' addresses are https).
set -euo pipefail
metainfo=$1 changelog=$2 plain=${3:-}

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
command -v appstreamcli >/dev/null || skip "appstreamcli is missing (Debian package appstream)"
command -v dpkg-parsechangelog >/dev/null || skip "dpkg-parsechangelog is missing (dpkg-dev)"
[ -f "$metainfo" ] || fail "no metainfo: $metainfo"

# Tags that stay, and why:
#   cid-contains-uppercase-letter: the id is also the desktop file's, the icons' and the window
#     class's name (reverse DNS, as freedesktop.org's desktop entries have it); renaming it would
#     lose the launchers players pinned.
#   unknown-tag developer: validators before AppStream 1.0 do not know <developer>, which 1.0
#     puts in place of <developer_name>.
allowed='cid-contains-uppercase-letter'
version=$(appstreamcli --version | sed -n 's/^AppStream version: *//p')
if dpkg --compare-versions "${version:-0}" lt 1.0; then
    allowed+='|unknown-tag developer'
fi
if [ "$plain" = --plain-build ]; then
    allowed+='|url-not-secure http://|screenshot-media-url-not-secure http://'
fi
report=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) ||
    fail "appstreamcli validate --pedantic:"$'\n'"$report"
left=$(grep -E '^[EWIP]: ' <<<"$report" | grep -vE "^[EWIP]: [^ ]+: ($allowed)" || true)
[ -z "$left" ] || fail "appstreamcli validate --pedantic:"$'\n'"$left"

summary=$(sed -n 's|.*<summary>\(.*\)</summary>.*|\1|p' "$metainfo")
[ -n "$summary" ] || fail "no summary"
[ "${#summary}" -le 35 ] || fail "the summary has ${#summary} characters, more than 35: $summary"

# The releases: version and date of every changelog entry, in its order, each with notes.
expected=$(dpkg-parsechangelog -l "$changelog" --all --format rfc822 |
    awk '/^Version: /{v=$2} /^Timestamp: /{print v, $2}' | while read -r v t; do
        echo "$v $(date -u -d "@$t" +%F)"
    done)
found=$(grep -oE '<release version="[^"]+" date="[^"]+"' "$metainfo" |
    sed -E 's/<release version="([^"]+)" date="([^"]+)"/\1 \2/')
[ "$found" = "$expected" ] ||
    fail "the releases are"$'\n'"$found"$'\n'"but debian/changelog has"$'\n'"$expected"
releases=$(grep -c '<release ' "$metainfo")
notes=$(awk '/<release /{inrel=1; had=0} inrel && /<li>/{had=1} /<\/release>/{if (had) n++; inrel=0} END{print n+0}' "$metainfo")
[ "$notes" = "$releases" ] || fail "$((releases - notes)) of $releases releases have no notes"
echo "metainfo: validates (pedantic), summary of ${#summary} characters, $releases releases with notes as in debian/changelog"
